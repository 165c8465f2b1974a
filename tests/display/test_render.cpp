// Painting on offscreen images: fonts and colours from the stored descriptions, the chart's
// pixels where the mapping puts them, the marker, and the table's rows and highlight.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPageSize>
#include <QPaintEngine>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <climits>
#include <cmath>
#include <cstdio>
#include <map>

#include "display/ViewDoc.h"
#include "doc/CommandIds.h"
#include "render/render.h"

namespace kv::test {
namespace {

// Qt's warnings (fonts, painters, PDF and SVG writers) are faults of the test that causes them.
void FailOnWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg) {
        ADD_FAILURE() << "Qt warning: " << message.toStdString();
    }
}

// Fonts need a GUI application; the tests run it on the offscreen platform.
class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "test_render";
        static char* argv[] = {name, nullptr};
        app_ = new QGuiApplication(argc, argv);
        qInstallMessageHandler(FailOnWarnings);
    }
    void TearDown() override {
        qInstallMessageHandler(nullptr);
        delete app_;
    }

private:
    QGuiApplication* app_ = nullptr;
};

[[maybe_unused]] const auto* const kGui = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kYellow = qRgb(255, 255, 0);

TEST(RenderFonts, ColoursAreBlueGreenRed) {
    EXPECT_EQ(ColorFromColorRef(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ColorFromColorRef(0xFF0080), QColor(128, 0, 255));
    EXPECT_EQ(ColorFromColorRef(0x0000FFFF), QColor(255, 255, 0));
    EXPECT_EQ(ColorFromColorRef(0x00C8), QColor(200, 0, 0));
    EXPECT_EQ(ColorRefFromColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
}

TEST(RenderFonts, HeightsFollowTheStoredDescription) {
    LogFont lf = StockSystemFont();
    lf.SetFaceName(kDefaultFaceName);
    lf.height = -20;  // character height
    EXPECT_EQ(FontFromLogFont(lf).pixelSize(), 20);
    EXPECT_EQ(FontFromLogFont(lf, 1.5, 1.0).pixelSize(), 30);
    EXPECT_EQ(FontFromLogFont(lf).weight(), QFont::Bold);
    lf.height = 24;  // cell height: ascent plus descent
    EXPECT_NEAR(QFontMetrics(FontFromLogFont(lf)).height(), 24, 2);
    EXPECT_NEAR(QFontMetrics(FontFromLogFont(lf, 2.0, 2.0)).height(), 48, 3);

    // "Time New Roman" reaches an installed stand-in, when one of them is there.
    const QString family = QFontInfo(FontFromLogFont(lf)).family();
    for (const char* candidate : {"Liberation Serif", "Nimbus Roman", "DejaVu Serif"}) {
        if (QFontDatabase::families().contains(QString::fromLatin1(candidate))) {
            EXPECT_NE(family, QStringLiteral("DejaVu Sans"));
            break;
        }
    }
    const LogFont back = LogFontFromFont(FontFromLogFont(lf));
    EXPECT_LT(back.height, 0);
    EXPECT_EQ(back.weight, 700);
}

// A document with a Data trace on a 800 x 600 chart: e' from 1 to 10 GHz, 0 to 100; title,
// subtitle and time hidden so that the only red on the image is the Data trace and its label.
struct ChartDoc : ViewDoc {
    ChartDoc() {
        Sweep({2e9, 5e9, 8e9, 9.5e9});
        Fill(0, {{20, 1}, {70, 1}, {40, 1}, {150, 1}});  // the last point is off scale
        CPlotFormat& f = doc.Format(kFormatE1);
        f.current = {1, 10, 0, 100};
        f.minUnit = f.maxUnit = "GHz";
        doc.title.shown = false;
        doc.subtitle.shown = false;
        doc.timeDateShown = false;
    }
    const QSize size{800, 600};
};

TEST(RenderChart, LayoutMarginsFromTheDefaultFonts) {
    ChartDoc c;
    const ChartLayout layout = ChartLayoutFor(c.doc, ChartSurface::Screen(c.size));
    // Default fonts: 16 high, the title 24, line width 1.
    EXPECT_DOUBLE_EQ(layout.L(), (2.0 + 7 * 16) / 800 * 0.5);
    EXPECT_DOUBLE_EQ(layout.T(), (2.0 + 16 + 16 + 24) / 600);
    EXPECT_DOUBLE_EQ(layout.B(), (2.0 + 3 * 16) / 600);
    EXPECT_GT(layout.R(), 0.0);
}

TEST(RenderChart, DataTracePixelsLieWhereTheMappingSays) {
    ChartDoc c;
    const QImage image = RenderChartImage(c.doc, c.size);
    ASSERT_EQ(image.size(), c.size);
    const ChartLayout layout = ChartLayoutFor(c.doc, ChartSurface::Screen(c.size));
    std::vector<QPoint> points;
    for (int i = 0; i < 4; ++i) {
        const auto p = layout.Map(c.doc.XValue(0, i), c.doc.YValue(0, i));
        ASSERT_TRUE(p);
        points.emplace_back(p->x, p->y);
        EXPECT_EQ(image.pixel(p->x, p->y), kRed) << i;
    }
    // The point above the limits is held at trunc(H·T·0.95) = trunc(58 · 0.95) = 55.
    EXPECT_EQ(points[3].y(), 55);
    // Half way between two points the line is there too (within a pixel).
    const int mx = (points[0].x() + points[1].x()) / 2;
    const double my = points[0].y() + (points[1].y() - points[0].y()) * double(mx - points[0].x()) /
                                          (points[1].x() - points[0].x());
    bool found = false;
    for (int dy = -1; dy <= 1; ++dy) {
        found = found || image.pixel(mx, static_cast<int>(std::lround(my)) + dy) == kRed;
    }
    EXPECT_TRUE(found);

    // Every red pixel belongs to the trace (inside the box of its points) or to its label,
    // drawn right of the last point.
    const QRect traceBox = QRect(points[0], points[0])
                               .united(QRect(points[1], points[1]))
                               .united(QRect(points[2], points[2]))
                               .united(QRect(points[3], points[3]))
                               .adjusted(-1, -1, 1, 1);
    const int labelTop = points[3].y() - 40;
    int outside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != kRed || traceBox.contains(x, y)) {
                continue;
            }
            if (x > points[3].x() && y >= labelTop && y <= points[3].y() + 40) {
                continue;
            }
            ++outside;
        }
    }
    EXPECT_EQ(outside, 0);

    // The grid in its colour on a vertical line away from the trace.
    const auto grid = layout.VerticalGridLines();
    ASSERT_EQ(grid.size(), 11u);
    EXPECT_EQ(image.pixel(grid[0].x1, (grid[0].y1 + grid[0].y2) / 2), qRgb(192, 192, 192));
}

