#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "probe/ReferenceLiquids.h"
#include "probe/Standards.h"

using kv::CComplex;
using kv::ReferenceLiquid;
using kv::TemperatureRange;

namespace {

const std::vector<ReferenceLiquid>& Shipped() {
    static const std::vector<ReferenceLiquid> liquids = [] {
        std::ifstream in(KV_SOURCE_DIR "/data/reference-liquids.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::vector<ReferenceLiquid> parsed;
        std::string error;
        EXPECT_TRUE(kv::ParseReferenceLiquids(text.str(), "reference-liquids.txt", parsed, error))
            << error;
        return parsed;
    }();
    return liquids;
}

const ReferenceLiquid& Liquid(const char* id) {
    const ReferenceLiquid* liquid = kv::FindReferenceLiquid(Shipped(), id);
    EXPECT_NE(liquid, nullptr) << id;
    static const ReferenceLiquid none;
    return liquid != nullptr ? *liquid : none;
}

}  // namespace

// Hand calculations from the published parameters; e'' is positive for a lossy liquid and the
// permittivity is e' - j e'', so the imaginary part is -e''.
TEST(ReferenceLiquids, ShippedModelsAgreeWithHandCalculations) {
    constexpr double GHz = 1e9;
    struct Case {
        const char* id;
        double t;
        double f;
        double e1;
        double e2;
    } cases[] = {
        // Debye at f = fr: e' = (es + einf) / 2 = (32.66 + 5.563) / 2, e'' = (es - einf) / 2.
        {"methanol", 25, 3.141 * GHz, 19.1115, 13.5485},
        // Halfway between 20 and 25 C: es 33.15, einf 5.6085, fr 2.9815 GHz; at f = fr
        // e' = (33.15 + 5.6085) / 2, e'' = (33.15 - 5.6085) / 2.
        {"methanol", 22.5, 2.9815 * GHz, 19.37925, 13.77075},
        // DMSO at 32.5 C, halfway: es 45.525, einf 6.1705, fr 9.5005 GHz, at f = fr.
        {"dmso", 32.5, 9.5005 * GHz, 25.84775, 19.67725},
        // Debye with a high-frequency term at f = fr: e' = (24.43 + 4.505) / 2,
        // e'' = (24.43 - 4.505) / 2 + 0.056 * 0.964 = 9.9625 + 0.053984.
        {"ethanol", 25, 0.964 * GHz, 14.4675, 10.016484},
        // Two Debye terms, propan-1-ol 20 C at f = fr1: first term 17.329 / (1 + j) =
        // 8.6645 - j 8.6645; second: x = 0.398 / 7.629 = 0.0521693538, 0.679 / (1 + x^2) =
        // 0.677157021, times x = 0.035326844; e' = 3.142 + 8.6645 + 0.677157021.
        {"propan-1-ol", 20, 0.398 * GHz, 12.483657021, 8.699826844},
        // 35 C belongs to the two-term table. First term at f = fr1: (19.07 - 3.774) / 2 = 7.648
        // for both e' and e''; second: x = 0.707 / 9.638 = 0.0733554679, 0.698 / (1 + x^2) =
        // 0.694264147, times x = 0.050928071.
        {"propan-1-ol", 35, 0.707 * GHz, 11.418264147, 7.698928071},
        // Propan-2-ol at 32.5 C, halfway in the Debye table with a high-frequency term: es 18.01,
        // fr 0.6335 GHz, eH 3.464, Gamma 0.0495; at f = fr: e' = (18.01 + 3.464) / 2,
        // e'' = (18.01 - 3.464) / 2 + 0.0495 * 0.6335 = 7.273 + 0.03135825.
        {"propan-2-ol", 32.5, 0.6335 * GHz, 10.737, 7.30435825},
        // Cole-Davidson at f = fr: (1 + j)^b = 2^(b/2) e^(j pi b / 4). Ethanediol 25 C: b = 0.859,
        // 2^(-0.4295) = 0.742519078, pi b / 4 = 0.674657022, cos 0.780921231, sin 0.624629515;
        // e' = 4.7 + 36.05 * 0.742519078 * 0.780921231, e'' = 36.05 * 0.742519078 * 0.624629515.
        {"ethanediol", 25, 1.19 * GHz, 25.603553300, 16.719965907},
        // One Debye term at 2 pi f tau = 1: e' = 1.9 + 19.3 / 2, e'' = 19.3 / 2.
        {"acetone", 25, 1.0 / (2.0 * M_PI * 3.3e-12), 11.55, 9.65},
        // Three Debye terms at 1 GHz: x = 2 pi f tau = 0.323584043, 0.044547784, 0.007037168;
        // de / (1 + x^2) = 24.069738701, 1.007999620, 2.109895514; times x = 7.788583371,
        // 0.044904149, 0.014847688.
        {"methanol-barthel", 25, 1.0 * GHz, 2.79 + 24.069738701 + 1.007999620 + 2.109895514,
         7.788583371 + 0.044904149 + 0.014847688},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.id) + " at " + std::to_string(c.t) + " C");
        const std::optional<CComplex> e = kv::LiquidPermittivity(Liquid(c.id), c.t, c.f);
        ASSERT_TRUE(e.has_value());
        EXPECT_NEAR(e->re, c.e1, 1e-9 * c.e1);
        EXPECT_NEAR(e->im, -c.e2, 1e-9 * c.e2);
    }
}

