// The sheets "Display" and "Display options": what their pages enable and show, what OK gives
// back, Cancel, the sheet of the four traces alone, and the font chooser's round trip.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTimeEdit>

#include "AppTestSupport.h"
#include "app/DisplayOptionsPages.h"
#include "app/DisplayPages.h"
#include "app/PropertySheet.h"
#include "app/QtOperatorUi.h"
#include "render/RenderFonts.h"

namespace kv::test {
namespace {

template <typename Page>
Page* PageAt(PropertySheet* sheet, int index) {
    return qobject_cast<Page*>(sheet->Tabs()->widget(index));
}

// ------------------------------------------------------------------------------ "Display"

TEST(DisplaySheetTest, PagesFollowTheValidFlagsOkReturnsTheChoicesCancelNothing) {
    QtOperatorUi ui;
    DisplaySheet sheet;
    sheet.valid = {true, true, false, true};
    sheet.displayed = {true, false, true, false};  // Memory 2 shown though it holds nothing
    sheet.mathMode = TraceMath::Divide;
    sheet.referenceTrace = 3;
    int page = kPageTracesDisplayed;
    bool ran = false;
    OnNextModal<PropertySheet>([&ran](PropertySheet* dialog) {
        ran = true;
        EXPECT_EQ(dialog->windowTitle().toStdString(), "Display");
        ASSERT_EQ(dialog->Tabs()->count(), 3);
        EXPECT_EQ(dialog->Tabs()->tabText(0).toStdString(), "Data to memory");
        EXPECT_EQ(dialog->Tabs()->tabText(1).toStdString(), "Traces displayed");
        EXPECT_EQ(dialog->Tabs()->tabText(2).toStdString(), "Trace math");
        EXPECT_EQ(dialog->ActivePage(), kPageTracesDisplayed);
        auto* memory = PageAt<CDataToMem>(dialog, 0);
        auto* shown = PageAt<CTracesDisplayed>(dialog, 1);
        auto* math = PageAt<CTraceMath>(dialog, 2);
        ASSERT_TRUE(memory && shown && math);

        const bool enabled[] = {true, true, false, true};
        const bool checked[] = {true, false, true, false};
        for (int t = 0; t < kTraceCount; ++t) {
            EXPECT_EQ(shown->TraceBox(t)->text().toStdString(), kTraceCaptions[t]);
            EXPECT_EQ(shown->TraceBox(t)->isEnabled(), enabled[t]) << t;
            EXPECT_EQ(shown->TraceBox(t)->isChecked(), checked[t]) << t;
            EXPECT_EQ(math->ReferenceButton(t)->text().toStdString(), kTraceCaptions[t]);
            EXPECT_EQ(math->ReferenceButton(t)->isEnabled(), enabled[t]) << t;
            EXPECT_EQ(math->ReferenceButton(t)->isChecked(), t == 3) << t;
        }
        EXPECT_EQ(math->ReferenceGroup()->title().toStdString(), "Reference trace");
        const char* modes[] = {"Math off", "/ref", "-ref"};
        for (int m = 0; m < 3; ++m) {
            EXPECT_EQ(math->MathButton(m)->text().toStdString(), modes[m]);
            EXPECT_EQ(math->MathButton(m)->isChecked(), m == 1) << m;
            EXPECT_EQ(memory->MemoryButton(m)->text().toStdString(),
                      "Memory " + std::to_string(m + 1));
            EXPECT_FALSE(memory->MemoryButton(m)->isChecked()) << m;
        }

        memory->MemoryButton(1)->click();
        shown->TraceBox(0)->click();
        shown->TraceBox(1)->click();
        math->MathButton(2)->click();
        math->ReferenceButton(1)->click();
        dialog->Tabs()->setCurrentIndex(kPageTraceMath);
        dialog->OkButton()->click();
    });
    ASSERT_TRUE(ui.EditDisplaySheet(sheet, page));
    EXPECT_TRUE(ran);
    EXPECT_EQ(sheet.memory, 1);
    EXPECT_EQ(sheet.displayed, (std::array<bool, 4>{false, true, true, false}));
    EXPECT_EQ(sheet.valid, (std::array<bool, 4>{true, true, false, true}));
    EXPECT_EQ(sheet.mathMode, TraceMath::Subtract);
    EXPECT_EQ(sheet.referenceTrace, 1);
    EXPECT_EQ(page, kPageTraceMath);

    // Cancel after changes on every page.
    const DisplaySheet before = sheet;
    OnNextModal<PropertySheet>([](PropertySheet* dialog) {
        EXPECT_EQ(dialog->ActivePage(), kPageTraceMath);
        PageAt<CDataToMem>(dialog, 0)->MemoryButton(0)->click();
        PageAt<CTracesDisplayed>(dialog, 1)->TraceBox(3)->click();
        PageAt<CTraceMath>(dialog, 2)->MathButton(0)->click();
        dialog->Tabs()->setCurrentIndex(0);
        dialog->CancelButton()->click();
    });
    EXPECT_FALSE(ui.EditDisplaySheet(sheet, page));
    EXPECT_EQ(sheet.memory, before.memory);
    EXPECT_EQ(sheet.displayed, before.displayed);
    EXPECT_EQ(sheet.mathMode, before.mathMode);
    EXPECT_EQ(sheet.referenceTrace, before.referenceTrace);
    EXPECT_EQ(page, kPageTraceMath);
}

// ---------------------------------------------------------------------- "Display options"

DisplayOptionsSheet SomeOptions() {
    DisplayOptionsSheet s;
    s.title = {"Sample A\r\nsecond line", true, 0x0000FF, StockSystemFont()};
    s.subtitle = {"SubTitle", false, 0x0000C8, StockSystemFont()};
    s.timeDate = {true, true, 0x808080, StockSystemFont(), 1700000000, 1700050000};
    s.parameter = {0x404040, StockSystemFont(), "e'"};
    s.scale = {0x808080, StockSystemFont(), "200 MHz"};
    s.table = {0x000000, StockSystemFont(), "Frequency"};
    s.gridColour = 0xC0C0C0;
    s.lineWidth = 3;
    for (int t = 0; t < kTraceCount; ++t) {
        s.traces[static_cast<std::size_t>(t)] = {kTraceLabels[t], kTraceColours[t],
                                                 StockSystemFont()};
    }
    return s;
}

void ExpectSameTraces(const DisplayOptionsSheet& a, const DisplayOptionsSheet& b) {
    for (std::size_t t = 0; t < a.traces.size(); ++t) {
        EXPECT_EQ(a.traces[t].label, b.traces[t].label) << t;
        EXPECT_EQ(a.traces[t].colour, b.traces[t].colour) << t;
        EXPECT_EQ(a.traces[t].font, b.traces[t].font) << t;
    }
}

// The grid colour at column x of the grid page's lower, empty part, between two of its
// horizontal lines.
bool GridColourAt(CTracePage* page, int x, ColorRef colour) {
    const QImage image = page->grab().toImage();
    int y = 0;
    const auto rows = GridPreviewLines(page->screen()->size().height());
    for (std::size_t k = 0; k + 1 < rows.size() && (rows[k] + rows[k + 1]) / 2 < image.height();
         ++k) {
        y = (rows[k] + rows[k + 1]) / 2;
    }
    return image.pixelColor(x, y) == ColorFromColorRef(colour);
}

TEST(DisplayOptionsSheetTest, OkReturnsTheEditsOfThePages) {
    QtOperatorUi ui;
    DisplayOptionsSheet sheet = SomeOptions();
    const DisplayOptionsSheet before = sheet;
    int page = kPageGrid;
    bool ran = false;
    OnNextModal<PropertySheet>([&ran](PropertySheet* dialog) {
        ran = true;
        EXPECT_EQ(dialog->windowTitle().toStdString(), "Display options");
        ASSERT_EQ(dialog->Tabs()->count(), kDisplayOptionsPages);
        for (int i = 0; i < kDisplayOptionsPages; ++i) {
            EXPECT_EQ(dialog->Tabs()->tabText(i).toStdString(), kDisplayOptionsCaptions[i]);
        }
        EXPECT_EQ(dialog->ActivePage(), kPageGrid);

        // Grid mode: the slider instead of the label and the font, and the grid behind.
        auto* grid = PageAt<CTracePage>(dialog, kPageGrid);
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->objectName().toStdString(), "CTrace");
        EXPECT_FALSE(grid->LabelEdit()->isVisibleTo(grid));
        EXPECT_FALSE(grid->LabelCaption()->isVisibleTo(grid));
        EXPECT_FALSE(grid->PreviewGroup()->isVisibleTo(grid));
        EXPECT_FALSE(grid->FontButton()->isVisibleTo(grid));
        EXPECT_TRUE(grid->ThicknessSlider()->isVisibleTo(grid));
        EXPECT_EQ(grid->ThicknessCaption()->text().toStdString(), "Line Thickness");
        EXPECT_EQ(grid->ThicknessSlider()->minimum(), 0);
        EXPECT_EQ(grid->ThicknessSlider()->maximum(), 10);
        EXPECT_EQ(grid->ThicknessSlider()->value(), 3);
        const int x = GridPreviewLines(grid->screen()->size().width())[0];
        grid->ThicknessSlider()->setValue(0);  // one device pixel
        EXPECT_TRUE(GridColourAt(grid, x, 0xC0C0C0));
        EXPECT_FALSE(GridColourAt(grid, x + 3, 0xC0C0C0));
        grid->ThicknessSlider()->setValue(8);
        EXPECT_TRUE(GridColourAt(grid, x + 3, 0xC0C0C0));
        grid->ThicknessSlider()->setValue(0);

        // Title: the text in the title's font and colour; a new text and colour.
        auto* title = PageAt<CTitle>(dialog, kPageTitle);
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->TextEdit()->toPlainText().toStdString(), "Sample A\nsecond line");
        EXPECT_EQ(title->ShownBox()->text().toStdString(), "Display title");
        EXPECT_EQ(title->ColorButton()->text().toStdString(), "Color");
        EXPECT_EQ(title->FontButton()->text().toStdString(), "Font");
        title->TextEdit()->setPlainText(QStringLiteral("Run 7\nwater"));
        title->SetColourChooser([](QWidget*, ColorRef current) -> std::optional<ColorRef> {
            EXPECT_EQ(current, 0x0000FFu);
            return 0x123456;
        });
        title->ColorButton()->click();
        EXPECT_EQ(title->TextEdit()->palette().color(QPalette::Text), QColor(0x56, 0x34, 0x12));
        // The subtitle's chooser cancelled: its colour stays.
        auto* subtitle = PageAt<CTitle>(dialog, kPageSubtitle);
        subtitle->SetColourChooser([](QWidget*, ColorRef) { return std::optional<ColorRef>(); });
        subtitle->ColorButton()->click();
        subtitle->ShownBox()->click();

        // Time and date: the date picker moves the date stamp only.
        auto* timeDate = PageAt<CTimeDate>(dialog, kPageTimeDate);
        ASSERT_NE(timeDate, nullptr);
        timeDate->DatePicker()->setDate(timeDate->DatePicker()->date().addDays(3));
        EXPECT_EQ(timeDate->Preview()->text().count(QLatin1Char('\n')), 1);

        // A font page's sample is not stored back; a trace's label is.
        auto* parameter = PageAt<CTracePage>(dialog, kPageParameterFont);
        EXPECT_EQ(parameter->LabelEdit()->text().toStdString(), "e'");
        EXPECT_EQ(parameter->LabelCaption()->text().toStdString(), "Trace label");
        parameter->LabelEdit()->setText(QStringLiteral("typed"));
        auto* memory2 = PageAt<CTracePage>(dialog, kPageFirstTrace + 2);
        EXPECT_EQ(memory2->LabelEdit()->text().toStdString(), "< Memory 2");
        EXPECT_FALSE(memory2->ThicknessSlider()->isVisibleTo(memory2));
        memory2->LabelEdit()->setText(QStringLiteral("< Methanol"));
        dialog->Tabs()->setCurrentIndex(kPageFirstTrace + 1);
        dialog->OkButton()->click();
    });
    ASSERT_TRUE(ui.EditDisplayOptions(sheet, page));
    EXPECT_TRUE(ran);
    EXPECT_EQ(page, kPageFirstTrace + 1);
    EXPECT_EQ(sheet.title.text, "Run 7\r\nwater");
    EXPECT_EQ(sheet.title.colour, 0x123456u);
    EXPECT_EQ(sheet.subtitle.colour, before.subtitle.colour);
    EXPECT_TRUE(sheet.subtitle.shown);
    EXPECT_EQ(sheet.lineWidth, 0);
    EXPECT_EQ(sheet.parameter.sample, "e'");
    EXPECT_EQ(sheet.traces[2].label, "< Methanol");
    EXPECT_EQ(sheet.traces[1].label, "< Memory 1");
    EXPECT_EQ(sheet.timeDate.timeStamp, before.timeDate.timeStamp);
    const QDateTime was = QDateTime::fromSecsSinceEpoch(before.timeDate.dateStamp);
    const QDateTime now = QDateTime::fromSecsSinceEpoch(sheet.timeDate.dateStamp);
    EXPECT_EQ(now.date(), was.date().addDays(3));
    EXPECT_EQ(now.time(), was.time());
}

