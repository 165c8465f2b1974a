#include "persist/SetupImage.h"

#include "display/ChartFormats.h"
#include "persist/ArchiveFields.h"
#include "persist/ArchiveReader.h"
#include "persist/ArchiveWriter.h"
#include "persist/EngineSection.h"
#include "persist/RecordImages.h"
#include "probe/FrequencySegments.h"

namespace kv {

namespace {

bool HoldsList(const SetupImageSource& s) {
    return s.document->sweep.sweepType == SweepKind::List ||
           s.engine->sweep.sweepType == SweepKind::List;
}

// The lists after the engine's section of a list file, in the file's order.
template <class Visitor, class D, class E>
void VisitLists(Visitor&& visit, D& document, E& engine) {
    visit("documentList", document.sweep.list);
    visit("engineList", engine.sweep.list);
}

void WriteDocumentSection(ArchiveWriter& ar, const DocumentSection& d, const char* magic) {
    ar.Fixed(magic, kMagicRecord);
    VisitFields(ArchiveFieldWriter(ar), d);
}

// The fields after the magic record, which the caller has read.
void ReadDocumentSection(ArchiveReader& ar, DocumentSection& d) {
    VisitFields(ArchiveFieldReader(ar), d);
}

// The most bytes the image takes, so that large sweeps are written without regrowing.
std::size_t EstimatedSize(const SetupImageSource& s) {
    ArchiveFieldSize size;
    VisitFields(size, *s.document);
    for (const CTrace* trace : s.traces) {
        VisitStoredFields(size, *trace);
    }
    for (const CPlotFormat* format : s.formats) {
        VisitFields(size, *format);
    }
    VisitStoredFields(size, *s.engine);
    if (HoldsList(s) || s.engine->HoldsUncertainty()) {
        VisitLists(size, *s.document, *s.engine);
    }
    return kMagicRecord + size.Size();
}

// A sweep no file the program writes holds: more points than any analyzer sweeps, a kind that
// is no kind (it has no frequencies, so a calibration or a measurement would run on none), a
// list in a file without lists, or a list that is no list or not its sweep's.
bool ImpossibleSweep(const Sweep& sweep, bool listFile) {
    if (sweep.numPoints > kMaxSweepPoints) {
        return true;
    }
    switch (sweep.sweepType) {
        case SweepKind::Linear:
        case SweepKind::Logarithmic:
            return !sweep.list.empty();
        case SweepKind::List:
            return !listFile || CheckFrequencyList(sweep.list).has_value() ||
                   static_cast<int>(sweep.list.size()) != sweep.numPoints;
    }
    return true;
}

}  // namespace

SetupImage::SetupImage() : formats(DefaultFormats()), engine(std::make_unique<CProbeEngine>()) {}

SetupImageSource SetupImage::Source() const {
    SetupImageSource s;
    s.document = &document;
    for (std::size_t i = 0; i < traces.size(); ++i) {
        s.traces[i] = &traces[i];
    }
    for (std::size_t i = 0; i < formats.size(); ++i) {
        s.formats[i] = &formats[i];
    }
    s.engine = engine.get();
    return s;
}

bool MagicAccepted(const std::string& magicRecord) {
    return magicRecord.find(kSetupMagic) != std::string::npos ||
           magicRecord.find(kSetupSiblingMagic) != std::string::npos || ListMagic(magicRecord) ||
           UncertaintyMagic(magicRecord);
}

bool UncertaintyMagic(const std::string& magicRecord) {
    return magicRecord.substr(0, magicRecord.find('\0')) == kSetupUncertaintyMagic;
}

bool ListMagic(const std::string& magicRecord) {
    return magicRecord.substr(0, magicRecord.find('\0')) == kSetupListMagic;
}

std::vector<std::uint8_t> WriteSetupImage(const SetupImageSource& source) {
    ArchiveWriter ar;
    ar.Reserve(EstimatedSize(source));
    const bool uncertainty = source.engine->HoldsUncertainty();
    const bool list = HoldsList(source) || uncertainty;
    WriteDocumentSection(ar, *source.document,
                         uncertainty ? kSetupUncertaintyMagic
                         : list      ? kSetupListMagic
                                     : kSetupMagic);
    for (const CTrace* trace : source.traces) {
        WriteTraceRecord(ar, *trace);
    }
    for (const CPlotFormat* format : source.formats) {
        WriteFormatRecord(ar, *format);
    }
    WriteEngineSection(ar, *source.engine);
    if (list) {
        VisitLists(ArchiveFieldWriter(ar), *source.document, *source.engine);
    }
    if (uncertainty) {
        WriteUncertaintySection(ar, *source.engine);
    }
    return ar.Take();
}

SetupReadResult ReadSetupImage(std::span<const std::uint8_t> bytes, SetupImage& image) {
    ArchiveReader ar(bytes);
    image.document.magic = ar.Fixed(kMagicRecord);
    if (ar.Failed()) {
        return SetupReadResult::Damaged;
    }
    if (!MagicAccepted(image.document.magic)) {
        return SetupReadResult::NotSetupFile;
    }
    ReadDocumentSection(ar, image.document);
    for (CTrace& trace : image.traces) {
        ReadTraceRecord(ar, trace);
    }
    for (CPlotFormat& format : image.formats) {
        ReadFormatRecord(ar, format);
    }
    image.storedName = ReadEngineSection(ar, *image.engine);
    const bool uncertaintyFile = UncertaintyMagic(image.document.magic);
    const bool listFile = ListMagic(image.document.magic) || uncertaintyFile;
    if (listFile) {
        VisitLists(ArchiveFieldReader(ar), image.document, *image.engine);
    }
    if (uncertaintyFile) {
        ReadUncertaintySection(ar, *image.engine);
    }
    if (ImpossibleSweep(image.document.sweep, listFile) ||
        ImpossibleSweep(image.engine->sweep, listFile)) {
        ar.Fail();
    }
    // Bytes after the engine's section (or a list file's lists) are left alone: the program
    // writes none, and a file with some is still read as it always was.
    return ar.Failed() ? SetupReadResult::Damaged : SetupReadResult::Ok;
}

}  // namespace kv
