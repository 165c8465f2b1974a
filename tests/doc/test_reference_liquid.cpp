// "Reference Liquid...": a liquid of the library in a memory beside the Data trace, and the
// measurement's deviation from it.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "DocFixture.h"
#include "doc/CommandIds.h"
#include "doc/CommandTable.h"

namespace kv::test {
namespace {

// Testol at 25 C interpolates to es 25, einf 4.5, fr 1.5 GHz: e = 4.5 + 20.5 / (1 + j f/1.5 GHz),
// so 20.9 - j8.2 at 0.75 GHz, 14.75 - j10.25 at 1.5 GHz and 8.6 - j8.2 at 3 GHz.
constexpr const char* kLibrary =
    "[testol]\n"
    "name = Testol\n"
    "frequency-ghz = 0.5 2\n"
    "model = debye\n"
    "  20  30  5  1\n"
    "  30  20  4  2\n"
    "[single]\n"
    "name = Single Liquid\n"
    "model = debye\n"
    "  22  10  2  1\n";

class ReferenceLiquidTest : public DocFixture {
protected:
    CKv4731xDoc& MakeWithLibrary() {
        CKv4731xDoc& d = Make();
        const std::string path = (folder / "liquids.txt").string();
        std::ofstream(path) << kLibrary;
        d.referenceLiquidPaths = {path};
        d.Engine().frequencies = {0.25e9, 0.75e9, 1.5e9, 3e9};
        return d;
    }
    // The page answered with these values, then Cancel.
    void Answer(std::vector<std::array<std::string, 3>> answers) {
        ui.componentSettings = [this, answers](const std::string& title,
                                               std::vector<SettingDescription>& page) mutable {
            titles.push_back(title);
            pages.push_back(page);
            if (answers.empty()) {
                return false;
            }
            for (std::size_t i = 0; i < 3; ++i) {
                page[i].value = answers.front()[i];
            }
            answers.erase(answers.begin());
            return true;
        };
    }
    std::vector<std::string> titles;
    std::vector<std::vector<SettingDescription>> pages;
};

TEST_F(ReferenceLiquidTest, MemoryHoldsTheModelAndTheMessageComparesTheMeasurement) {
    CKv4731xDoc& d = MakeWithLibrary();
    CTrace& data = d.Trace(kDataTrace);
    data.frequencies = d.Engine().frequencies;
    // Far off outside 0.5 to 2 GHz, where the liquid's model is not compared.
    data.permittivity = {{50, 50}, {21.0, 8.0}, {14.75, 10.75}, {50, 50}};
    data.valid = data.displayed = true;
    Answer({{"testol", "25", "2"}});
    EXPECT_TRUE(RunDocumentCommand(d, ID_REFERENCE_LIQUID));

    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(titles[0], "Reference Liquid");
    const std::vector<SettingDescription>& page = pages[0];
    EXPECT_EQ(page[0].choices[1].text, "Single Liquid");
    EXPECT_EQ(page[0].value, "testol");
    EXPECT_EQ(page[1].value, "");
    EXPECT_EQ(page[1].defaultValue, "as offered, else 25 C");
    EXPECT_EQ(page[2].choices[2].text, "Memory 3");

    const CTrace& memory = d.Trace(2);
    EXPECT_TRUE(memory.valid && memory.displayed);
    EXPECT_EQ(memory.label, "< testol 25 C");
    EXPECT_TRUE(d.IsModified());
    const std::pair<double, double> expected[] = {{20.9, 8.2}, {14.75, 10.25}, {8.6, 8.2}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(memory.permittivity[i + 1].re, expected[i].first, 1e-12) << i;
        EXPECT_NEAR(memory.permittivity[i + 1].im, expected[i].second, 1e-12) << i;
    }
    // 0.75 GHz: de = 0.1 - j0.2; 1.5 GHz: de'' = 0.5, |de|/|e| = 0.5 / 17.9618 = 2.78 %.
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Data against testol 25 C: 2 points from 0.75 GHz to 1.5 GHz\n"
              "max |de'| 0.100, max |de''| 0.500, max |de|/|e| 2.78 %");
    EXPECT_EQ(ui.messages[0].caption, "Reference Liquid");
    EXPECT_EQ(ui.statusTexts.back(), "testol 25 C in Memory 2");

    // Trace math divides by the liquid, part by part.
    d.mathMode = TraceMath::Divide;
    d.referenceTrace = 2;
    EXPECT_EQ(d.ChartParameterLabel(), d.CurrentChart().name + " / [< testol 25 C]");
    EXPECT_EQ(d.CellText(kDataTrace, 2, 0), "1.0000");
    EXPECT_EQ(d.CellText(kDataTrace, 2, 1), "1.0488");  // 10.75 / 10.25
}

TEST_F(ReferenceLiquidTest, TemperatureDefaultsAndRefusals) {
    struct Case {
        std::array<std::string, 3> answer;
        std::string message;  // empty: put in
        std::string label;
    };
    const Case cases[] = {
        {{"testol", "40", "1"}, "Testol is offered from 20 C to 30 C, not at 40 C.", ""},
        {{"testol", "warm", "1"}, "Temperature: \"warm\" is not a number.", ""},
        {{"single", "25", "1"}, "Single Liquid is offered at 22 C, not at 25 C.", ""},
        {{"single", "", "1"}, "", "< single 22 C"},     // its only temperature
        {{"testol", " ", "3"}, "", "< testol 27.5 C"},  // the water's
    };
    for (const Case& c : cases) {
        ui.messages.clear();
        pages.clear();
        CKv4731xDoc& d = MakeWithLibrary();
        d.Engine().calSettings.waterTemperature = 27.5;
        Answer({c.answer});
        d.OnReferenceLiquid();
        const int memory = c.answer[2][0] - '0';
        if (c.message.empty()) {
            EXPECT_TRUE(ui.messages.empty()) << c.label;  // no measurement: no comparison
            EXPECT_EQ(d.Trace(memory).label, c.label);
            EXPECT_TRUE(d.IsModified());
        } else {
            ASSERT_EQ(ui.messages.size(), 1u) << c.message;
            EXPECT_EQ(ui.messages[0].text, c.message);
            EXPECT_EQ(pages.size(), 2u) << "the page is asked again";
            EXPECT_EQ(pages[1][0].value, c.answer[0]) << "with the answers given";
            EXPECT_FALSE(d.Trace(memory).valid);
            EXPECT_FALSE(d.IsModified());
        }
    }
}

TEST_F(ReferenceLiquidTest, MemoryGetsItsLabelBackWhenDataReplacesTheLiquid) {
    CKv4731xDoc& d = MakeWithLibrary();
    const ReferenceLiquid liquid{
        "testol", "Testol", "", 0.5e9, 2e9, {{LiquidModel::Debye, {{25, {25, 4.5, 1.5e9}}}}}};
    ASSERT_TRUE(d.PutReferenceLiquid(liquid, 25, 1));
    ASSERT_TRUE(d.PutReferenceLiquid(liquid, 25, 1));  // again: the label before stays
    EXPECT_EQ(d.Trace(1).label, "< testol 25 C");
    EXPECT_EQ(d.PutReferenceLiquid(liquid, 25, 0).kind, Outcome::Kind::Refused);
    ui.displaySheet = [](DisplaySheet& sheet, int&) {
        sheet.memory = 0;
        return true;
    };
    d.OnDisplaySheet(0);
    EXPECT_EQ(d.Trace(1).label, "< Memory 1");
}

}  // namespace
}  // namespace kv::test
