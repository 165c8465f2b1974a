#pragma once

// The binary image of a whole setup: the document's own section, the four trace records, the ten
// format records and the probe engine's section. Setup files and the defaults file hold exactly
// this image.

#include <array>
#include <cstdint>
#include <ctime>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "display/CPlotFormat.h"
#include "display/CTrace.h"
#include "display/LogFont.h"
#include "persist/ArchiveFields.h"
#include "probe/CProbeEngine.h"
#include "probe/FieldList.h"
#include "probe/Sweep.h"

namespace kv {

inline constexpr const char* kSetupMagic = "QVR47310C1.02";
// Files of the sibling line-measurement program share the image and are accepted.
inline constexpr const char* kSetupSiblingMagic = "QVR47311C1.02";
inline constexpr std::size_t kMagicRecord = 200;
// The file dialogs' filter and default extension (without the dot) of setup files.
inline constexpr const char* kSetupFileFilter = "Kv47310 Files (*.tst)|*.tst|All Files (*.*)|*.*||";
inline constexpr const char* kSetupFileExtension = "tst";
inline constexpr std::size_t kDocumentNameRecord = 200;
// More points than any analyzer sweeps. A larger number of points in a file is damage (a flipped
// bit), and would have the engine build a frequency list of many gigabytes.
inline constexpr std::int32_t kMaxSweepPoints = 10000000;

// The document's section, in file order.
struct DocumentSection {
    std::string magic = kSetupMagic;
    std::string instrumentName;
    bool includeSensitivity = false;
    bool forwardOnly = false;
    bool markerOn = false;
    std::int32_t referenceTrace = 0;
    bool reservedFlag7 = false;
    std::int32_t mathMode = 0;
    std::int32_t scaleSheetPage = 0;
    std::int32_t calSheetPage = 0;
    std::int32_t prefSheetPage = 0;
    std::int32_t reservedPage = 0;
    std::int32_t displaySheetPage = 0;
    bool reservedFlag14 = true;
    bool reservedFlag15 = false;
    std::int32_t markerPosition = 0;
    ColorRef tableColour = 0;
    LogFont tableFont;
    ColorRef titleColour = 0x0000FF;
    LogFont titleFont;
    std::string titleText = "Title";
    bool titleShown = true;
    ColorRef subtitleColour = 200;
    LogFont subtitleFont;
    std::string subtitleText = "SubTitle";
    bool subtitleShown = true;
    bool scaleFontFlag = true;
    ColorRef scaleColour = 0x808080;
    LogFont scaleFont;
    bool gridFlag = true;
    ColorRef gridColour = 0xC0C0C0;
    bool parameterFontFlag = true;
    ColorRef parameterColour = 0x404040;
    LogFont parameterFont;
    bool timeDateShown = true;
    bool timeDateUpdate = true;
    ColorRef timeDateColour = 0x808080;
    LogFont timeDateFont;
    std::time_t dateStamp = 0;
    std::time_t timeStamp = 0;
    Sweep sweep{.stopValue = 6.0};
    double lowestFrequency = 200000000.0;
    double highestFrequency = 20000000000.0;
    std::int32_t lowestPoints = 1;
    std::int32_t highestPoints = 1601;
    std::uint16_t tableFormatCode = 0;  // 0 real and imaginary, 1 real and tan d
    std::uint16_t chartFormatCode = 0;  // 0 e' ... 7 Cole-Cole u

    bool operator==(const DocumentSection&) const = default;
};

// The section's fields after its magic record, in file order (see FieldList.h); a text kept in a
// record of fixed size is visited with its FixedRecord.
template <class Visitor, FieldsOf<DocumentSection>... S>
void VisitFields(Visitor&& visit, S&... s) {
    visit("instrumentName", s.instrumentName..., FixedRecord{kDocumentNameRecord});
    visit("includeSensitivity", s.includeSensitivity...);
    visit("forwardOnly", s.forwardOnly...);
    visit("markerOn", s.markerOn...);
    visit("referenceTrace", s.referenceTrace...);
    visit("reservedFlag7", s.reservedFlag7...);
    visit("mathMode", s.mathMode...);
    visit("scaleSheetPage", s.scaleSheetPage...);
    visit("calSheetPage", s.calSheetPage...);
    visit("prefSheetPage", s.prefSheetPage...);
    visit("reservedPage", s.reservedPage...);
    visit("displaySheetPage", s.displaySheetPage...);
    visit("reservedFlag14", s.reservedFlag14...);
    visit("reservedFlag15", s.reservedFlag15...);
    visit("markerPosition", s.markerPosition...);
    visit("tableColour", s.tableColour...);
    visit("tableFont", s.tableFont...);
    visit("titleColour", s.titleColour...);
    visit("titleFont", s.titleFont...);
    visit("titleText", s.titleText...);
    visit("titleShown", s.titleShown...);
    visit("subtitleColour", s.subtitleColour...);
    visit("subtitleFont", s.subtitleFont...);
    visit("subtitleText", s.subtitleText...);
    visit("subtitleShown", s.subtitleShown...);
    visit("scaleFontFlag", s.scaleFontFlag...);
    visit("scaleColour", s.scaleColour...);
    visit("scaleFont", s.scaleFont...);
    visit("gridFlag", s.gridFlag...);
    visit("gridColour", s.gridColour...);
    visit("parameterFontFlag", s.parameterFontFlag...);
    visit("parameterColour", s.parameterColour...);
    visit("parameterFont", s.parameterFont...);
    visit("timeDateShown", s.timeDateShown...);
    visit("timeDateUpdate", s.timeDateUpdate...);
    visit("timeDateColour", s.timeDateColour...);
    visit("timeDateFont", s.timeDateFont...);
    visit("dateStamp", s.dateStamp...);
    visit("timeStamp", s.timeStamp...);
    VisitFields(visit, s.sweep...);
    visit("lowestFrequency", s.lowestFrequency...);
    visit("highestFrequency", s.highestFrequency...);
    visit("lowestPoints", s.lowestPoints...);
    visit("highestPoints", s.highestPoints...);
    visit("tableFormatCode", s.tableFormatCode...);
    visit("chartFormatCode", s.chartFormatCode...);
}

// What a setup image is written from: the document's parts, where they live.
struct SetupImageSource {
    const DocumentSection* document = nullptr;
    std::array<const CTrace*, kTraceCount> traces{};
    std::array<const CPlotFormat*, kFormatCount> formats{};
    const CProbeEngine* engine = nullptr;
};

// A setup image as read: nothing of a document has been touched yet.
struct SetupImage {
    SetupImage();
    DocumentSection document;
    std::array<CTrace, kTraceCount> traces;
    std::array<CPlotFormat, kFormatCount> formats;
    // A staging engine without driver, document or operator interface.
    std::unique_ptr<CProbeEngine> engine;
    // The instrument name record of the engine's section.
    std::string storedName;

    SetupImageSource Source() const;
};

enum class SetupReadResult {
    Ok,
    NotSetupFile,  // the magic record holds neither magic
    Damaged,       // short, a length or count beyond the end, or a sweep of impossible size
};

// True when the magic record contains either magic.
bool MagicAccepted(const std::string& magicRecord);

std::vector<std::uint8_t> WriteSetupImage(const SetupImageSource& source);
// Reads the whole image into `image`. The magic is checked first, so a file of another kind is
// reported as such however it continues.
SetupReadResult ReadSetupImage(std::span<const std::uint8_t> bytes, SetupImage& image);

}  // namespace kv
