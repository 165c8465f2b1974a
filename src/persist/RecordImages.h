#pragma once

// The setup-file records of one trace and one chart or table format. Each record's fields are
// listed once (see FieldList.h); writing, reading, a load's taking of what was read and the size
// of an image all follow that list.

#include "display/CPlotFormat.h"
#include "display/CTrace.h"
#include "persist/ArchiveReader.h"
#include "persist/ArchiveWriter.h"
#include "probe/FieldList.h"

namespace kv {

// A trace's stored fields in file order: everything but the label.
template <class Visitor, FieldsOf<CTrace>... T>
void VisitStoredFields(Visitor&& visit, T&... t) {
    visit("gridMode", t.gridMode...);
    visit("spareFlag", t.spareFlag...);
    visit("lineWidth", t.lineWidth...);
    visit("penStyle", t.penStyle...);
    visit("colour", t.colour...);
    visit("font", t.font...);
    visit("displayed", t.displayed...);
    visit("valid", t.valid...);
    visit("informationText", t.informationText...);
    visit("permittivity", t.permittivity...);
    visit("permeability", t.permeability...);
    visit("frequencies", t.frequencies...);
}

template <class Visitor, FieldsOf<Limits>... L>
void VisitFields(Visitor&& visit, L&... l) {
    visit("xMin", l.xMin...);
    visit("xMax", l.xMax...);
    visit("yMin", l.yMin...);
    visit("yMax", l.yMax...);
}

// Every field of a format, in file order.
template <class Visitor, FieldsOf<CPlotFormat>... F>
void VisitFields(Visitor&& visit, F&... f) {
    VisitFields(visit, f.current...);
    visit("xLog", f.xLog...);
    visit("yLog", f.yLog...);
    visit("name", f.name...);
    visit("columnTitles", f.columnTitles...);
    visit("minUnit", f.minUnit...);
    visit("maxUnit", f.maxUnit...);
    VisitFields(visit, f.defaults...);
    visit("defaultMinUnit", f.defaultMinUnit...);
    visit("defaultMaxUnit", f.defaultMaxUnit...);
    VisitFields(visit, f.offer...);
    visit("offerMinUnit", f.offerMinUnit...);
    visit("offerMaxUnit", f.offerMaxUnit...);
}

void WriteTraceRecord(ArchiveWriter& ar, const CTrace& trace);
// Reads into every stored member of `trace`; the label stays as it is.
void ReadTraceRecord(ArchiveReader& ar, CTrace& trace);
// A load's last step: `to` takes every stored field of `from`, a trace a record was read into;
// its label stays.
void TakeTraceRecord(CTrace& to, CTrace& from);

void WriteFormatRecord(ArchiveWriter& ar, const CPlotFormat& format);
void ReadFormatRecord(ArchiveReader& ar, CPlotFormat& format);

}  // namespace kv