TEST(DisplayOptionsSheetTest, CancelAndTheSheetOfTheTracesAlone) {
    QtOperatorUi ui;
    DisplayOptionsSheet sheet = SomeOptions();
    sheet.tracesOnly = true;
    const DisplayOptionsSheet before = sheet;
    int page = kPageFirstTrace + 2;
    OnNextModal<PropertySheet>([](PropertySheet* dialog) {
        EXPECT_EQ(dialog->windowTitle().toStdString(), "Display options");
        ASSERT_EQ(dialog->Tabs()->count(), 4);
        for (int t = 0; t < kTraceCount; ++t) {
            EXPECT_EQ(dialog->Tabs()->tabText(t).toStdString(), kTraceCaptions[t]);
        }
        EXPECT_EQ(dialog->ActivePage(), 2);
        auto* data = PageAt<CTracePage>(dialog, 0);
        data->SetColourChooser(
            [](QWidget*, ColorRef) { return std::optional<ColorRef>(0x00FF00); });
        data->ColorButton()->click();
        data->LabelEdit()->setText(QStringLiteral("changed"));
        dialog->CancelButton()->click();
    });
    EXPECT_FALSE(ui.EditDisplayOptions(sheet, page));
    ExpectSameTraces(sheet, before);
    EXPECT_EQ(page, kPageFirstTrace + 2);

    OnNextModal<PropertySheet>([](PropertySheet* dialog) {
        dialog->Tabs()->setCurrentIndex(3);
        dialog->OkButton()->click();
    });
    ASSERT_TRUE(ui.EditDisplayOptions(sheet, page));
    EXPECT_EQ(page, kPageFirstTrace + 3);
    ExpectSameTraces(sheet, before);
}

