#pragma once

// Painting of the chart and the table of a document on any QPainter surface: the window's views,
// the printer and the terminal front end's offscreen images.

#include "render/ChartRender.h"
#include "render/RenderFonts.h"
#include "render/TableRender.h"
