#include "DemoTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "instrument/PluginRegistry.h"

namespace kv::test {

std::shared_ptr<IInstrumentDriver> CreateDemo(const std::string& ini) {
    QTemporaryDir dir;
    EXPECT_TRUE(dir.isValid());
    if (!ini.empty()) {
        QFile file(dir.filePath("demo-analyzer.ini"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ini.data(), static_cast<qint64>(ini.size()));
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    PluginRegistry registry({KV_COMPONENTS_DIR});
    std::shared_ptr<IInstrumentDriver> driver;
    const CreateResult result = registry.CreateDriver(kDemoClsid, driver);
    QDir::setCurrent(previous);
    EXPECT_EQ(result, CreateResult::Ok);
    return driver;
}

std::vector<double> Linear(double start, double stop, int points) {
    std::vector<double> list(points);
    for (int i = 0; i < points; ++i) {
        list[i] = points > 1 ? start + i * (stop - start) / (points - 1) : start;
    }
    return list;
}

void Sweep(IInstrumentDriver& driver, const std::vector<double>& frequencies) {
    ASSERT_EQ(driver.SetFrequencyList(frequencies, static_cast<int>(frequencies.size()), 0), 0);
}

std::tuple<double, double, int> ReadBack(IInstrumentDriver& driver) {
    std::tuple<double, double, int> r;
    EXPECT_EQ(driver.GetStartFrequency(std::get<0>(r)), 0);
    EXPECT_EQ(driver.GetStopFrequency(std::get<1>(r)), 0);
    EXPECT_EQ(driver.GetNumberOfPoints(std::get<2>(r)), 0);
    return r;
}

std::tuple<double, double, int> Limits(IInstrumentDriver& driver) {
    std::tuple<double, double, int> r;
    EXPECT_EQ(driver.BeginLimitQuery(), 0);
    EXPECT_EQ(driver.GetMaxPoints(std::get<2>(r)), 0);
    EXPECT_EQ(driver.GetMinFrequency(std::get<0>(r)), 0);
    EXPECT_EQ(driver.GetMaxFrequency(std::get<1>(r)), 0);
    return r;
}

int Check(IInstrumentDriver& driver, const char* card, const char* instrument) {
    const int set = driver.SetAddresses(card, instrument);
    return set != 0 ? set : driver.CheckInstrument();
}

std::vector<CComplex> Measure(IInstrumentDriver& driver, std::size_t points) {
    std::vector<CComplex> trace(points);
    EXPECT_EQ(driver.MeasureTrace(trace), 0);
    return trace;
}

void Prompt(IInstrumentDriver& driver, const std::string& prompt, const std::string& measuring) {
    driver.ShowTitle(measuring);
    driver.ShowMessage(prompt);
}

std::string WaterPrompt(double temperature) {
    char field[32];
    std::snprintf(field, sizeof field, "%6.2f", temperature);
    return std::string("Insert the probe into ") + field + " C water.";
}

ProbeModel Model(int probeType) {
    ProbeModel model;
    model.LoadProbeCoefficients(probeType);
    return model;
}

std::complex<double> Std(CComplex z) {
    return {z.re, z.im};
}

std::complex<double> ThroughTerms(const ErrorTerms& terms, std::complex<double> gamma) {
    const auto e00 = Std(terms.directivity);
    const auto e11 = Std(terms.sourceMatch);
    const auto e01e10 = Std(terms.tracking);
    return e00 + e01e10 * gamma / (1.0 - e11 * gamma);
}

double Distance(CComplex a, std::complex<double> b) {
    return std::abs(Std(a) - b);
}

}  // namespace kv::test