TEST(DisplayOptionsSheetTest, TheSameFontKeepsTheDescriptionByteForByte) {
    // A description with what a font cannot carry: a width, a character set, a pitch.
    LogFont stored = StockSystemFont();
    stored.charSet = 1;
    stored.outPrecision = 3;
    stored.pitchAndFamily = 0x22;
    TraceStyle trace{"< Data", 0x0000FF, stored};
    CTracePage page(trace);

    // The chooser opens on the face the system resolved, at the stored size.
    const QFont built = FontFromLogFont(stored);
    QFont offered;
    page.SetFontChooser([&offered](QWidget*, const QFont& current) -> std::optional<QFont> {
        offered = current;
        return current;
    });
    page.FontButton()->click();
    EXPECT_EQ(offered.family(), QFontInfo(built).family());
    EXPECT_NE(offered.family().toStdString(), kDefaultFaceName);
    EXPECT_EQ(offered.pixelSize(), built.pixelSize());
    EXPECT_EQ(trace.font.ToBytes(), stored.ToBytes());

    // The standard dialog confirmed as it opened gives the same font back.
    bool ran = false;
    OnNextModal<QFontDialog>([&ran](QFontDialog* dialog) {
        ran = true;
        for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
            EXPECT_FALSE(box->isVisible()) << box->text().toStdString();
        }
        dialog->accept();
    });
    const std::optional<QFont> again = ChooseFontWithDialog(nullptr, offered);
    EXPECT_TRUE(ran);
    ASSERT_TRUE(again.has_value());
    EXPECT_TRUE(*again == offered) << again->toString().toStdString();

    // A different font replaces the description.
    page.SetFontChooser([](QWidget*, const QFont& current) -> std::optional<QFont> {
        QFont larger = current;
        larger.setPixelSize(30);
        larger.setItalic(true);
        return larger;
    });
    page.FontButton()->click();
    EXPECT_EQ(trace.font.height, -30);
    EXPECT_EQ(trace.font.width, 0);
    EXPECT_EQ(trace.font.italic, 1);
    EXPECT_EQ(page.LabelEdit()->font().pixelSize(), 30);
}

}  // namespace
}  // namespace kv::test
