#include "DemoSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>
#include <cmath>
#include <cstdio>

#include "instrument/RegularFile.h"

namespace kv {

namespace {

// A library file is a few kilobytes; anything near this is not one.
constexpr std::size_t kMaxLibraryBytes = std::size_t{4} * 1024 * 1024;

// What a liquid that cannot be the sample leaves at the probe.
constexpr const char* kColeColeSample = "the sample's Cole-Cole parameters are used";

// The library of reference liquids shipped with the program: share/kv47310/ of the installation
// relative to the program's folder, or the copy in the build folder when there is no application
// object (tests). Empty when there is none.
std::string ShippedLibraryFile() {
    const QString path = QCoreApplication::instance() == nullptr
                             ? QStringLiteral(KV_BUILD_DATA_DIR "/reference-liquids.txt")
                             : QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                               "/" KV_SHIPPED_DATA_DIR "/reference-liquids.txt");
    return QFileInfo(path).isFile() ? path.toStdString() : std::string();
}

// "25 C", "10 to 50 C", "10 to 25 C, 30 to 50 C".
std::string OfferedText(const ReferenceLiquid& liquid) {
    std::string text;
    for (const TemperatureRange& range : OfferedTemperatures(liquid)) {
        char part[64];
        if (range.lowest == range.highest) {
            std::snprintf(part, sizeof part, "%g C", range.lowest);
        } else {
            std::snprintf(part, sizeof part, "%g to %g C", range.lowest, range.highest);
        }
        text += (text.empty() ? "" : ", ") + std::string(part);
    }
    return text.empty() ? "no temperature" : text;
}

bool Offers(const ReferenceLiquid& liquid, double temperature) {
    for (const TemperatureRange& range : OfferedTemperatures(liquid)) {
        if (temperature >= range.lowest && temperature <= range.highest) {
            return true;
        }
    }
    return false;
}

// Reads typed values from one QSettings object, keeping defaults for what cannot be read.
class Reader {
public:
    Reader(QSettings& settings, std::string file) : settings_(settings), file_(std::move(file)) {}

    void Text(const char* key, std::string& value) {
        if (settings_.contains(key)) {
            value = settings_.value(key).toString().toStdString();
        }
    }

    // Whether the file gives the value and it is taken.
    bool Number(const char* key, double& value, bool positive = false) {
        if (!settings_.contains(key)) {
            return false;
        }
        bool ok = false;
        const double read = settings_.value(key).toString().trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(read) || (positive && !(read > 0.0))) {
            Bad(key, positive ? "a positive number" : "a number");
            return false;
        }
        value = read;
        return true;
    }

    void Integer(const char* key, int& value, int minimum) {
        if (!settings_.contains(key)) {
            return;
        }
        bool ok = false;
        const int read = settings_.value(key).toString().trimmed().toInt(&ok);
        if (!ok || read < minimum) {
            Bad(key, "a whole number of at least " + std::to_string(minimum));
            return;
        }
        value = read;
    }

    void Unsigned(const char* key, std::uint64_t& value) {
        if (!settings_.contains(key)) {
            return;
        }
        bool ok = false;
        const qulonglong read = settings_.value(key).toString().trimmed().toULongLong(&ok);
        if (!ok) {
            Bad(key, "a whole number of at least 0");
            return;
        }
        value = read;
    }

    void Flag(const char* key, bool& value) {
        if (!settings_.contains(key)) {
            return;
        }
        const QString text = settings_.value(key).toString().trimmed().toLower();
        if (text == "true" || text == "yes" || text == "on" || text == "1") {
            value = true;
        } else if (text == "false" || text == "no" || text == "off" || text == "0") {
            value = false;
        } else {
            Bad(key, "true or false");
        }
    }

    void Bad(const std::string& key, const std::string& expected) {
        const std::string text = DemoNotText(settings_.group().toStdString(), key, expected);
        std::fprintf(stderr, "Demo analyzer: %s: %s; the default is used\n", file_.c_str(),
                     text.c_str());
    }

    // A note on a key of the current group whose value cannot be used: "[group] what; outcome".
    void Note(const std::string& what, const std::string& outcome) {
        const std::string group = settings_.group().toStdString();
        std::fprintf(stderr, "Demo analyzer: %s: [%s] %s; %s\n", file_.c_str(), group.c_str(),
                     what.c_str(), outcome.c_str());
    }

