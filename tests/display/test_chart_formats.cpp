#include <gtest/gtest.h>

#include "display/ChartFormats.h"

namespace kv {
namespace {

TEST(ChartFormats, EveryRowRoundTripsItsKindRecordAndName) {
    const auto records = DefaultFormatRecords();
    for (int i = 0; i < kFormatRecordCount; ++i) {
        const FormatRow& row = kFormatRows[i];
        EXPECT_EQ(records[static_cast<std::size_t>(i)].name, row.name) << i;
        EXPECT_EQ(ChartFormatAt(i), row.chart) << i;
        if (row.chart && *row.option != '\0') {
            EXPECT_EQ(ChartFormatNamed(row.option), row.chart) << row.option;
        }
    }
    EXPECT_EQ(ChartFormatAt(kFormatTableReIm), std::nullopt);
    EXPECT_EQ(ChartFormatAt(kFormatRecordCount), std::nullopt);
    EXPECT_EQ(ChartFormatNamed("u1"), std::nullopt);
    // The terminal's message lists the offered names in table order.
    EXPECT_EQ(ChartFormatNames(), "e1, e2, tan or colecole");
}

}  // namespace
}  // namespace kv
