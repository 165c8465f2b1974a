// The Demo analyzer's probe: the material follows the texts the program shows, a noise-free
// calibration with the program's own standards is exact, and the cable drifts on request.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "DemoTestSupport.h"
#include "probe/Standards.h"

namespace kv::test {
namespace {

using Gamma = std::function<CComplex(double f)>;

const ColeCole kMethanol{32.66, 5.563, 0.0, 5.067e-11};

struct Terms {
    CComplex e00, e11, e01e10;
};

// One point of the one-port calibration, solved independently of the program's engine: the error
// model rearranged as Mk = x0 Gk + x1 - x2 Gk Mk, then e00 = x1, e11 = -x2, e01e10 = x0 - x1 x2.
Terms Solve(const CComplex g[3], const CComplex m[3]) {
    CComplex a[9];
    CComplex b[3];
    for (int k = 0; k < 3; ++k) {
        a[3 * k] = g[k];
        a[3 * k + 1] = CComplex(1.0, 0.0);
        a[3 * k + 2] = CComplex(0.0, 0.0) - CComplex::Multiply(g[k], m[k]);
        b[k] = m[k];
    }
    CComplex inverse[9];
    EXPECT_EQ(CComplex::Invert(a, inverse, 3), 0);
    CComplex x[3];
    EXPECT_EQ(CComplex::MatrixProduct(inverse, 3, 3, b, 3, 1, x), 0);
    return {x[1], CComplex(0.0, 0.0) - x[2], x[0] - CComplex::Multiply(x[1], x[2])};
}

struct Standard {
    std::string prompt;
    std::string measuring;
    Gamma gamma;  // what the program assumes for it
};

struct Calibration {
    std::vector<CComplex> d00, d11, d01;
};

// Calibrates as the program does: raw sweeps of three standards, the terms solved per point and
// downloaded.
Calibration Calibrate(IInstrumentDriver& demo, const std::vector<double>& f,
                      const std::vector<Standard>& standards) {
    demo.BeginCalibration();
    demo.PrepareCalibration();
    std::vector<std::vector<CComplex>> raw;
    for (const Standard& s : standards) {
        Prompt(demo, s.prompt, s.measuring);
        raw.push_back(Measure(demo, f.size()));
    }
    demo.ShowMessage("Computing Calibration...");
    Calibration cal;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const CComplex g[3] = {standards[0].gamma(f[i]), standards[1].gamma(f[i]),
                               standards[2].gamma(f[i])};
        const CComplex m[3] = {raw[0][i], raw[1][i], raw[2][i]};
        const Terms t = Solve(g, m);
        cal.d00.push_back(t.e00);
        cal.d11.push_back(t.e11);
        cal.d01.push_back(t.e01e10);
    }
    demo.ShowMessage("Downloading Calibration...");
    demo.DownloadCalibration(cal.d00, cal.d11, cal.d01);
    return cal;
}

Gamma Permittivity(std::function<CComplex(double)> eps, int probeType = 1) {
    const ProbeModel model = Model(probeType);
    return [model, eps](double f) { return model.Reflection(f, eps(f)); };
}

Gamma Fixed(CComplex value) {
    return [value](double) { return value; };
}

Gamma Air() {
    return Permittivity([](double) { return CComplex(1.0, 0.0); });
}

Gamma Water(double t) {
    return Permittivity([t](double f) { return WaterPermittivity(f, t); });
}

Gamma Relaxation(ColeCole c, int probeType = 1) {
    return Permittivity([c](double f) { return ColeColePermittivity(f, c); }, probeType);
}

// The raw reading of the material the prompt asked for is that material's reflection through the
// analyzer's error terms.
void ExpectRaw(IInstrumentDriver& demo, const std::vector<double>& f, const Gamma& gamma,
               const std::string& what) {
    const auto m = Measure(demo, f.size());
    for (std::size_t i = 0; i < f.size(); ++i) {
        const auto expected = ThroughTerms(DemoErrorTerms(f[i], 0.0), Std(gamma(f[i])));
        EXPECT_LT(Distance(m[i], expected), 1e-12 * (1.0 + std::abs(expected)))
            << what << " at " << f[i] << " Hz";
    }
}

TEST(DemoProbe, MaterialFollowsThePromptsLikeAnOperatorWhoDoesAsTold) {
    auto demo =
        CreateDemo("[standards]\nEthanol/eo = 24.35\nEthanol/einf = 4.2\nEthanol/tau = 1.6e-10\n");
    const std::vector<double> f = Linear(200e6, 20e9, 21);
    Sweep(*demo, f);

    ExpectRaw(*demo, f, Air(), "before any prompt (probe hanging in air)");
    Prompt(*demo, "Connect the shorting block to the probe.", "Measuring the shorting block.");
    ExpectRaw(*demo, f, Fixed({-1.0, 0.0}), "shorting block");
    Prompt(*demo, "Leave the probe open in air.", "Measuring air.");
    ExpectRaw(*demo, f, Air(), "air");
    Prompt(*demo, "Remove the probe and connect a load to the end of the cable.",
           "Measuring the load.");
    // A load at the end of the cable reads the directivity alone.
    const auto load = Measure(*demo, f.size());
    for (std::size_t i = 0; i < f.size(); ++i) {
        EXPECT_EQ(Std(load[i]), Std(DemoErrorTerms(f[i], 0.0).directivity)) << i;
    }
    Prompt(*demo, "Reconnect the probe and leave the probe open in air.", "Measuring air.");
    ExpectRaw(*demo, f, Air(), "air after the load");
    Prompt(*demo, WaterPrompt(30.0), "Measuring water.");
    ExpectRaw(*demo, f, Water(30.0), "water at 30 C");
    // Status texts leave the probe where it is.
    demo->ShowMessage("Computing Calibration...");
    demo->ShowMessage("Downloading Calibration...");
    ExpectRaw(*demo, f, Water(30.0), "water after status texts");
    Prompt(*demo, "Insert the probe in water.", "Measuring water.");
    ExpectRaw(*demo, f, Water(25.0), "refresh water (25 C)");
    Prompt(*demo, WaterPrompt(-5.0), "Measuring water.");
    ExpectRaw(*demo, f, Water(-5.0), "water at -5 C (the table's first row)");
    Prompt(*demo, "Insert probe into sample.", "Measuring sample...");
    ExpectRaw(*demo, f, Relaxation(kMethanol), "sample");
    // User standards by label: the program's defaults, and a label from the settings.
    Prompt(*demo, "Insert the probe into Water", "Measuring Water");
    ExpectRaw(*demo, f, Relaxation({80.4, 4.23, 0.013, 9.3e-12}), "user standard Water");
    Prompt(*demo, "Insert the probe into Short", "Measuring Short");
    ExpectRaw(*demo, f, Relaxation({1e10, 1e10, 0.0, 0.0}), "user standard Short");
    Prompt(*demo, "Insert the probe into Air", "Measuring Air");
    ExpectRaw(*demo, f, Relaxation({1.0, 1.0, 0.0, 0.0}), "user standard Air");
    Prompt(*demo, "Insert the probe into Ethanol", "Measuring Ethanol");
    ExpectRaw(*demo, f, Relaxation({24.35, 4.2, 0.0, 1.6e-10}), "user standard Ethanol");
}

TEST(DemoProbe, MeasuringTextsChangeOnlyWhatThePromptDidNotSay) {
    auto demo = CreateDemo();
    const std::vector<double> f = Linear(1e9, 10e9, 5);
    Sweep(*demo, f);
    demo->ShowTitle("Measuring the load.");
    const auto load = Measure(*demo, f.size());
    EXPECT_EQ(Std(load[0]), Std(DemoErrorTerms(f[0], 0.0).directivity));
    demo->ShowMessage(WaterPrompt(40.0));
    demo->ShowTitle("Measuring water.");  // still the 40 C water of the prompt
    ExpectRaw(*demo, f, Water(40.0), "water after its measuring text");
    demo->ShowTitle("Measuring air.");
    ExpectRaw(*demo, f, Air(), "air by its measuring text");
}

TEST(DemoProbe, ProbeTypeASimulatesTheOtherCoefficients) {
    auto demo = CreateDemo("[probe]\ntype = A\n[sample]\neo = 2.1\neinf = 2.1\n");
    const std::vector<double> f = Linear(200e6, 20e9, 11);
    Sweep(*demo, f);
    demo->ShowMessage("Insert probe into sample.");
    ExpectRaw(*demo, f, Relaxation({2.1, 2.1, 0.0, 0.0}, 0), "PTFE-like sample, probe A");
}

// A probe of another size: the stock B probe with fs 0.7 and s 0.8, and acetone at 25 C as the
// sample. Cp and the coefficients both carry s and the frequency fs, so the aperture admittance is
// s^2 times the stock probe's at fs f; acetone is the single Debye term 1.9 + 19.3 / (1 + j w
// 3.3 ps). A standard (air) and the sample both reflect as at that probe.
TEST(DemoProbe, ScaledProbeAndALiquidSampleReflectAsTheScaledModelSays) {
    auto demo = CreateDemo(
        "[probe]\ntype = B\nfs = 0.7\ns = 0.8\n[sample]\nliquid = acetone\ntemperature = 25\n");
    const std::vector<double> f{0.5e9, 3e9, 12e9};
    Sweep(*demo, f);
    using Eps = std::complex<double> (*)(double);
    const std::pair<const char*, Eps> materials[] = {
        {"Leave the probe open in air.", [](double) { return std::complex<double>(1.0); }},
        {"Insert probe into sample.",
         [](double f) {
             const std::complex<double> jwt(0.0, 2.0 * 3.14159265358979324 * f * 3.3e-12);
             return 1.9 + 19.3 / (1.0 + jwt);
         }},
    };
    const ProbeModel stock = Model(1);
    for (const auto& [prompt, eps] : materials) {
        demo->ShowMessage(prompt);
        const auto m = Measure(*demo, f.size());
        for (std::size_t i = 0; i < f.size(); ++i) {
            const std::complex<double> e = eps(f[i]);
            CComplex y;
            stock.ProbeAdmittance(0.7 * f[i], {e.real(), e.imag()}, y);
            const std::complex<double> scaled = 0.64 * Std(y);
            const auto expected =
                ThroughTerms(DemoErrorTerms(f[i], 0.0), (1.0 - scaled) / (1.0 + scaled));
            EXPECT_LT(Distance(m[i], expected), 1e-12) << prompt << " at " << f[i] << " Hz";
        }
    }
}

struct RoundTrip {
    const char* name;
    std::string ini;
    std::vector<Standard> standards;
};

void PrintTo(const RoundTrip& trip, std::ostream* os) {
    *os << trip.name;
}

class CalibrationRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(CalibrationRoundTrip, CorrectedSampleIsTheModelOfTheSample) {
    auto demo = CreateDemo(GetParam().ini);
    const std::vector<double> f = Linear(200e6, 20e9, 101);
    Sweep(*demo, f);
    const Calibration cal = Calibrate(*demo, f, GetParam().standards);