TEST(RenderChart, MarkerTriangleAboveThePoint) {
    ChartDoc c;
    c.doc.markerOn = true;
    c.doc.markerPosition = 1;
    const QImage image = RenderChartImage(c.doc, c.size);
    const ChartLayout layout = ChartLayoutFor(c.doc, ChartSurface::Screen(c.size));
    const auto p = layout.Map(c.doc.XValue(0, 1), c.doc.YValue(0, 1));
    ASSERT_TRUE(p);
    const QFontMetrics parameter(FontFromLogFont(c.doc.parameterFont));
    // The base of the triangle runs tm div 2 + lw above the point.
    const int baseY = p->y - parameter.height() / 2 - 1;
    EXPECT_EQ(image.pixel(p->x, baseY), kRed);
    EXPECT_EQ(RenderChartImage(c.doc, c.size).pixel(p->x, baseY), kRed);
    c.doc.markerOn = false;
    EXPECT_NE(RenderChartImage(c.doc, c.size).pixel(p->x, baseY), kRed);
}

TEST(RenderChart, ClickPlacesTheMarkerLeftOfIt) {
    ChartDoc c;
    const ChartSurface surface = ChartSurface::Screen(c.size);
    const ChartLayout layout = ChartLayoutFor(c.doc, surface);
    const int x1 = *layout.MapX(5e9);
    EXPECT_EQ(MarkerIndexForChartClick(c.doc, surface, {x1 + 1, 300}), 1);
    EXPECT_EQ(MarkerIndexForChartClick(c.doc, surface, {x1 - 1, 300}), 0);
    EXPECT_EQ(MarkerIndexForChartClick(c.doc, surface, {0, 300}), 0);
    EXPECT_EQ(MarkerIndexForChartClick(c.doc, surface, {799, 300}), 3);
    c.doc.Trace(0).displayed = false;
    EXPECT_FALSE(MarkerIndexForChartClick(c.doc, surface, {x1, 300}));
}