TEST(ReferenceLiquids, OffersTheTablesTemperaturesOnly) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* id;
        double t;
        bool offered;
    } cases[] = {
        {"propan-2-ol", 25.0, true},  {"propan-2-ol", 25.001, false},
        {"propan-2-ol", 27.5, false}, {"propan-2-ol", 29.999, false},
        {"propan-2-ol", 30.0, true},  {"butan-1-ol", 40.0, true},
        {"butan-1-ol", 42.5, false},  {"butan-1-ol", 45.0, true},
        {"methanol", 9.99, false},    {"methanol", 10.0, true},
        {"methanol", 50.0, true},     {"methanol", 50.01, false},
        {"methanol", nan, false},     {"acetone", 25.0, true},
        {"acetone", 24.9, false},     {"water", -0.1, false},
        {"water", 0.0, true},         {"water", 75.0, true},
        {"water", 75.1, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kv::LiquidPermittivity(Liquid(c.id), c.t, 1e9).has_value(), c.offered)
            << c.id << " at " << c.t;
    }
    using R = std::vector<TemperatureRange>;
    EXPECT_EQ(kv::OfferedTemperatures(Liquid("propan-2-ol")), (R{{10, 25}, {30, 50}}));
    EXPECT_EQ(kv::OfferedTemperatures(Liquid("butan-1-ol")), (R{{10, 40}, {45, 50}}));
    EXPECT_EQ(kv::OfferedTemperatures(Liquid("propan-1-ol")), (R{{10, 50}}));
    EXPECT_EQ(kv::OfferedTemperatures(Liquid("acetone")), (R{{25, 25}}));
    EXPECT_EQ(kv::OfferedTemperatures(Liquid("water")), (R{{0, 75}}));
    // The source's frequency range in Hz; water's table names none.
    EXPECT_EQ(Liquid("ethanol").lowestFrequency, 0.1e9);
    EXPECT_EQ(Liquid("ethanol").highestFrequency, 4e9);
    EXPECT_EQ(Liquid("methanol-barthel").highestFrequency, 293e9);
    EXPECT_EQ(Liquid("water").highestFrequency, std::numeric_limits<double>::infinity());
    EXPECT_FALSE(kv::LiquidPermittivity(Liquid("methanol"), 25, -1.0).has_value());
}

TEST(ReferenceLiquids, WaterIsTheCalibrationsWater) {
    for (double t : {0.0, 4.2, 10.0, 25.0, 37.3, 60.0, 71.1, 75.0}) {
        for (double f : {0.0, 2e8, 1e9, 3.3e9, 2e10}) {
            const std::optional<CComplex> e = kv::LiquidPermittivity(Liquid("water"), t, f);
            const CComplex calibration = kv::WaterPermittivity(f, t);
            ASSERT_TRUE(e.has_value());
            EXPECT_EQ(e->re, calibration.re) << t << " C, " << f << " Hz";
            EXPECT_EQ(e->im, calibration.im) << t << " C, " << f << " Hz";
        }
    }
}