    // The solved terms are the analyzer's own.
    for (std::size_t i = 0; i < f.size(); ++i) {
        const ErrorTerms t = DemoErrorTerms(f[i], 0.0);
        EXPECT_LT(Distance(cal.d00[i], Std(t.directivity)), 1e-9) << i;
        EXPECT_LT(Distance(cal.d11[i], Std(t.sourceMatch)), 1e-9) << i;
        EXPECT_LT(Distance(cal.d01[i], Std(t.tracking)), 1e-9) << i;
    }

    Prompt(*demo, "Insert probe into sample.", "Measuring sample...");
    const auto sample = Measure(*demo, f.size());
    const Gamma methanol = Relaxation(kMethanol);
    for (std::size_t i = 0; i < f.size(); ++i) {
        EXPECT_LT(Distance(sample[i], Std(methanol(f[i]))), 1e-9) << f[i];
    }
    // Standards read back as themselves once the terms are in.
    Prompt(*demo, "Connect the shorting block to the probe.", "Measuring the shorting block.");
    const auto shorted = Measure(*demo, f.size());
    EXPECT_LT(Distance(shorted[50], {-1.0, 0.0}), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    DemoProbe, CalibrationRoundTrip,
    testing::Values(
        RoundTrip{"AirShortWater",
                  "",
                  {{"Leave the probe open in air.", "Measuring air.", Air()},
                   {"Connect the shorting block to the probe.", "Measuring the shorting block.",
                    Fixed({-1.0, 0.0})},
                   {WaterPrompt(25.0), "Measuring water.", Water(25.0)}}},
        RoundTrip{
            "LoadAirShort",
            "",
            {{"Remove the probe and connect a load to the end of the cable.", "Measuring the load.",
              Fixed({0.0, 0.0})},
             {"Reconnect the probe and leave the probe open in air.", "Measuring air.", Air()},
             {"Connect the shorting block to the probe.", "Measuring the shorting block.",
              Fixed({-1.0, 0.0})}}},
        RoundTrip{
            "UserDefined",
            "[standards]\nDMSO/eo = 47.0\nDMSO/einf = 7.0\nDMSO/tau = 2.1e-11\n",
            {{"Insert the probe into Air", "Measuring Air", Relaxation({1.0, 1.0, 0, 0})},
             {"Insert the probe into Short", "Measuring Short", Relaxation({1e10, 1e10, 0, 0})},
             {"Insert the probe into DMSO", "Measuring DMSO",
              Relaxation({47.0, 7.0, 0.0, 2.1e-11})}}}),
    [](const testing::TestParamInfo<RoundTrip>& info) { return std::string(info.param.name); });

TEST(DemoProbe, ShortingBlockPassesTheProgramsCheckAtTheFirstPoint) {
    auto demo = CreateDemo();
    const std::vector<double> f = Linear(200e6, 20e9, 51);
    Sweep(*demo, f);
    demo->BeginCalibration();
    Prompt(*demo, "Leave the probe open in air.", "Measuring air.");
    const auto air = Measure(*demo, f.size());
    Prompt(*demo, "Connect the shorting block to the probe.", "Measuring the shorting block.");
    const auto shorted = Measure(*demo, f.size());
    const double deviation = std::abs(Std(shorted[0]) / Std(air[0]) + 1.0);
    EXPECT_LE(deviation, 0.3);
    // ... and not trivially: the error terms are far from ideal.
    EXPECT_GT(deviation, 0.01);
    // Nor would it pass with the probe left in air.
    Prompt(*demo, "Leave the probe open in air.", "Measuring air.");
    const auto again = Measure(*demo, f.size());
    EXPECT_GT(std::abs(Std(again[0]) / Std(air[0]) + 1.0), 0.3);
}

TEST(DemoProbe, ErrorTermsAreThoseOfARealisticTestSet) {
    double previousLoss = 0.0;
    for (double f = 200e6; f <= 20e9; f += 200e6) {
        const ErrorTerms t = DemoErrorTerms(f, 0.0);
        const double directivityDb = 20.0 * std::log10(std::abs(Std(t.directivity)));
        const double matchDb = 20.0 * std::log10(std::abs(Std(t.sourceMatch)));
        const double trackingDb = 20.0 * std::log10(std::abs(Std(t.tracking)));
        EXPECT_GT(directivityDb, -33.0) << f;
        EXPECT_LT(directivityDb, -27.5) << f;
        EXPECT_GT(matchDb, -28.0) << f;
        EXPECT_LT(matchDb, -24.0) << f;
        EXPECT_LT(trackingDb, -previousLoss + 1e-12) << f;  // loss grows with frequency
        EXPECT_GT(trackingDb, -6.0) << f;
        previousLoss = -trackingDb;
    }
    // Round-trip delay of 1 m of cable with velocity factor 0.7: 2 / (0.7 c) = 9.53 ns.
    const double f = 1e9;
    const double df = 1e6;
    const double phase =
        std::arg(Std(DemoErrorTerms(f + df, 0.0).tracking) / Std(DemoErrorTerms(f, 0.0).tracking));
    EXPECT_NEAR(-phase / (2.0 * 3.14159265358979 * df), 2.0 / (0.7 * 299792458.0), 1e-12);
    // Drift turns the cable's round trip (tracking and source match) and leaves the port alone.
    const ErrorTerms turned = DemoErrorTerms(f, 90.0);
    const ErrorTerms plain = DemoErrorTerms(f, 0.0);
    EXPECT_LT(std::abs(Std(turned.tracking) / Std(plain.tracking) - std::complex(0.0, -1.0)),
              1e-12);
    EXPECT_LT(std::abs(Std(turned.sourceMatch) / Std(plain.sourceMatch) - std::complex(0.0, -1.0)),
              1e-12);
    EXPECT_EQ(Std(turned.directivity), Std(plain.directivity));
}

TEST(DemoProbe, CableDriftTurnsTheCorrectedReadingAndARefreshTakesItBack) {
    // Slow against the three sweeps of a calibration, as a cable warming up would be.
    const double drift = 0.2;  // degrees per sweep
    auto demo = CreateDemo("[cable]\ndrift = 0.2\n");
    const std::vector<double> f = Linear(200e6, 20e9, 51);
    Sweep(*demo, f);
    Calibration cal = Calibrate(*demo, f,
                                {{"Leave the probe open in air.", "Measuring air.", Air()},
                                 {"Connect the shorting block to the probe.",
                                  "Measuring the shorting block.", Fixed({-1.0, 0.0})},
                                 {WaterPrompt(25.0), "Measuring water.", Water(25.0)}});
    const Gamma methanol = Relaxation(kMethanol);

    Prompt(*demo, "Insert probe into sample.", "Measuring sample...");
    std::vector<std::vector<CComplex>> readings;
    for (int sweep = 0; sweep < 50; ++sweep) {
        readings.push_back(Measure(*demo, f.size()));
    }
    // From one sweep to the next the reading turns by the drift.
    for (std::size_t s = 1; s < readings.size(); ++s) {
        for (std::size_t i = 0; i < f.size(); i += 10) {
            const double step =
                std::arg(Std(readings[s][i]) / Std(readings[s - 1][i])) * 180.0 / 3.14159265358979;
            EXPECT_NEAR(step, -drift, 0.02) << "sweep " << s << " at " << f[i];
        }
    }
    auto error = [&](const std::vector<CComplex>& m) {
        double worst = 0.0;
        for (std::size_t i = 0; i < f.size(); ++i) {
            worst = std::max(worst, Distance(m[i], Std(methanol(f[i]))));
        }
        return worst;
    };
    const double drifted = error(readings.back());
    EXPECT_GT(drifted, 0.05);

    // The program's refresh with the shorting block: rescale e11 and e01e10 by reading / (-1).
    Prompt(*demo, "Connect the shorting block to the probe.", "Measuring the shorting block.");
    const auto refresh = Measure(*demo, f.size());
    for (std::size_t i = 0; i < f.size(); ++i) {
        const CComplex ratio = refresh[i] / CComplex(-1.0, 0.0);
        cal.d11[i] = CComplex::Multiply(cal.d11[i], ratio);
        cal.d01[i] = CComplex::Multiply(cal.d01[i], ratio);
    }
    demo->DownloadCalibration(cal.d00, cal.d11, cal.d01);
    Prompt(*demo, "Insert probe into sample.", "Measuring sample...");
    // A sweep or two of drift remain, against fifty before the refresh.
    EXPECT_LT(error(Measure(*demo, f.size())), drifted / 5.0);
}

}  // namespace
}  // namespace kv::test
