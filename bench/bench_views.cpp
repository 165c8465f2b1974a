// Painting of the chart and the table into offscreen images: the chart with four traces, the
// visible part of a long table, and the values behind them; the export of both into SVG and PDF
// files.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <cmath>
#include <memory>

#include "doc/CKv4731xDoc.h"
#include "doc/CommandIds.h"
#include "persist/ProfileStore.h"
#include "render/render.h"
#include "support/FakeRegistry.h"
#include "support/ScriptedUi.h"

namespace {

using namespace kv;

// Fonts need a GUI application; the benchmarks draw on the offscreen platform.
void EnsureGui() {
    static std::unique_ptr<QGuiApplication> app;
    if (!app) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "bench_views";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
}

// A document with `traces` traces of `points` points on a linear sweep from 200 MHz to 20 GHz.
struct BenchDoc {
    test::ScriptedUi ui;
    test::FakeRegistry registry;
    MemoryProfileStore profile;
    CKv4731xDoc doc{ui, registry, profile};

    BenchDoc(int points, int traces) {
        auto& f = doc.Engine().frequencies;
        f.resize(static_cast<std::size_t>(points));
        for (int i = 0; i < points; ++i) {
            f[static_cast<std::size_t>(i)] = 2e8 + (2e10 - 2e8) * i / std::max(1, points - 1);
        }
        doc.Engine().sweep.numPoints = points;
        for (int t = 0; t < traces; ++t) {
            CTrace& trace = doc.Trace(t);
            trace.permittivity.resize(static_cast<std::size_t>(points));
            for (int i = 0; i < points; ++i) {
                const double x = static_cast<double>(i) / points;
                trace.permittivity[static_cast<std::size_t>(i)] = {
                    60.0 - 30.0 * x + t * 2.0 + std::sin(40.0 * x), 20.0 * x * (1.0 - x) + t};
            }
            trace.displayed = trace.valid = true;
        }
        doc.Autoscale();
    }
};

void BM_ChartPaint(benchmark::State& state) {
    EnsureGui();
    BenchDoc b(static_cast<int>(state.range(0)), 4);
    b.doc.markerOn = true;
    b.doc.markerPosition = static_cast<int>(state.range(0)) / 2;
    const QSize size(1000, 700);
    QImage image(size, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        RenderChart(painter, b.doc, ChartSurface::Screen(size));
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * 4 * state.range(0));
}
BENCHMARK(BM_ChartPaint)->Arg(51)->Arg(1601)->Arg(100001)->Unit(benchmark::kMillisecond);

void BM_ColeColePaint(benchmark::State& state) {
    EnsureGui();
    BenchDoc b(static_cast<int>(state.range(0)), 4);
    b.doc.SelectChartFormat(ChartFormat::ColeCole);
    b.doc.Autoscale();
    const QSize size(1000, 700);
    QImage image(size, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        RenderChart(painter, b.doc, ChartSurface::Screen(size));
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ColeColePaint)->Arg(1601)->Unit(benchmark::kMillisecond);

// One screenful of the table, scrolled to the middle of the sweep.
void BM_TablePaintVisible(benchmark::State& state) {
    EnsureGui();
    const int points = static_cast<int>(state.range(0));
    BenchDoc b(points, 4);
    b.doc.markerOn = true;
    b.doc.markerPosition = points / 2;
    const QSize viewport(900, 700);
    TableSurface surface = TableSurface::Screen({0, 0}, viewport, viewport);
    surface.scroll.setY(TableScrollForMarker(b.doc, surface));
    QImage image(viewport, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        RenderTable(painter, b.doc, surface);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_TablePaintVisible)->Arg(51)->Arg(1601)->Arg(100001)->Unit(benchmark::kMillisecond);

// The scroll size the table view asks for after each paint.
void BM_TableContentSize(benchmark::State& state) {
    EnsureGui();
    BenchDoc b(static_cast<int>(state.range(0)), 4);
    const QSize viewport(900, 700);
    const TableSurface surface = TableSurface::Screen({0, 0}, viewport, viewport);
    for (auto _ : state) {
        benchmark::DoNotOptimize(TableContentSize(b.doc, surface));
    }
}
BENCHMARK(BM_TableContentSize)->Arg(1601)->Arg(100001)->Unit(benchmark::kMillisecond);

// Autoscale over four traces (values, trace math and fitting, without painting).
void BM_Autoscale(benchmark::State& state) {
    BenchDoc b(static_cast<int>(state.range(0)), 4);
    b.doc.mathMode = kv::TraceMath::Divide;
    b.doc.referenceTrace = 3;
    for (auto _ : state) {
        b.doc.Autoscale();
    }
    state.SetItemsProcessed(state.iterations() * 4 * state.range(0));
}
BENCHMARK(BM_Autoscale)->Arg(1601)->Arg(100001)->Unit(benchmark::kMillisecond);

// The table copy's text of one and of four traces, with the sensitivity column.
void BM_TableCopyText(benchmark::State& state) {
    BenchDoc b(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    b.doc.includeSensitivity = true;
    b.doc.Engine().result.sensitivity.assign(static_cast<std::size_t>(state.range(0)), 12.5);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = b.doc.TableCopyText();
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_TableCopyText)->Args({100001, 1})->Args({100001, 4})->Unit(benchmark::kMillisecond);

// The chart of four traces into an SVG file (as on a 1200 x 800 screen) and into a one-page PDF.
void ExportChartTo(benchmark::State& state, const char* name) {
    EnsureGui();
    BenchDoc b(static_cast<int>(state.range(0)), 4);
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(name));
    for (auto _ : state) {
        if (!ExportChart(b.doc, path, QSize(1200, 800), nullptr)) {
            state.SkipWithError("the chart was not written");
            break;
        }
    }
    state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
}
void BM_ChartExportSvg(benchmark::State& state) {
    ExportChartTo(state, "chart.svg");
}
void BM_ChartExportPdf(benchmark::State& state) {
    ExportChartTo(state, "chart.pdf");
}
BENCHMARK(BM_ChartExportSvg)->Arg(1601)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartExportPdf)->Arg(1601)->Unit(benchmark::kMillisecond);

// The table of four traces into a PDF of A4 pages, as printed from a 1920 x 1080 screen.
void BM_TableExportPdf(benchmark::State& state) {
    EnsureGui();
    BenchDoc b(static_cast<int>(state.range(0)), 4);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("table.pdf"));
    const QSize screen(1920, 1080);
    for (auto _ : state) {
        if (!ExportTable(b.doc, path, screen, nullptr)) {
            state.SkipWithError("the table was not written");
            break;
        }
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter a4(&buffer);
    a4.setResolution(1200);
    a4.setPageSize(QPageSize(QPageSize::A4));
    state.counters["pages"] = TablePageCount(b.doc, QSize(a4.width(), a4.height()), screen);
    state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
}
BENCHMARK(BM_TableExportPdf)->Arg(1601)->Unit(benchmark::kMillisecond);

}  // namespace
