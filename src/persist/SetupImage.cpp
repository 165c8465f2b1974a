#include "persist/SetupImage.h"

#include "persist/ArchiveReader.h"
#include "persist/ArchiveWriter.h"
#include "persist/EngineSection.h"
#include "persist/RecordImages.h"

namespace kv {

namespace {

void WriteDocumentSection(ArchiveWriter& ar, const DocumentSection& d) {
    ar.Fixed(kSetupMagic, kMagicRecord);
    ar.Fixed(d.instrumentName, kDocumentNameRecord);
    ar.Flag(d.includeSensitivity);
    ar.Flag(d.forwardOnly);
    ar.Flag(d.markerOn);
    ar.Int(d.referenceTrace);
    ar.Flag(d.reservedFlag7);
    ar.Int(d.mathMode);
    ar.Int(d.scaleSheetPage);
    ar.Int(d.calSheetPage);
    ar.Int(d.prefSheetPage);
    ar.Int(d.reservedPage);
    ar.Int(d.displaySheetPage);
    ar.Flag(d.reservedFlag14);
    ar.Flag(d.reservedFlag15);
    ar.Int(d.markerPosition);
    ar.DWord(d.tableColour);
    ar.Font(d.tableFont);
    ar.DWord(d.titleColour);
    ar.Font(d.titleFont);
    ar.Text(d.titleText);
    ar.Flag(d.titleShown);
    ar.DWord(d.subtitleColour);
    ar.Font(d.subtitleFont);
    ar.Text(d.subtitleText);
    ar.Flag(d.subtitleShown);
    ar.Flag(d.scaleFontFlag);
    ar.DWord(d.scaleColour);
    ar.Font(d.scaleFont);
    ar.Flag(d.gridFlag);
    ar.DWord(d.gridColour);
    ar.Flag(d.parameterFontFlag);
    ar.DWord(d.parameterColour);
    ar.Font(d.parameterFont);
    ar.Flag(d.timeDateShown);
    ar.Flag(d.timeDateUpdate);
    ar.DWord(d.timeDateColour);
    ar.Font(d.timeDateFont);
    ar.TimeStamp(d.dateStamp);
    ar.TimeStamp(d.timeStamp);
    ar.Double(d.stopValue);
    ar.Double(d.startValue);
    ar.Int(d.numPoints);
    ar.Text(d.startUnit);
    ar.Text(d.stopUnit);
    ar.Int(d.sweepKind);
    ar.Double(d.lowestFrequency);
    ar.Double(d.highestFrequency);
    ar.Int(d.lowestPoints);
    ar.Int(d.highestPoints);
    ar.Word(d.tableFormatCode);
    ar.Word(d.chartFormatCode);
}

// Fields 2 to 52; the magic record has been read by the caller.
void ReadDocumentSection(ArchiveReader& ar, DocumentSection& d) {
    d.instrumentName = ar.Fixed(kDocumentNameRecord);
    d.includeSensitivity = ar.Flag();
    d.forwardOnly = ar.Flag();
    d.markerOn = ar.Flag();
    d.referenceTrace = ar.Int();
    d.reservedFlag7 = ar.Flag();
    d.mathMode = ar.Int();
    d.scaleSheetPage = ar.Int();
    d.calSheetPage = ar.Int();
    d.prefSheetPage = ar.Int();
    d.reservedPage = ar.Int();
    d.displaySheetPage = ar.Int();
    d.reservedFlag14 = ar.Flag();
    d.reservedFlag15 = ar.Flag();
    d.markerPosition = ar.Int();
    d.tableColour = ar.DWord();
    d.tableFont = ar.Font();
    d.titleColour = ar.DWord();
    d.titleFont = ar.Font();
    d.titleText = ar.Text();
    d.titleShown = ar.Flag();
    d.subtitleColour = ar.DWord();
    d.subtitleFont = ar.Font();
    d.subtitleText = ar.Text();
    d.subtitleShown = ar.Flag();
    d.scaleFontFlag = ar.Flag();
    d.scaleColour = ar.DWord();
    d.scaleFont = ar.Font();
    d.gridFlag = ar.Flag();
    d.gridColour = ar.DWord();
    d.parameterFontFlag = ar.Flag();
    d.parameterColour = ar.DWord();
    d.parameterFont = ar.Font();
    d.timeDateShown = ar.Flag();
    d.timeDateUpdate = ar.Flag();
    d.timeDateColour = ar.DWord();
    d.timeDateFont = ar.Font();
    d.dateStamp = ar.TimeStamp();
    d.timeStamp = ar.TimeStamp();
    d.stopValue = ar.Double();
    d.startValue = ar.Double();
    d.numPoints = ar.Int();
    d.startUnit = ar.Text();
    d.stopUnit = ar.Text();
    d.sweepKind = ar.Int();
    d.lowestFrequency = ar.Double();
    d.highestFrequency = ar.Double();
    d.lowestPoints = ar.Int();
    d.highestPoints = ar.Int();
    d.tableFormatCode = ar.Word();
    d.chartFormatCode = ar.Word();
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
    if (image.document.numPoints > kMaxSweepPoints || image.engine->numPoints > kMaxSweepPoints) {
        ar.Fail();
    }
    // Bytes after the engine's section are left alone: the program writes none, and a file
    // with some is still read as it always was.
    return ar.Failed() ? SetupReadResult::Damaged : SetupReadResult::Ok;
}

}  // namespace kv
