#include <gtest/gtest.h>

#include "probe/LiquidComparison.h"

namespace {

// A Debye liquid at 20 C only: es 10, einf 2, fr 1 GHz, held from 0.5 to 2 GHz.
// e = 2 + 8 / (1 + j f/GHz): 0.5 GHz 8.4 - j3.2, 1 GHz 6 - j4, 2 GHz 3.6 - j3.2.
kv::ReferenceLiquid Liquid() {
    kv::ReferenceLiquid liquid;
    liquid.id = "test-debye";
    liquid.lowestFrequency = 0.5e9;
    liquid.highestFrequency = 2e9;
    liquid.tables.push_back({kv::LiquidModel::Debye, {{20.0, {10.0, 2.0, 1e9}}}});
    return liquid;
}

}  // namespace

// The result holds (e', e'') with e'' positive; de = measured - liquid.
TEST(LiquidComparison, MaximaOverTheComputedPointsInTheLiquidsRange) {
    kv::MeasurementResult result;
    const auto add = [&](double f, double e1, double e2) {
        result.frequencies.push_back(f);
        result.permittivity.emplace_back(e1, e2);
    };
    add(0.25e9, 50, 50);                 // below the range
    add(0.5e9 * (1 - 1e-10), 8.5, 3.9);  // 0.5 GHz within rounding: de 0.1, 0.7
    add(1e9, 6.3, 4.0);                  // de 0.3, 0
    add(1.5e9, 9999, 9999);              // not computed
    add(2e9, 3.0, 3.5);                  // de -0.6, 0.3
    add(2.5e9, 0, 0);                    // above the range

    const kv::LiquidComparison c = kv::CompareWithLiquid(result, Liquid(), 20.0);
    EXPECT_EQ(c.count, 3);
    EXPECT_DOUBLE_EQ(c.firstFrequency, 0.5e9 * (1 - 1e-10));
    EXPECT_DOUBLE_EQ(c.lastFrequency, 2e9);
    EXPECT_NEAR(c.maxRealDeviation, 0.6, 1e-9);
    EXPECT_NEAR(c.maxLossDeviation, 0.7, 1e-9);
    // At 2 GHz: |de| = sqrt(0.36 + 0.09) = 0.670820393, |e| = sqrt(12.96 + 10.24) = 4.816637832
    // (0.5 GHz: 0.707106781 / 8.988882022 = 7.866 %).
    EXPECT_NEAR(c.maxRelativeDeviation, 13.927150363, 1e-8);

    // At a temperature the liquid does not offer nothing is compared.
    const kv::LiquidComparison none = kv::CompareWithLiquid(result, Liquid(), 25.0);
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.maxRelativeDeviation, 0.0);
}