TEST(RenderChart, InfiniteQuotientsAndEmptySurfacesDrawWithoutFault) {
    ChartDoc c;
    c.Fill(1, {{0, 0}, {10, 1}, {0, 1}, {5, 0}});
    c.doc.mathMode = TraceMath::Divide;
    c.doc.referenceTrace = 1;
    const QImage image = RenderChartImage(c.doc, c.size);
    const ChartLayout layout = ChartLayoutFor(c.doc, ChartSurface::Screen(c.size));
    // Point 1: 70 / 10 = 7 is drawn; points 0 and 2 are infinite: no position, not drawn.
    const auto p = layout.Map(c.doc.XValue(0, 1), c.doc.YValue(0, 1));
    ASSERT_TRUE(p);
    EXPECT_EQ(image.pixel(p->x, p->y), kRed);
    EXPECT_TRUE(std::isinf(c.doc.YValue(0, 0)));
    EXPECT_FALSE(layout.MapY(c.doc.YValue(0, 0)));
    QImage tiny(1, 1, QImage::Format_RGB32);
    QPainter painter(&tiny);
    RenderChart(painter, c.doc, ChartSurface::Screen({0, 0}));
    RenderChart(painter, c.doc, ChartSurface::Screen({3, 2}));
}

TEST(RenderChart, PaintRunsTheChecksOnce) {
    ChartDoc c;
    c.doc.Format(kFormatE1).yLog = 1;
    c.doc.mathMode = TraceMath::Subtract;
    c.doc.referenceTrace = 3;  // not valid
    RenderChartImage(c.doc, c.size);
    RenderChartImage(c.doc, c.size);
    const std::vector<std::string> expected = {
        "Reference trace is not valid. Math functions turned off.",
        "Zero or negitive values not allowed in log scale.  Minimum value of verticle scale set "
        "to 1"};
    EXPECT_EQ(c.ui.MessageTexts(), expected);
}

// The table of ten points with Data shown.
struct TableDoc : ViewDoc {
    TableDoc() {
        std::vector<double> f;
        std::vector<CComplex> v;
        for (int i = 0; i < 10; ++i) {
            f.push_back(2e8 + i * 1e8);
            v.push_back({50.0 - i, 5.0 + i});
        }
        Sweep(f);
        Fill(0, v);
    }
    int YellowIn(const QImage& image, int top, int bottom) const {
        int n = 0;
        for (int y = std::max(0, top); y < std::min(image.height(), bottom); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                n += image.pixel(x, y) == kYellow ? 1 : 0;
            }
        }
        return n;
    }
    const QSize size{600, 500};
};

TEST(RenderTable, MarkerRowIsHighlighted) {
    TableDoc t;
    t.doc.markerOn = true;
    t.doc.markerPosition = 3;
    const QImage image = RenderTableImage(t.doc, t.size);
    TableSurface surface = TableSurface::Screen({0, 0}, t.size, t.size);
    {
        QPainter p(const_cast<QImage*>(&image));
        surface.deviceFont = p.font();
    }
    const TableLayout layout = TableLayoutFor(t.doc, surface);
    const int h = layout.RowHeight();
    ASSERT_GT(h, 0);
    EXPECT_GT(t.YellowIn(image, layout.RowY(3), layout.RowY(3) + h), 3 * h);
    EXPECT_EQ(t.YellowIn(image, 0, layout.RowY(3)), 0);
    EXPECT_EQ(t.YellowIn(image, layout.RowY(4), image.height()), 0);
    // Marker off, or no trace shown: no highlight.
    t.doc.markerOn = false;
    EXPECT_EQ(t.YellowIn(RenderTableImage(t.doc, t.size), 0, 500), 0);
    t.doc.markerOn = true;
    t.doc.Trace(0).displayed = false;
    EXPECT_EQ(t.YellowIn(RenderTableImage(t.doc, t.size), 0, 500), 0);
}

