#include "render/RenderText.h"

#include <QFontMetrics>
#include <QStringDecoder>

namespace kv {

QString RenderString(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError()) {
        return decoded;
    }
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

void DrawAlignedText(QPainter& painter, const ChartText& text, const QColor& colour) {
    const QString s = RenderString(text.text);
    const QFontMetrics fm(painter.font());
    const int width = fm.horizontalAdvance(s);
    int x = text.x;
    if (text.align == TextAlign::Centre) {
        x -= width / 2;
    } else if (text.align == TextAlign::Right) {
        x -= width;
    }
    const int baseline =
        text.baseline == TextBaseline::Top ? text.y + fm.ascent() : text.y - fm.descent();
    const QPen saved = painter.pen();
    painter.setPen(QPen(colour));
    painter.drawText(QPoint(x, baseline), s);
    painter.setPen(saved);
}

}  // namespace kv
