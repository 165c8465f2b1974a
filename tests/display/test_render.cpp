// Painting on offscreen images: fonts and colours from the stored descriptions, the chart's
// pixels where the mapping puts them, the marker, and the table's rows and highlight.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <cmath>

#include "display/ViewDoc.h"
#include "doc/CommandIds.h"
#include "render/render.h"

namespace kv::test {
namespace {

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
    }
    void TearDown() override { delete app_; }

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
    c.doc.mathMode = 1;
    c.doc.referenceTrace = 1;
    const QImage image = RenderChartImage(c.doc, c.size);
    const ChartLayout layout = ChartLayoutFor(c.doc, ChartSurface::Screen(c.size));
    // Point 1: 70 / 10 = 7 is drawn; points 0 and 2 are infinite and held above the plot.
    const auto p = layout.Map(c.doc.XValue(0, 1), c.doc.YValue(0, 1));
    ASSERT_TRUE(p);
    EXPECT_EQ(image.pixel(p->x, p->y), kRed);
    EXPECT_EQ(layout.MapY(c.doc.YValue(0, 0)), 55);
    QImage tiny(1, 1, QImage::Format_RGB32);
    QPainter painter(&tiny);
    RenderChart(painter, c.doc, ChartSurface::Screen({0, 0}));
    RenderChart(painter, c.doc, ChartSurface::Screen({3, 2}));
}

TEST(RenderChart, PaintRunsTheChecksOnce) {
    ChartDoc c;
    c.doc.Format(kFormatE1).yLog = 1;
    c.doc.mathMode = 2;
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

TEST(RenderTable, PrintedPagesCountAndPaint) {
    TableDoc t;
    const QSize page(2000, 3000);
    const QSize screen(1000, 1500);
    EXPECT_GE(TablePageCount(t.doc, page, screen), 1);
    QImage image(page, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    RenderTable(painter, t.doc, TableSurface::Printer(1, page, screen));
    painter.end();
    EXPECT_NE(image.pixel(0, 0), 0u);  // painted without fault
}

}  // namespace
}  // namespace kv::test