TEST(RenderTable, ClicksScrollAndSize) {
    TableDoc t;
    const TableSurface surface = TableSurface::Screen({0, 0}, t.size, t.size);
    const TableLayout layout = TableLayoutFor(t.doc, surface);
    const int h = layout.RowHeight();
    EXPECT_EQ(h, TableRowHeight(t.doc, surface));
    EXPECT_EQ(MarkerIndexForTableClick(t.doc, surface, {10, layout.ColumnTitleY()}), -1);
    EXPECT_EQ(MarkerIndexForTableClick(t.doc, surface, {10, layout.RowY(4) + 1}), 4);
    EXPECT_EQ(MarkerIndexForTableClick(t.doc, surface, {10, 5000}), 9);
    // Scrolled down by two rows, the same place on the screen is two rows further.
    const TableSurface scrolled = TableSurface::Screen({0, 2 * h}, t.size, t.size);
    EXPECT_EQ(MarkerIndexForTableClick(t.doc, scrolled, {10, layout.RowY(4) + 1}), 6);
    // One trace: the frequency column and two columns of 11 average widths; 10 rows + 1.
    const QSize content = TableContentSize(t.doc, surface);
    EXPECT_EQ(content.width(), layout.ContentWidth());
    EXPECT_EQ(content.height(), layout.ColumnTitleY() + 11 * h);
    t.doc.markerPosition = 7;
    EXPECT_EQ(TableScrollForMarker(t.doc, surface), 7 * h);
    t.doc.Trace(0).valid = false;
    EXPECT_FALSE(MarkerIndexForTableClick(t.doc, surface, {10, layout.RowY(4) + 1}));
}

TEST(RenderTable, ScrolledFarIntoALongSweepPaintsItsRows) {
    ViewDoc v;
    const int n = 100001;
    std::vector<double> f(n);
    std::vector<CComplex> e(n);
    for (int i = 0; i < n; ++i) {
        f[static_cast<std::size_t>(i)] = 2e8 + i * 1e5;
        e[static_cast<std::size_t>(i)] = {10.0 + i % 7, 1.0};
    }
    v.Sweep(f);
    v.Fill(0, e);
    v.doc.markerOn = true;
    v.doc.markerPosition = 60000;
    const QSize viewport(500, 300);
    TableSurface surface = TableSurface::Screen({0, 0}, viewport, viewport);
    surface.scroll.setY(TableScrollForMarker(v.doc, surface));
    QImage image(viewport, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    RenderTable(painter, v.doc, surface);
    painter.end();
    // The marker row is on the screen, highlighted, where its table position says.
    const TableLayout layout = TableLayoutFor(v.doc, surface);
    const int y = layout.RowY(60000) - surface.scroll.y();
    ASSERT_GE(y, 0);
    ASSERT_LT(y, viewport.height());
    int yellow = 0;
    for (int x = 0; x < viewport.width(); ++x) {
        yellow += image.pixel(x, y) == kYellow ? 1 : 0;
    }
    EXPECT_GT(yellow, 10);
}

// A paint device that records where every text lands, page by page, as a printer would place
// it on its pages.
class TextRecorder : public QPaintDevice {
public:
    struct Text {
        int page;
        QString text;
        QPointF baseline;  // page coordinates
    };

    TextRecorder(QSize page, int dpi) : page_(page), dpi_(dpi), engine_(*this) {}
    ~TextRecorder() override = default;

    QPaintEngine* paintEngine() const override { return &engine_; }
    bool NewPage() {
        ++current_;
        return true;
    }
    int Pages() const { return current_; }
    std::vector<Text> texts;

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth:
                return page_.width();
            case PdmHeight:
                return page_.height();
            case PdmWidthMM:
                return page_.width() * 254 / (10 * dpi_);
            case PdmHeightMM:
                return page_.height() * 254 / (10 * dpi_);
            case PdmNumColors:
                return INT_MAX;
            case PdmDepth:
                return 32;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return dpi_;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
            default:
                return 0;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextRecorder& device) : QPaintEngine(AllFeatures), device_(device) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& state) override {
            if (state.state() & DirtyTransform) {
                transform_ = state.transform();
            }
        }
        void drawTextItem(const QPointF& p, const QTextItem& item) override {
            device_.texts.push_back({device_.current_, item.text(), transform_.map(p)});
        }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawRects(const QRectF*, int) override {}
        Type type() const override { return User; }

    private:
        TextRecorder& device_;
        QTransform transform_;
    };

    QSize page_;
    int dpi_;
    int current_ = 1;
    mutable Engine engine_;
};

