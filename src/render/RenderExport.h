#pragma once

// Paged painting of the chart and the table, shared by the printer and the PDF export, and the
// export of both into picture and document files (PNG, SVG, PDF). Every output is drawn by the
// same painting as the window's views.
//
// All functions need a QGuiApplication (font metrics).

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPaintDevice>
#include <QSize>
#include <QString>
#include <functional>

namespace kv {

class CKv4731xDoc;

// The chart on exactly one page: as printing draws it, W and H being the page's printable size in
// device pixels and W0, H0 `lastScreenSize` (the chart view's size at its last paint; an empty
// size counts as the page's own size). Runs the reference check and the logarithmic limits check
// before the painter is opened, so no message appears from inside the painting.
void PaintChartPages(CKv4731xDoc& doc, QPagedPaintDevice& device, QSize lastScreenSize);

// The table on every page it needs (or on pages fromPage to toPage, counted from 1; 0 leaves that
// end open), the page's printable size in device pixels being its resolution, fonts scaled by it
// over `screenResolution`. Runs the reference check before the painter is opened. Returns the
// number of pages painted (0 when the range holds no page or the device cannot be painted on).
int PaintTablePages(CKv4731xDoc& doc, QPagedPaintDevice& device, QSize screenResolution,
                    int fromPage = 0, int toPage = 0);
// The same on any paint device: `newPage` is called between two pages and ends the job when it
// returns false.
int PaintTablePages(CKv4731xDoc& doc, QPaintDevice& device, const std::function<bool()>& newPage,
                    QSize screenResolution, int fromPage = 0, int toPage = 0);

// The kinds of file the chart and the table are exported to, by the file name's extension
// (letter case ignored).
enum class ExportFileType { Unsupported, Png, Svg, Pdf };
ExportFileType ExportFileTypeOf(const QString& path);

inline constexpr const char* kUnsupportedFileTypeText =
    "Unsupported file type: choose a .png, .svg or .pdf file.";

// The largest side of a PNG picture of the table, in pixels.
inline constexpr int kMaxPictureSide = 32000;
// The message of a table too large for a PNG picture.
QString TooLargeForPngText(int rowsThatFit, int rows);

// The chart into a file: .png the picture of `size` pixels (RenderChartImage), .svg the same
// drawing as on a screen of that size, .pdf one page at 1200 dpi, drawn as printing draws it
// with `size` as the last screen size. The page is `page` (the printer's page set-up: paper size,
// orientation and margins) when given, else A4, landscape when `size` is wider
// than high.
// The file is written to a temporary file beside it that replaces it only when complete, so a
// failed export leaves an existing file as it was. On failure returns false with the reason in
// `error` (when given): kUnsupportedFileTypeText, or "<path> could not be written."
bool ExportChart(CKv4731xDoc& doc, const QString& path, QSize size, QString* error,
                 const QPageLayout* page = nullptr);

// The table into a file: .png the whole table as one picture (RenderTableImage with an empty
// size), refused with TooLargeForPngText when a side would exceed kMaxPictureSide; .svg the same
// drawing, whatever its size; .pdf the pages printing gives at 1200 dpi (PaintTablePages) on
// `page` when given, else on portrait A4, with fonts scaled from `screenResolution`. Written and
// failing as ExportChart.
bool ExportTable(CKv4731xDoc& doc, const QString& path, QSize screenResolution, QString* error,
                 const QPageLayout* page = nullptr);

// The time chart into a file, as ExportChart writes the chart: .png the picture of `size`
// pixels, .svg the same drawing, .pdf one page drawn as printing draws it.
bool ExportTimeChart(const CKv4731xDoc& doc, const QString& path, QSize size, QString* error,
                     const QPageLayout* page = nullptr);

}  // namespace kv