    // The value of a key as the file writes it, without surrounding blanks.
    std::string Written(const char* key) const {
        return settings_.value(key).toString().trimmed().toStdString();
    }

    // A Cole-Cole material in the current group: eo is required, einf defaults to eo (a material
    // without relaxation), alpha and tau to 0.
    void Material(ColeCole& material) {
        Number("eo", material.eo);
        material.einf = material.eo;
        material.alpha = 0.0;
        material.tau = 0.0;
        Number("einf", material.einf);
        Number("alpha", material.alpha);
        Number("tau", material.tau);
    }

private:
    QSettings& settings_;
    std::string file_;
};

// [sample] liquid and temperature (the current group): the liquid of the shipped library when it
// offers the temperature; null, with a note, when it cannot be the sample.
std::shared_ptr<const ReferenceLiquid> SampleLiquid(Reader& read, const std::string& id,
                                                    double temperature,
                                                    const std::string& temperatureText) {
    std::vector<ReferenceLiquid> library;
    const std::string problem = DemoSampleLiquidProblem(id, temperature, temperatureText, &library);
    if (!problem.empty()) {
        read.Note(problem, kColeColeSample);
        return nullptr;
    }
    return std::make_shared<const ReferenceLiquid>(
        *FindReferenceLiquid(library, QString::fromStdString(id).toLower().toStdString()));
}

}  // namespace

std::string DemoNotText(const std::string& group, const std::string& key,
                        const std::string& expected) {
    return "[" + group + "] " + key + " is not " + expected;
}

std::string LoadDemoLiquids(std::vector<ReferenceLiquid>& library) {
    library.clear();
    const std::string file = ShippedLibraryFile();
    if (file.empty()) {
        return "the library of reference liquids is not installed";
    }
    std::string text;
    const RegularFileStatus status = ReadRegularFile(file, text, kMaxLibraryBytes);
    if (status != RegularFileStatus::Ok) {
        return file + " cannot be read: " + RegularFileReason(status, kMaxLibraryBytes);
    }
    std::string error;
    if (!ParseReferenceLiquids(text, file, library, error)) {
        return error;
    }
    return "";
}

std::string DemoSampleLiquidProblem(const std::string& id, double temperature,
                                    const std::string& temperatureText,
                                    std::vector<ReferenceLiquid>* loaded) {
    const std::string named = "liquid \"" + id + "\"";
    std::vector<ReferenceLiquid> own;
    std::vector<ReferenceLiquid>& library = loaded != nullptr ? *loaded : own;
    const std::string why = LoadDemoLiquids(library);
    if (!why.empty()) {
        return named + " cannot be used: " + why;
    }
    const ReferenceLiquid* liquid =
        FindReferenceLiquid(library, QString::fromStdString(id).toLower().toStdString());
    if (liquid == nullptr) {
        return named + " is not in the library of reference liquids";
    }
    if (!Offers(*liquid, temperature)) {
        return "temperature " + temperatureText + " is not offered for " + liquid->id +
               " (offered: " + OfferedText(*liquid) + ")";
    }
    return "";
}

bool IsDemoMaterial(const std::string& name) {
    for (const char* m : kDemoMaterials) {
        if (name == m) {
            return true;
        }
    }
    return false;
}