// Where each row of the table was printed: page and top, found by its frequency text.
struct PrintedRow {
    int page = 0;
    int top = 0;
    int times = 0;
};

// Prints the table on the recorder and finds every row on the pages. `ascent` is the distance
// from a row's top to its text's baseline, taken from row 0 on page 1, which never moves.
std::vector<PrintedRow> PrintRows(CKv4731xDoc& doc, TextRecorder& recorder, QSize screen,
                                  int* painted, int fromPage = 0, int toPage = 0) {
    *painted = PaintTablePages(
        doc, recorder, [&recorder] { return recorder.NewPage(); }, screen, fromPage, toPage);
    const QSize page(recorder.width(), recorder.height());
    const TableLayout layout = TableLayoutFor(doc, TableSurface::Printer(1, page, screen));
    std::map<QString, int> rowOf;
    for (int i = 0; i < doc.ViewPointCount(); ++i) {
        rowOf[QString::fromStdString(doc.PointFrequencyText(i))] = i;
    }
    std::vector<PrintedRow> rows(static_cast<std::size_t>(doc.ViewPointCount()));
    std::vector<std::pair<int, double>> baselines(rows.size());
    for (const auto& t : recorder.texts) {
        const auto it = rowOf.find(t.text);
        if (it == rowOf.end()) {
            continue;
        }
        PrintedRow& row = rows[static_cast<std::size_t>(it->second)];
        ++row.times;
        row.page = t.page;
        baselines[static_cast<std::size_t>(it->second)] = {t.page, t.baseline.y()};
    }
    double ascent = 0;
    for (const auto& t : recorder.texts) {
        if (t.page == 1 && rowOf.count(t.text) && rowOf[t.text] == 0) {
            ascent = t.baseline.y() - layout.RowY(0);
        }
    }
    EXPECT_GT(ascent, 0);
    EXPECT_LT(ascent, layout.RowHeight());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].top = static_cast<int>(std::lround(baselines[i].second - ascent));
    }
    return rows;
}

// No row crosses a page edge, every row is printed once, and every page holds rows.
void ExpectSoundPages(const std::vector<PrintedRow>& rows, int pages, int pageHeight,
                      int rowHeight) {
    std::vector<int> perPage(static_cast<std::size_t>(pages) + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const PrintedRow& r = rows[i];
        ASSERT_EQ(r.times, 1) << "row " << i;
        ASSERT_GE(r.page, 1) << "row " << i;
        ASSERT_LE(r.page, pages) << "row " << i;
        EXPECT_GE(r.top, 0) << "row " << i;
        EXPECT_LE(r.top + rowHeight, pageHeight) << "row " << i;
        ++perPage[static_cast<std::size_t>(r.page)];
        if (i > 0) {
            const PrintedRow& before = rows[i - 1];
            EXPECT_TRUE(r.page > before.page || r.top == before.top + rowHeight) << "row " << i;
        }
    }
    for (int p = 1; p <= pages; ++p) {
        EXPECT_GT(perPage[static_cast<std::size_t>(p)], 0) << "page " << p;
    }
}

