#include "persist/SetupImage.h"

#include "display/ChartFormats.h"
#include "persist/ArchiveFields.h"
#include "persist/ArchiveReader.h"
#include "persist/ArchiveWriter.h"
#include "persist/EngineSection.h"
#include "persist/RecordImages.h"

namespace kv {

namespace {

void WriteDocumentSection(ArchiveWriter& ar, const DocumentSection& d) {
    ar.Fixed(kSetupMagic, kMagicRecord);
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
    return kMagicRecord + size.Size();
}

// A sweep no file the program writes holds: more points than any analyzer sweeps, or a kind that
// is neither linear nor logarithmic (it has no frequencies, so a calibration or a measurement
// would run on none).
bool ImpossibleSweep(const Sweep& sweep) {
    return sweep.numPoints > kMaxSweepPoints ||
           (sweep.sweepType != SweepKind::Linear && sweep.sweepType != SweepKind::Logarithmic);
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
           magicRecord.find(kSetupSiblingMagic) != std::string::npos;
}

std::vector<std::uint8_t> WriteSetupImage(const SetupImageSource& source) {
    ArchiveWriter ar;
    ar.Reserve(EstimatedSize(source));
    WriteDocumentSection(ar, *source.document);
    for (const CTrace* trace : source.traces) {
        WriteTraceRecord(ar, *trace);
    }
    for (const CPlotFormat* format : source.formats) {
        WriteFormatRecord(ar, *format);
    }
    WriteEngineSection(ar, *source.engine);
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
    if (ImpossibleSweep(image.document.sweep) || ImpossibleSweep(image.engine->sweep)) {
        ar.Fail();
    }
    // Bytes after the engine's section are left alone: the program writes none, and a file
    // with some is still read as it always was.
    return ar.Failed() ? SetupReadResult::Damaged : SetupReadResult::Ok;
}

}  // namespace kv