DemoSettings LoadDemoSettings(const std::string& path) {
    DemoSettings s;
    // Read by the program's own reader (a regular file only, with a size limit) and handed to
    // QSettings as a private copy, so that QSettings never opens a path that is not a file.
    std::string text;
    const RegularFileStatus status = ReadRegularFile(path, text, kMaxSettingsFileBytes);
    if (status == RegularFileStatus::NotFound) {
        return s;
    }
    QTemporaryFile copy;
    if (status != RegularFileStatus::Ok || !copy.open() ||
        copy.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !copy.flush()) {
        const std::string why = status != RegularFileStatus::Ok
                                    ? RegularFileReason(status, kMaxSettingsFileBytes)
                                    : std::string("no temporary copy can be made");
        std::fprintf(stderr, "Demo analyzer: %s cannot be read: %s; the defaults are used\n",
                     path.c_str(), why.c_str());
        return s;
    }
    QSettings settings(copy.fileName(), QSettings::IniFormat);
    Reader read(settings, path);

    settings.beginGroup("analyzer");
    read.Text("identification", s.identification);
    read.Number("min_frequency", s.minFrequency, true);
    read.Number("max_frequency", s.maxFrequency, true);
    read.Integer("max_points", s.maxPoints, 1);
    read.Flag("log_sweep", s.logSweep);
    read.Integer("report_points", s.reportPoints, -1);
    read.Flag("reverse_measurement", s.reverseMeasurement);
    read.Number("noise", s.noise);
    if (s.noise < 0.0) {
        read.Bad("noise", "a number of at least 0");
        s.noise = 0.0;
    }
    read.Unsigned("seed", s.seed);
    read.Flag("auto_continue", s.autoContinue);
    read.Flag("auto_abort", s.autoAbort);
    read.Integer("response_polls", s.responsePolls, 1);
    read.Flag("external_trigger", s.externalTrigger);
    read.Integer("trigger_polls", s.triggerPolls, 0);
    if (settings.contains("material")) {
        const std::string material =
            settings.value("material").toString().trimmed().toLower().toStdString();
        if (IsDemoMaterial(material)) {
            s.material = material;
        } else {
            read.Bad("material", "air, short, water, load or sample");
        }
    }
    read.Integer("card_address", s.cardAddress, 0);
    read.Integer("instrument_address", s.instrumentAddress, 0);
    read.Flag("fail_check", s.failCheck);
    read.Flag("fail_open", s.failOpen);
    read.Flag("fail_initialize", s.failInitialize);
    read.Flag("fail_preset", s.failPreset);
    read.Flag("refuse_sweep", s.refuseSweep);
    read.Flag("fail_measure", s.failMeasure);
    read.Integer("fail_measure_after", s.failMeasureAfter, -1);
    read.Text("error_text", s.errorText);
    read.Flag("fail_trigger", s.failTrigger);
    settings.endGroup();
    if (!(s.minFrequency < s.maxFrequency)) {
        std::fprintf(stderr,
                     "Demo analyzer: %s: [analyzer] min_frequency is not below max_frequency; "
                     "the default limits are used\n",
                     path.c_str());
        const DemoSettings defaults;
        s.minFrequency = defaults.minFrequency;
        s.maxFrequency = defaults.maxFrequency;
    }

    settings.beginGroup("probe");
    if (settings.contains("type")) {
        const QString type = settings.value("type").toString().trimmed().toUpper();
        if (type == "A") {
            s.probeType = 0;
        } else if (type == "B" || type == "C" || type == "B/C") {
            s.probeType = 1;
        } else {
            read.Bad("type", "A or B");
        }
    }
    read.Number("fs", s.frequencyScale, true);
    read.Number("s", s.coefficientScale, true);
    settings.endGroup();

    settings.beginGroup("cable");
    read.Number("drift", s.drift);
    settings.endGroup();

    settings.beginGroup("water");
    read.Number("temperature_offset", s.waterTemperatureOffset);
    settings.endGroup();

    settings.beginGroup("sample");
    read.Number("eo", s.sample.eo);
    read.Number("einf", s.sample.einf);
    read.Number("alpha", s.sample.alpha);
    read.Number("tau", s.sample.tau);
    read.Number("eo_per_minute", s.samplePerMinute.eo);
    read.Number("einf_per_minute", s.samplePerMinute.einf);
    read.Number("alpha_per_minute", s.samplePerMinute.alpha);
    read.Number("tau_per_minute", s.samplePerMinute.tau);
    const bool temperatureGiven = read.Number("temperature", s.sampleTemperature);
    if (settings.contains("liquid")) {
        char defaultText[32];
        std::snprintf(defaultText, sizeof defaultText, "%g", s.sampleTemperature);
        const std::string temperatureText =
            temperatureGiven ? read.Written("temperature") : defaultText;
        s.sampleLiquid =
            SampleLiquid(read, read.Written("liquid"), s.sampleTemperature, temperatureText);
    } else if (settings.contains("temperature")) {
        read.Note("temperature is given without liquid", "it is not used");
    }
    settings.endGroup();

    settings.beginGroup("standards");
    for (const QString& label : settings.childGroups()) {
        settings.beginGroup(label);
        if (settings.contains("eo")) {
            ColeCole material;
            read.Material(material);
            s.standards.emplace_back(label.toStdString(), material);
        } else {
            std::fprintf(stderr,
                         "Demo analyzer: %s: [standards] %s has no eo; the label is not known\n",
                         path.c_str(), label.toStdString().c_str());
        }
        settings.endGroup();
    }
    settings.endGroup();
    return s;
}

}  // namespace kv