TEST(RenderTable, PrintedPagesHoldEveryRowOnceAndNoneAcrossAnEdge) {
    // Without header lines the column titles are one row high, so row r starts at (r + 2)·h.
    // On pages 5·h high (page and screen alike, so fonts are not scaled): rows 0 to 2 fill page
    // 1 to its edge; row 3 would start on the edge, the rule moves it one row lower; rows 3 to 6
    // then end on the edge of page 2 (at 10·h), and 7 to 9 go on page 3.
    TableDoc t;
    t.doc.title.shown = false;
    t.doc.subtitle.shown = false;
    t.doc.timeDateShown = false;
    const int h = TableLayoutFor(t.doc, TableSurface::Screen({0, 0}, t.size, t.size)).RowHeight();
    ASSERT_GT(h, 0);
    const QSize page(t.size.width(), 5 * h);
    EXPECT_EQ(TablePageCount(t.doc, page, page), 3);
    {
        TextRecorder recorder(page, 96);
        int painted = 0;
        const auto rows = PrintRows(t.doc, recorder, page, &painted);
        EXPECT_EQ(painted, 3);
        EXPECT_EQ(recorder.Pages(), 3);
        const int pageOf[10] = {1, 1, 1, 2, 2, 2, 2, 3, 3, 3};
        const int topOf[10] = {2, 3, 4, 1, 2, 3, 4, 1, 2, 3};
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(rows[static_cast<std::size_t>(i)].page, pageOf[i]) << i;
            EXPECT_EQ(rows[static_cast<std::size_t>(i)].top, topOf[i] * h) << i;
            EXPECT_EQ(rows[static_cast<std::size_t>(i)].times, 1) << i;
        }
        // The column titles stand above the rows of every page: in the row left free at the top
        // of pages 2 and 3.
        std::vector<int> titlePages;
        for (const auto& text : recorder.texts) {
            if (text.text == QStringLiteral("Frequency")) {
                titlePages.push_back(text.page);
                if (text.page > 1) {
                    EXPECT_LT(text.baseline.y() - (text.page - 1) * page.height(), h);
                }
            }
        }
        EXPECT_EQ(titlePages, (std::vector<int>{1, 2, 3}));
    }
    {
        // Page 2 alone: its four rows where the whole print puts them; no page past the last.
        TextRecorder recorder(page, 96);
        EXPECT_EQ(PaintTablePages(
                      t.doc, recorder, [&recorder] { return recorder.NewPage(); }, page, 2, 2),
                  1);
        std::vector<QString> printed;
        for (const auto& text : recorder.texts) {
            if (text.text.endsWith(QStringLiteral("MHz"))) {
                printed.push_back(text.text);
            }
        }
        const std::vector<QString> expected = {QString::fromStdString(t.doc.PointFrequencyText(3)),
                                               QString::fromStdString(t.doc.PointFrequencyText(4)),
                                               QString::fromStdString(t.doc.PointFrequencyText(5)),
                                               QString::fromStdString(t.doc.PointFrequencyText(6))};
        EXPECT_EQ(printed, expected);
        EXPECT_EQ(PaintTablePages(
                      t.doc, recorder, [] { return true; }, page, 4, 0),
                  0);
    }

    // 1601 points on A4 at 1200 dpi, from a 1920 x 1080 screen, with the header lines shown.
    ViewDoc v;
    std::vector<double> f;
    std::vector<CComplex> e;
    for (int i = 0; i < 1601; ++i) {
        f.push_back(2e8 + i * 12375000.0);
        e.push_back({40.0 - i * 0.01, 10.0 + i * 0.001});
    }
    v.Sweep(f);
    v.Fill(0, e);
    v.Fill(1, e);
    const QSize a4 = QPageSize(QPageSize::A4).sizePixels(1200);
    const QSize screen(1920, 1080);
    const int pages = TablePageCount(v.doc, a4, screen);
    TextRecorder recorder(a4, 1200);
    int painted = 0;
    const auto rows = PrintRows(v.doc, recorder, screen, &painted);
    EXPECT_EQ(painted, pages);
    EXPECT_EQ(recorder.Pages(), pages);
    const int rowHeight = TableLayoutFor(v.doc, TableSurface::Printer(1, a4, screen)).RowHeight();
    ExpectSoundPages(rows, pages, a4.height(), rowHeight);
    // A page holds at most Vp / h rows, so at least N·h / Vp pages are needed.
    EXPECT_GE(pages, 1601 * rowHeight / a4.height());
    std::printf("1601 points on A4 at 1200 dpi: %d pages, rows %d pixels high\n", pages, rowHeight);
}

