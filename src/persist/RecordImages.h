#pragma once

// The setup-file records of one trace and one chart or table format.

#include "display/CPlotFormat.h"
#include "display/CTrace.h"
#include "persist/ArchiveReader.h"
#include "persist/ArchiveWriter.h"

namespace kv {

// Grid-mode flag, spare flag, line width, pen style, colour, font, displayed, valid,
// information text, permittivity, permeability, frequencies. The label is not stored.
void WriteTraceRecord(ArchiveWriter& ar, const CTrace& trace);
// Reads into every stored member of `trace`; the label stays as it is.
void ReadTraceRecord(ArchiveReader& ar, CTrace& trace);

// Current limits, x and y logarithmic, name, four column titles, min and max unit, default limits
// and units, offer limits and units.
void WriteFormatRecord(ArchiveWriter& ar, const CPlotFormat& format);
void ReadFormatRecord(ArchiveReader& ar, CPlotFormat& format);

}  // namespace kv
