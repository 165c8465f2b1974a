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

// A first guess of the image's size, so that large sweeps are written without regrowing.
std::size_t EstimatedSize(const SetupImageSource& s) {
    std::size_t size = 60000;
    for (const CTrace* t : s.traces) {
        size += 200 + t->informationText.size() +
                16 * (t->permittivity.size() + t->permeability.size()) + 8 * t->frequencies.size();
    }
    const CProbeEngine& e = *s.engine;
    size += 8 * (e.sensitivity.size() + e.frequencies.size()) +
            16 * (e.stdMeasured1.size() + e.stdMeasured2.size() + e.stdMeasured3.size() +
                  e.refreshMeasured.size() + e.errorDirectivity.size() + e.errorSourceMatch.size() +
                  e.errorTracking.size() + e.sampleMeasured.size());
    return size;
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
    if (image.document.sweep.numPoints > kMaxSweepPoints ||
        image.engine->sweep.numPoints > kMaxSweepPoints) {
        ar.Fail();
    }
    // Bytes after the engine's section are left alone: the program writes none, and a file
    // with some is still read as it always was.
    return ar.Failed() ? SetupReadResult::Damaged : SetupReadResult::Ok;
}

}  // namespace kv