// Pages of a PDF file: its page objects.
int PdfPageCount(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    int n = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(pdf)); it.hasNext(); it.next()) {
        ++n;
    }
    return n;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The chart goes into PNG (the picture), SVG (the same drawing) and PDF (one printed page); the
// extension's letter case does not matter; any other type and a place that cannot be written
// fail with their message and leave what is there as it was.
TEST(RenderExport, ChartFiles) {
    ChartDoc c;
    c.doc.title.shown = true;
    c.doc.title.text = "Methanol at 25 C";
    QTemporaryDir dir;
    QString error;

    const QString png = dir.filePath(QStringLiteral("chart.PNG"));
    ASSERT_TRUE(ExportChart(c.doc, png, c.size, &error)) << error.toStdString();
    EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), RenderChartImage(c.doc, c.size));

    const QString svgPath = dir.filePath(QStringLiteral("chart.svg"));
    ASSERT_TRUE(ExportChart(c.doc, svgPath, c.size, &error)) << error.toStdString();
    const QByteArray svg = ReadFile(svgPath);
    EXPECT_TRUE(svg.startsWith("<?xml"));
    EXPECT_TRUE(svg.contains("<svg"));
    EXPECT_TRUE(svg.contains("viewBox=\"0 0 800 600\"")) << svg.left(600).toStdString();
    EXPECT_TRUE(svg.contains("Methanol at 25 C"));
    EXPECT_TRUE(svg.contains(QByteArray::fromStdString(c.doc.ChartParameterLabel())));

    const QString pdfPath = dir.filePath(QStringLiteral("chart.Pdf"));
    ASSERT_TRUE(ExportChart(c.doc, pdfPath, c.size, &error)) << error.toStdString();
    const QByteArray pdf = ReadFile(pdfPath);
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(PdfPageCount(pdf), 1);

    // Failures: nothing is written, an existing file stays.
    const QString bmp = dir.filePath(QStringLiteral("chart.bmp"));
    {
        QFile old(bmp);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old picture");
    }
    EXPECT_FALSE(ExportChart(c.doc, bmp, c.size, &error));
    EXPECT_EQ(error, QStringLiteral("Unsupported file type: choose a .png, .svg or .pdf file."));
    EXPECT_EQ(ReadFile(bmp), QByteArray("old picture"));
    error.clear();
    EXPECT_FALSE(ExportTable(c.doc, dir.filePath(QStringLiteral("table")), {1024, 768}, &error));
    EXPECT_EQ(error, QStringLiteral("Unsupported file type: choose a .png, .svg or .pdf file."));

    const QString missing = dir.filePath(QStringLiteral("no such folder/chart.svg"));
    EXPECT_FALSE(ExportChart(c.doc, missing, c.size, &error));
    EXPECT_EQ(error, missing + QStringLiteral(" could not be written."));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.pdf")));
    const QString taken = dir.filePath(QStringLiteral("taken.pdf"));
    EXPECT_FALSE(ExportTable(c.doc, taken, {1024, 768}, &error));
    EXPECT_EQ(error, taken + QStringLiteral(" could not be written."));
    EXPECT_TRUE(QFileInfo(taken).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4)
        << QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
}

