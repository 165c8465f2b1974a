#pragma once

// Fonts, colours and pens of the chart and the table, built from the document's stored
// descriptions: 60-byte font descriptions, COLORREF colours (0x00BBGGRR) and pen style codes.

#include <QColor>
#include <QFont>
#include <QPen>

#include "display/CTrace.h"
#include "display/LogFont.h"

namespace kv {

// 0x00BBGGRR into a colour and back.
QColor ColorFromColorRef(ColorRef colour);
ColorRef ColorRefFromColor(const QColor& colour);

// A font from its stored description, its height multiplied by heightScale and its width by
// widthScale (both truncated toward zero first). A negative height is the character height in
// pixels, a positive one the cell height (ascent plus descent), 0 the default height; a width of
// 0 keeps the face's own proportions. "Time New Roman" and "System" reach an installed face
// through font substitution; the font carries the family of the face resolved. Needs a
// QGuiApplication.
QFont FontFromLogFont(const LogFont& font, double heightScale = 1.0, double widthScale = 1.0);

// The description of a font chosen in a font dialog: negative pixel height (character height),
// width 0, weight, italic, underline, strike-out and face name.
LogFont LogFontFromFont(const QFont& font);

// Windows pen style codes: 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 none,
// 6 inside frame (solid); others solid.
Qt::PenStyle PenStyleFromCode(int code);

// The pen every chart line is drawn with: the chart line width (0 draws one device pixel wide),
// the chart pen style and the given colour; widths in device pixels, round ends and joins.
QPen ChartPen(ColorRef colour, int lineWidth, int penStyle);

}  // namespace kv
