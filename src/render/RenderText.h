#pragma once

// Texts of the document on a painter.

#include <QColor>
#include <QPainter>
#include <QString>
#include <string>

#include "display/ChartLayout.h"

namespace kv {

// A document text for drawing: valid UTF-8 is read as such, anything else as Latin-1 (the
// single-byte texts of files), so that no text is garbled.
QString RenderString(const std::string& text);

// Draws a text at its reference point in the painter's font, in the given colour, whatever the
// painter's pen: left, centred or right of x; its top or its bottom (descent included) at y, as a
// text of that alignment sits on a Windows device context.
void DrawAlignedText(QPainter& painter, const ChartText& text, const QColor& colour);

}  // namespace kv