// The table goes into a PNG of the whole table, an SVG of the same drawing, and a PDF of the
// pages printing gives on its A4 page.
TEST(RenderExport, TableFiles) {
    TableDoc t;
    std::vector<double> f;
    std::vector<CComplex> e;
    for (int i = 0; i < 401; ++i) {
        f.push_back(2e8 + i * 1e7);
        e.push_back({40.0, 10.0});
    }
    t.Sweep(f);
    t.Fill(0, e);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("table.pdf"));
    QString error;
    ASSERT_TRUE(ExportTable(t.doc, path, QSize(1024, 768), &error)) << error.toStdString();
    const QByteArray pdf = ReadFile(path);
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(1200);
    writer.setPageSize(QPageSize(QPageSize::A4));
    const QSize page(writer.width(), writer.height());
    const int expected = TablePageCount(t.doc, page, QSize(1024, 768));
    EXPECT_GT(expected, 1);
    EXPECT_EQ(PdfPageCount(pdf), expected);

    const QString png = dir.filePath(QStringLiteral("table.png"));
    ASSERT_TRUE(ExportTable(t.doc, png, QSize(1024, 768), &error)) << error.toStdString();
    EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), RenderTableImage(t.doc, QSize()));
    const QString svgPath = dir.filePath(QStringLiteral("table.svg"));
    ASSERT_TRUE(ExportTable(t.doc, svgPath, QSize(1024, 768), &error)) << error.toStdString();
    const QByteArray svg = ReadFile(svgPath);
    const QSize size = RenderTableImage(t.doc, QSize()).size();
    EXPECT_TRUE(svg.contains(
        QStringLiteral("viewBox=\"0 0 %1 %2\"").arg(size.width()).arg(size.height()).toLatin1()));
    EXPECT_TRUE(svg.contains(QByteArray::fromStdString(t.doc.PointFrequencyText(400))));
}

// A 1601-point table in a 28-pixel font is far taller than a PNG may be: the SVG holds every row,
// the PNG is refused with the number of rows that would fit, and nothing is written.
TEST(RenderExport, LongTablesAreWholeInSvgAndRefusedAsPng) {
    ViewDoc v;
    std::vector<double> f;
    std::vector<CComplex> e;
    for (int i = 0; i < 1601; ++i) {
        f.push_back(2e8 + i * 12375000.0);
        e.push_back({40.0 - i * 0.01, 10.0});
    }
    v.Sweep(f);
    v.Fill(0, e);
    v.doc.tableFont.height = -28;
    const QSize nominal(1024, 768);
    const TableLayout layout =
        TableLayoutFor(v.doc, TableSurface::Screen({0, 0}, nominal, nominal));
    ASSERT_GT(layout.ContentHeight(), kMaxPictureSide);
    QTemporaryDir dir;
    QString error;

    const QString svgPath = dir.filePath(QStringLiteral("long.svg"));
    ASSERT_TRUE(ExportTable(v.doc, svgPath, nominal, &error)) << error.toStdString();
    const QByteArray svg = ReadFile(svgPath);
    EXPECT_TRUE(svg.contains(QStringLiteral("viewBox=\"0 0 %1 %2\"")
                                 .arg(layout.ContentWidth())
                                 .arg(layout.ContentHeight())
                                 .toLatin1()));
    for (int i : {0, 1100, 1600}) {
        EXPECT_TRUE(svg.contains(QByteArray::fromStdString(v.doc.PointFrequencyText(i)))) << i;
    }
    // The fonts are named by the family the system resolved, which the viewer can find.
    const QString family = QFontInfo(FontFromLogFont(v.doc.tableFont)).family();
    EXPECT_TRUE(svg.contains(QStringLiteral("font-family=\"%1\"").arg(family).toUtf8()));
    EXPECT_FALSE(svg.contains("Time New Roman"));

    // Rows 0 to k - 1 end within 32000 pixels: k = the rows that fit.
    int fit = 0;
    while (layout.RowY(fit) + layout.RowHeight() <= kMaxPictureSide) {
        ++fit;
    }
    const QString png = dir.filePath(QStringLiteral("long.png"));
    EXPECT_FALSE(ExportTable(v.doc, png, nominal, &error));
    EXPECT_EQ(error, QStringLiteral("The table is too long for a PNG picture: %1 of its 1601 rows "
                                    "fit in 32000 pixels. Export it as an SVG or PDF file to keep "
                                    "every row.")
                         .arg(fit));
    EXPECT_FALSE(QFileInfo::exists(png));
}

}  // namespace
}  // namespace kv::test
