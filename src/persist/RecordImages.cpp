#include "persist/RecordImages.h"

#include "persist/ArchiveFields.h"

namespace kv {

void WriteTraceRecord(ArchiveWriter& ar, const CTrace& trace) {
    VisitStoredFields(ArchiveFieldWriter(ar), trace);
}

void ReadTraceRecord(ArchiveReader& ar, CTrace& trace) {
    VisitStoredFields(ArchiveFieldReader(ar), trace);
}

void TakeTraceRecord(CTrace& to, CTrace& from) {
    VisitStoredFields(FieldMover(), to, from);
}

void WriteFormatRecord(ArchiveWriter& ar, const CPlotFormat& format) {
    VisitFields(ArchiveFieldWriter(ar), format);
}

void ReadFormatRecord(ArchiveReader& ar, CPlotFormat& format) {
    VisitFields(ArchiveFieldReader(ar), format);
}

}  // namespace kv
