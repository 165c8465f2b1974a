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
#include <type_traits>
#include <vector>

#include "display/CPlotFormat.h"
#include "display/CTrace.h"
#include "display/DisplaySheets.h"
#include "display/LogFont.h"
#include "display/TraceMath.h"
#include "persist/ArchiveFields.h"
#include "probe/CProbeEngine.h"
#include "probe/FieldList.h"
#include "probe/Sweep.h"

namespace kv {

inline constexpr const char* kSetupMagic = "QVR47310C1.02";
// Files of the sibling line-measurement program share the image and are accepted.
inline constexpr const char* kSetupSiblingMagic = "QVR47311C1.02";
// A file in which either sweep is a list: the same image, then the two lists (the document's
// sweep's, then the engine's). Its magic holds neither of the two above, so that a reader that
// knows no lists refuses it rather than read a sweep it cannot make.
inline constexpr const char* kSetupListMagic = "QVR47310L1.00";
// A file whose engine holds uncertainty inputs away from their defaults or the measured or stated
// scatter of its readings: the same image, the two lists (empty for a sweep that is no list),
// then the uncertainty block (EngineSection.h). Any other file is written as before.
inline constexpr const char* kSetupUncertaintyMagic = "QVR47310U1.00";
inline constexpr std::size_t kMagicRecord = 200;
// The file dialogs' filter and default extension (without the dot) of setup files.
inline constexpr const char* kSetupFileFilter = "Kv47310 Files (*.tst)|*.tst|All Files (*.*)|*.*||";
inline constexpr const char* kSetupFileExtension = "tst";
inline constexpr std::size_t kDocumentNameRecord = 200;
// More points than any analyzer sweeps. A larger number of points in a file is damage (a flipped
// bit), and would have the engine build a frequency list of many gigabytes. So is a sweep kind
// other than linear (0) and logarithmic (1).
inline constexpr std::int32_t kMaxSweepPoints = 10000000;

// How the chart and the table are drawn: the annotations, their fonts and colours, the grid and the
// time stamps. The section keeps them in one run, in this order.
struct DisplaySettings {
    ColorRef tableColour = 0;
    LogFont tableFont;
    TextAnnotation title{"Title", true, 0x0000FF, {}};
    TextAnnotation subtitle{"SubTitle", true, 200, {}};
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
    std::time_t dateStamp = 0;  // first measurement time stamp (its date is shown)
    std::time_t timeStamp = 0;  // second measurement time stamp (its time is shown)

    bool operator==(const DisplaySettings&) const = default;
};

// The display settings' fields in file order (see FieldList.h).
template <class Visitor, FieldsOf<DisplaySettings>... S>
void VisitFields(Visitor&& visit, S&... s) {
    visit("tableColour", s.tableColour...);
    visit("tableFont", s.tableFont...);
    visit("titleColour", s.title.colour...);
    visit("titleFont", s.title.font...);
    visit("titleText", s.title.text...);
    visit("titleShown", s.title.shown...);
    visit("subtitleColour", s.subtitle.colour...);
    visit("subtitleFont", s.subtitle.font...);
    visit("subtitleText", s.subtitle.text...);
    visit("subtitleShown", s.subtitle.shown...);
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
}

// The measurement session's stored settings: flags, trace math and marker, the pages the sheets
// last showed, and the frequency settings.
struct SessionSettings {
    bool includeSensitivity = false;
    bool forwardOnly = false;
    bool markerOn = false;
    int referenceTrace = 0;  // 0 Data, 1 to 3 Memory 1 to 3
    bool reservedFlag7 = false;
    TraceMath mathMode = TraceMath::Off;
    // Last page of each property sheet, and values only stored and restored.
    int scaleSheetPage = 0;
    int calSheetPage = 0;
    int prefSheetPage = 0;
    int reservedPage = 0;
    int displaySheetPage = 0;
    bool reservedFlag14 = true;
    bool reservedFlag15 = false;
    int markerPosition = 0;
    // Frequency settings.
    Sweep sweep{.stopValue = 6.0};
    double lowestFrequency = 200000000.0;
    double highestFrequency = 20000000000.0;
    int lowestPoints = 1;
    int highestPoints = 1601;

    bool operator==(const SessionSettings&) const = default;
};

// The document's stored settings: everything of its own that a setup file keeps, the session's and
// the display's. The document holds them as one value (its base), so that a load or a save copies
// them in one assignment.
struct DocumentSettings : SessionSettings, DisplaySettings {
    bool operator==(const DocumentSettings&) const = default;
};

// The document's section: its stored settings with the magic, the instrument's name and the
// current formats' codes.
struct DocumentSection : DocumentSettings {
    std::string magic = kSetupMagic;
    std::string instrumentName;
    std::uint16_t tableFormatCode = 0;  // 0 real and imaginary, 1 real and tan d
    std::uint16_t chartFormatCode = 0;  // 0 e' ... 7 Cole-Cole u

    bool operator==(const DocumentSection&) const = default;
};

// The display settings of a section, const when the section is.
template <class S>
auto& DisplayPart(S& s) {
    if constexpr (std::is_const_v<S>) {
        return static_cast<const DisplaySettings&>(s);
    } else {
        return static_cast<DisplaySettings&>(s);
    }
}

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
    // The display settings lie between the session's flags and its frequency settings.
    VisitFields(visit, DisplayPart(s)...);
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
    Damaged,       // short, a length or count beyond the end, or an impossible sweep (size, kind)
};

// True when the magic record contains either magic.
bool MagicAccepted(const std::string& magicRecord);
// Whether a magic record is a list file's: its text is exactly kSetupListMagic.
bool ListMagic(const std::string& magicRecord);
// Whether a magic record is an uncertainty file's: its text is exactly kSetupUncertaintyMagic.
bool UncertaintyMagic(const std::string& magicRecord);

std::vector<std::uint8_t> WriteSetupImage(const SetupImageSource& source);
// Reads the whole image into `image`. The magic is checked first, so a file of another kind is
// reported as such however it continues.
SetupReadResult ReadSetupImage(std::span<const std::uint8_t> bytes, SetupImage& image);

}  // namespace kv
