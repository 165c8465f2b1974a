#include "persist/RecordImages.h"

namespace kv {

void WriteTraceRecord(ArchiveWriter& ar, const CTrace& trace) {
    ar.Flag(trace.gridMode);
    ar.Flag(trace.spareFlag);
    ar.Int(trace.lineWidth);
    ar.Int(trace.penStyle);
    ar.DWord(trace.colour);
    ar.Font(trace.font);
    ar.Flag(trace.displayed);
    ar.Flag(trace.valid);
    ar.Text(trace.informationText);
    ar.Complexes(trace.permittivity);
    ar.Complexes(trace.permeability);
    ar.Doubles(trace.frequencies);
}

void ReadTraceRecord(ArchiveReader& ar, CTrace& trace) {
    trace.gridMode = ar.Flag();
    trace.spareFlag = ar.Flag();
    trace.lineWidth = ar.Int();
    trace.penStyle = ar.Int();
    trace.colour = ar.DWord();
    trace.font = ar.Font();
    trace.displayed = ar.Flag();
    trace.valid = ar.Flag();
    trace.informationText = ar.Text();
    trace.permittivity = ar.Complexes();
    trace.permeability = ar.Complexes();
    trace.frequencies = ar.Doubles();
}

namespace {

void WriteLimits(ArchiveWriter& ar, const Limits& l) {
    ar.Double(l.xMin);
    ar.Double(l.xMax);
    ar.Double(l.yMin);
    ar.Double(l.yMax);
}

Limits ReadLimits(ArchiveReader& ar) {
    Limits l;
    l.xMin = ar.Double();
    l.xMax = ar.Double();
    l.yMin = ar.Double();
    l.yMax = ar.Double();
    return l;
}

}  // namespace

void WriteFormatRecord(ArchiveWriter& ar, const CPlotFormat& format) {
    WriteLimits(ar, format.current);
    ar.Int(format.xLog);
    ar.Int(format.yLog);
    ar.Text(format.name);
    for (const auto& title : format.columnTitles) {
        ar.Text(title);
    }
    ar.Text(format.minUnit);
    ar.Text(format.maxUnit);
    WriteLimits(ar, format.defaults);
    ar.Text(format.defaultMinUnit);
    ar.Text(format.defaultMaxUnit);
    WriteLimits(ar, format.offer);
    ar.Text(format.offerMinUnit);
    ar.Text(format.offerMaxUnit);
}

void ReadFormatRecord(ArchiveReader& ar, CPlotFormat& format) {
    format.current = ReadLimits(ar);
    format.xLog = ar.Int();
    format.yLog = ar.Int();
    format.name = ar.Text();
    for (auto& title : format.columnTitles) {
        title = ar.Text();
    }
    format.minUnit = ar.Text();
    format.maxUnit = ar.Text();
    format.defaults = ReadLimits(ar);
    format.defaultMinUnit = ar.Text();
    format.defaultMaxUnit = ar.Text();
    format.offer = ReadLimits(ar);
    format.offerMinUnit = ar.Text();
    format.offerMaxUnit = ar.Text();
}

}  // namespace kv
