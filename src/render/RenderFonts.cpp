#include "render/RenderFonts.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <mutex>

namespace kv {

namespace {

// The faces asked for by default exist on Windows only; on other systems the nearest installed
// faces stand in for them.
void InstallSubstitutions() {
    static std::once_flag once;
    std::call_once(once, [] {
        QFont::insertSubstitutions(
            QString::fromLatin1(kDefaultFaceName),
            {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
             QStringLiteral("Nimbus Roman"), QStringLiteral("Tinos"),
             QStringLiteral("DejaVu Serif"), QStringLiteral("serif")});
        QFont::insertSubstitutions(QStringLiteral("System"),
                                   {QStringLiteral("DejaVu Sans"),
                                    QStringLiteral("Liberation Sans"), QStringLiteral("sans")});
    });
}

// A height of 0 asks for the face's default size: the stock system font's.
constexpr int kDefaultCellHeight = 16;

}  // namespace

QColor ColorFromColorRef(ColorRef colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

ColorRef ColorRefFromColor(const QColor& colour) {
    return static_cast<ColorRef>(colour.red()) | (static_cast<ColorRef>(colour.green()) << 8) |
           (static_cast<ColorRef>(colour.blue()) << 16);
}

QFont FontFromLogFont(const LogFont& lf, double heightScale, double widthScale) {
    InstallSubstitutions();
    const auto height = static_cast<long long>(std::trunc(lf.height * heightScale));
    const auto width = static_cast<long long>(std::trunc(lf.width * widthScale));

    QFont font(QString::fromLatin1(lf.FaceName().c_str()));
    font.setWeight(lf.weight <= 0 ? QFont::Normal
                                  : static_cast<QFont::Weight>(std::clamp(lf.weight, 1, 1000)));
    font.setItalic(lf.italic != 0);
    font.setUnderline(lf.underline != 0);
    font.setStrikeOut(lf.strikeOut != 0);
    font.setKerning(false);

    if (height < 0) {
        // The character height: the em size.
        font.setPixelSize(static_cast<int>(std::clamp(-height, 1LL, 4000LL)));
    } else {
        // The cell height (ascent plus descent): size the em so that the cell comes out right.
        const int cell =
            static_cast<int>(std::clamp(height == 0 ? kDefaultCellHeight : height, 1LL, 4000LL));
        font.setPixelSize(cell);
        const double measured = QFontMetricsF(font).height();
        if (measured > 0.0) {
            font.setPixelSize(std::max(1, static_cast<int>(std::lround(cell * cell / measured))));
        }
    }
    if (width > 0) {
        const double natural = QFontMetricsF(font).averageCharWidth();
        if (natural > 0.0) {
            font.setStretch(
                std::clamp(static_cast<int>(std::lround(100.0 * width / natural)), 1, 4000));
        }
    }
    // The face the system resolved by name: an SVG file names a family its viewer can find,
    // not the stored face text, which may exist only through this program's substitutions.
    const QString resolved = QFontInfo(font).family();
    if (!resolved.isEmpty()) {
        font.setFamily(resolved);
    }
    return font;
}

LogFont LogFontFromFont(const QFont& font) {
    LogFont lf;
    int pixels = font.pixelSize();
    if (pixels <= 0) {
        pixels = QFontInfo(font).pixelSize();
    }
    lf.height = -std::max(1, pixels);
    lf.width = 0;
    lf.weight = font.weight();
    lf.italic = font.italic() ? 1 : 0;
    lf.underline = font.underline() ? 1 : 0;
    lf.strikeOut = font.strikeOut() ? 1 : 0;
    lf.SetFaceName(font.family().toLatin1().toStdString());
    return lf;
}

Qt::PenStyle PenStyleFromCode(int code) {
    switch (code) {
        case 1:
            return Qt::DashLine;
        case 2:
            return Qt::DotLine;
        case 3:
            return Qt::DashDotLine;
        case 4:
            return Qt::DashDotDotLine;
        case 5:
            return Qt::NoPen;
        default:
            return Qt::SolidLine;
    }
}

QPen ChartPen(ColorRef colour, int lineWidth, int penStyle) {
    QPen pen(ColorFromColorRef(colour));
    // Widths are device pixels, as a pen on a device context in device units; 0 draws one pixel
    // wide as 1 does. Not a cosmetic pen: a print preview, which shows the printer's page scaled
    // down, then scales the lines with the page and shows them as they will print.
    pen.setWidth(std::max(1, lineWidth));
    pen.setStyle(PenStyleFromCode(penStyle));
    pen.setCosmetic(false);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

}  // namespace kv