TEST(ReferenceLiquids, FaultsNameTheFileAndLine) {
    const std::string head = "[x]\nname = X\n";
    struct Case {
        std::string text;
        std::string message;
    } cases[] = {
        {"name = X\n", "f.txt:1: expected [identifier] to start a liquid"},
        {"# c\n[a b]\n",
         "f.txt:2: a liquid starts with [identifier]: letters, digits, '-', '_' "
         "and '.'"},
        {head + "model = debie\n",
         "f.txt:3: unknown model debie; models: debye, debye-high-frequency, two-debye, "
         "cole-davidson, debye-sum, calibration-water"},
        {head + "colour = red\n",
         "f.txt:3: unknown setting colour; settings: name, citation, frequency-ghz, model"},
        {head + "10 1 2 3\n", "f.txt:3: a row of parameters before any model line"},
        {head + "model = debye\n10 30 5\n",
         "f.txt:4: expected the temperature and 3 numbers (es, einf, fr (GHz)), found 3 numbers"},
        {head + "model = debye\n10 30 5 1,5\n", "f.txt:4: not a number: 1,5"},
        {head + "model = debye\n10 30 5 nan\n", "f.txt:4: not a number: nan"},
        {head + "model = debye\n10 30 5 0\n", "f.txt:4: a relaxation frequency must be above 0"},
        {head + "model = debye\n20 30 5 1\n\n20 29 5 1\n",
         "f.txt:6: temperatures of a model increase from row to row"},
        {head + "model = debye\n20 30 5 1\nmodel = debye\n15 30 5 1\n",
         "f.txt:6: a model starts at or above the last temperature of the one before"},
        {head + "model = debye-sum\n25 2 10\n",
         "f.txt:4: expected the temperature, einf, then de and tau (ps) of each term"},
        {head + "model = debye\nmodel = debye\n20 30 5 1\n", "f.txt:3: model debye has no rows"},
        {head + "model = calibration-water\n20 30 5 1\n",
         "f.txt:4: calibration-water takes no rows: it is the calibration's water table"},
        {head + "frequency-ghz = 5 1\n",
         "f.txt:3: frequency-ghz takes the lowest and the highest frequency in GHz"},
        {"[x]\nmodel = debye\n20 30 5 1\n", "f.txt:1: liquid x has no name"},
        {head + "\n[y]\nname = Y\n", "f.txt:1: liquid x has no model"},
        {head + "model = debye\n20 30 5 1\n[x]\n", "f.txt:5: liquid x appears twice in this file"},
    };
    for (const Case& c : cases) {
        std::vector<ReferenceLiquid> liquids{ReferenceLiquid{}};
        std::string error;
        EXPECT_FALSE(kv::ParseReferenceLiquids(c.text, "f.txt", liquids, error)) << c.text;
        EXPECT_EQ(error, c.message);
        EXPECT_TRUE(liquids.empty());
    }
}

TEST(ReferenceLiquids, ReadsCommentsBlanksAndWindowsLineEnds) {
    const std::string text =
        "\xEF\xBB\xBF# mine\r\n\r\n[m]\r\nname = Mine = ours\r\ncitation = Lab book 3\r\n"
        "frequency-ghz = 0.5 +2\r\nmodel = debye\r\n  # T es einf fr\r\n 20\t+30 -5 1e0\r\n";
    std::vector<ReferenceLiquid> liquids;
    std::string error;
    ASSERT_TRUE(kv::ParseReferenceLiquids(text, "f.txt", liquids, error)) << error;
    ASSERT_EQ(liquids.size(), 1u);
    EXPECT_EQ(liquids[0].name, "Mine = ours");
    EXPECT_EQ(liquids[0].citation, "Lab book 3");
    EXPECT_EQ(liquids[0].lowestFrequency, 0.5e9);
    EXPECT_EQ(liquids[0].highestFrequency, 2e9);
    // Debye at f = fr: e' = (30 + -5) / 2, e'' = (30 - -5) / 2.
    const std::optional<CComplex> e = kv::LiquidPermittivity(liquids[0], 20, 1e9);
    ASSERT_TRUE(e.has_value());
    EXPECT_DOUBLE_EQ(e->re, 12.5);
    EXPECT_DOUBLE_EQ(e->im, -17.5);
}

TEST(ReferenceLiquids, MergeReplacesInPlaceAndAppends) {
    std::vector<ReferenceLiquid> library(2);
    library[0].id = "a";
    library[1].id = "b";
    std::vector<ReferenceLiquid> more(2);
    more[0].id = "c";
    more[1].id = "a";
    more[1].name = "mine";
    kv::MergeReferenceLiquids(library, more);
    ASSERT_EQ(library.size(), 3u);
    EXPECT_EQ(library[0].name, "mine");
    EXPECT_EQ(library[1].id, "b");
    EXPECT_EQ(library[2].id, "c");
}
