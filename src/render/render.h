#pragma once

// Painting of the chart and the table of a document on any QPainter surface: the window's views,
// the printer, and the export of pictures and documents (PNG, SVG, PDF).

#include "render/ChartRender.h"
#include "render/RenderExport.h"
#include "render/RenderFonts.h"
#include "render/TableRender.h"
#include "render/TimeChartRender.h"
