// The terminal's characterisation with the "Touchstone files" analyzer: files of the standards,
// acetone and methanol measured by a probe B whose model runs at 0.7 of the stock frequency scale
// give back that scale, and the probe saved then measures methanol as it is; the stock probe
// does not. Mistakes on the command line and a refused fit save nothing.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "CliRun.h"
#include "DemoErrorModel.h"
#include "DemoMaterial.h"
#include "persist/ProbeFiles.h"
#include "persist/ReferenceLiquidFiles.h"
#include "probe/FrequencyList.h"
#include "probe/ProbeModel.h"
#include "touchstone/Touchstone.h"

namespace kv::test {
namespace {

constexpr double kTrueScale = 0.7;
constexpr double kStart = 3e8;
constexpr double kStop = 1e10;
constexpr int kPoints = 51;

const ReferenceLiquid& Liquid(const std::string& id) {
    static const ReferenceLiquidLibrary library =
        LoadReferenceLiquids({KV_SOURCE_DIR "/data/reference-liquids.txt"});
    const ReferenceLiquid* liquid = FindReferenceLiquid(library.liquids, id);
    EXPECT_NE(liquid, nullptr) << id;
    return *liquid;
}

// The raw reading of a probe B of frequency scale 0.7 with `reflection` at its aperture, through
// the Demo analyzer's error terms, on a logarithmic sweep.
template <typename Reflection>
std::string ScaledProbeFile(Reflection reflection) {
    ProbeModel model;
    model.frequencyScale = kTrueScale;
    model.LoadProbeCoefficients(1);
    TouchstoneData data;
    data.frequencies = FrequencyList(SweepBetween(kStart, kStop, kPoints, SweepKind::Logarithmic));
    for (double f : data.frequencies) {
        data.s11.push_back(RawReflection(DemoErrorTerms(f, 0.0), reflection(model, f)));
    }
    return FormatTouchstone(data, "Made-up analyzer 1.0", "2026-01-01 00:00:00");
}

std::string MaterialFile(const DemoMaterial& material) {
    return ScaledProbeFile(
        [&](const ProbeModel& model, double f) { return material.Reflection(model, f); });
}

std::string LiquidFile(const std::string& id) {
    const ReferenceLiquid& liquid = Liquid(id);
    return ScaledProbeFile([&](const ProbeModel& model, double f) {
        return model.Reflection(f, *LiquidPermittivity(liquid, 25.0, f));
    });
}

struct Bench {
    CliFolder folder;
    Bench() {
        folder.Write("air.s1p", MaterialFile(DemoMaterial::Air()));
        folder.Write("short.s1p", MaterialFile(DemoMaterial::Short()));
        folder.Write("water.s1p", MaterialFile(DemoMaterial::Water(25.0)));
        folder.Write("acetone.s1p", LiquidFile("acetone"));
        folder.Write("methanol.s1p", LiquidFile("methanol-barthel"));
    }
    // The command with the standards' files and `sample`, then `more`.
    CliResult Run(const std::string& command, const std::string& sample,
                  const std::vector<std::string>& more) const {
        std::vector<std::string> args = {command,
                                         "--instrument",
                                         "Touchstone",
                                         "--air",
                                         folder.Path("air.s1p"),
                                         "--short",
                                         folder.Path("short.s1p"),
                                         "--water",
                                         folder.Path("water.s1p"),
                                         "--sample",
                                         folder.Path(sample),
                                         "--yes"};
        args.insert(args.end(), more.begin(), more.end());
        return folder.Run(args);
    }
    // The largest deviation of the measured methanol from the library's, relative to |e|.
    double MethanolDeviation(const std::string& probe) const {
        const CliResult r = Run("measure", "methanol.s1p", {"--probe", probe});
        EXPECT_EQ(r.status, 0) << r.err;
        const std::vector<ResultRow> rows = ParseRows(r.out);
        EXPECT_EQ(rows.size(), static_cast<std::size_t>(kPoints)) << r.out;
        // The data file's frequency has four decimals: the sweep's own frequency is used.
        const std::vector<double> f =
            FrequencyList(SweepBetween(kStart, kStop, kPoints, SweepKind::Logarithmic));
        double largest = 0.0;
        for (std::size_t i = 0; i < rows.size() && i < f.size(); ++i) {
            const CComplex e = *LiquidPermittivity(Liquid("methanol-barthel"), 25.0, f[i]);
            largest = std::max(
                largest, std::hypot(rows[i].e1 - e.re, rows[i].e2 + e.im) / std::hypot(e.re, e.im));
        }
        return largest;
    }
};

TEST(CliCharacterise, FindsTheProbesScaleAndTheProbeMeasuresMethanol) {
    const Bench bench;
    const CliFolder& folder = bench.folder;
    const CliResult r = bench.Run("characterise", "acetone.s1p",
                                  {"--liquid", "acetone", "--liquid-temperature", "25",
                                   "--probe-file", folder.Path("p.json")});
    ASSERT_EQ(r.status, 0) << r.err;
    const ProbeLoad load = LoadProbeFile(folder.Path("p.json"));
    ASSERT_TRUE(load.probe) << load.error;
    const CharacterisedProbe& p = *load.probe;
    EXPECT_EQ(p.name, "p");
    EXPECT_EQ(p.stockType, 1);
    EXPECT_NEAR(p.frequencyScale, kTrueScale, 1e-4);
    EXPECT_EQ(p.coefficientScale, 1.0);
    EXPECT_FALSE(p.coefficientScaleFitted);
    EXPECT_EQ(p.liquid, "acetone");
    EXPECT_EQ(p.liquidTemperature, 25.0);
    EXPECT_EQ(p.waterTemperature, 25.0);
    // Acetone's range, 0.1 to 20 GHz, holds the whole sweep.
    EXPECT_EQ(p.points, kPoints);
    EXPECT_NEAR(p.fromHz, kStart, 1e-3);
    EXPECT_NEAR(p.toHz, kStop, 1e-3);
    EXPECT_GT(p.before.largest, 1e-2);
    EXPECT_LT(p.after.largest, 1e-4);
    EXPECT_NE(r.out.find("points: 51 from 0.3 GHz to 10 GHz\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("coefficient scale: 1 (not fitted: The coefficient scale cancels"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("saved: " + folder.Path("p.json") + "\n"), std::string::npos);
    EXPECT_NE(r.err.find("Insert probe into Acetone at 25 C."), std::string::npos) << r.err;

    EXPECT_LT(bench.MethanolDeviation(folder.Path("p.json")), 1e-3);
    EXPECT_GT(bench.MethanolDeviation("B"), 1e-3);

    // Saved by name into the program's library, and found there by name; the liquid's only
    // temperature is taken when none is given.
    ASSERT_EQ(
        bench.Run("characterise", "acetone.s1p", {"--liquid", "acetone", "--name", "P7"}).status,
        0);
    EXPECT_TRUE(folder.Exists(
        "data/Local AppWizard-Generated Applications/Tarvel Technologies 47310C/probes/P7.json"));
    EXPECT_LT(bench.MethanolDeviation("P7"), 1e-3);
}

TEST(CliCharacterise, RefusesMistakesAndSavesNothing) {
    const Bench bench;
    const CliFolder& folder = bench.folder;
    folder.Write("broken.json", "[1, 2]");
    const std::string p = folder.Path("p.json");
    struct Case {
        const char* command;
        const char* sample;
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {"characterise",
         "acetone.s1p",
         {"--liquid", "nope", "--probe-file", p},
         2,
         "--liquid: no reference liquid is named 'nope'"},
        {"characterise",
         "acetone.s1p",
         {"--liquid", "acetone", "--liquid-temperature", "40", "--probe-file", p},
         2,
         "acetone is not offered at 40 C; it is offered at 25 C"},
        {"characterise",
         "acetone.s1p",
         {"--liquid", "acetone", "--name", "a"},
         2,
         "The probe cannot be named a: A and B are the stock probe types."},
        {"characterise",
         "acetone.s1p",
         {"--liquid", "acetone", "--probe-file", folder.Path("B.json")},
         2,
         "The probe cannot be named B: A and B are the stock probe types."},
        {"characterise",
         "acetone.s1p",
         {"--liquid", "acetone", "--name", "x", "--probe-file", p},
         2,
         "characterise needs either --name or --probe-file"},
        {"characterise",
         "acetone.s1p",
         {"--liquid", "acetone"},
         2,
         "characterise needs either --name or --probe-file"},
        {"characterise",
         "acetone.s1p",
         {"--liquid", "acetone", "--probe-file", p, "--check", "methanol"},
         2,
         "--check is not an option of characterise"},
        {"measure",
         "methanol.s1p",
         {"--probe", "nothere"},
         2,
         "--probe: No characterised probe is named \"nothere\" in " + folder.Path("data") +
             "/Local AppWizard-Generated Applications/Tarvel Technologies 47310C/probes."},
        {"measure",
         "methanol.s1p",
         {"--probe", folder.Path("broken.json")},
         2,
         "--probe: " + folder.Path("broken.json") + ": not a probe: the file holds no JSON object"},
        // The short's reading is no acetone: no scale brings it near.
        {"characterise",
         "short.s1p",
         {"--liquid", "acetone", "--probe-file", p},
         1,
         "the probe was not characterised: The reading deviates from Acetone by up to "
         "6.8e+04 % even with the fitted probe (at most 10 % is accepted): was the probe in "
         "Acetone?"},
    };
    for (const Case& c : cases) {
        const CliResult r = bench.Run(c.command, c.sample, c.args);
        EXPECT_EQ(r.status, c.status) << c.message << "\n" << r.out << r.err;
        EXPECT_NE(r.err.find("kv47310-cli: " + c.message), std::string::npos) << c.message << "\n"
                                                                              << r.err;
        EXPECT_FALSE(folder.Exists("p.json")) << c.message;
    }
}

}  // namespace
}  // namespace kv::test
