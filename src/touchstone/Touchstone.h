#pragma once

// One-port Touchstone files (.s1p): the reader of versions 1 and 2 and the writer of version 1.
// Standard library only.

#include <string>
#include <string_view>
#include <vector>

#include "numerics/CComplex.h"

namespace kv {

// The reflection of a one-port at each frequency.
struct TouchstoneData {
    std::vector<double> frequencies;  // Hz, increasing
    std::vector<CComplex> s11;        // real and imaginary part
    double referenceOhms = 50.0;
};

struct TouchstoneParse {
    bool ok = false;
    TouchstoneData data;
    int line = 0;        // the line that does not read (1 = the first), when !ok
    std::string reason;  // what is wrong with it, a sentence without a final full stop
};

// Reads the text of a one-port file: the option line (frequency unit Hz, kHz, MHz or GHz; S; RI,
// MA or DB; R and the reference resistance; fields left out are GHz, S, MA and R 50), comments
// after "!", version 2 keywords, LF, CR LF or CR line ends, a UTF-8 byte-order mark at the start.
// A NUL byte anywhere refuses the file.
TouchstoneParse ParseTouchstone(std::string_view text);

// Reads a regular file of at most kMaxTouchstoneFileBytes (64 MB); anything else, or a file that
// cannot be opened, is refused at line 0.
TouchstoneParse ReadTouchstoneFile(const std::string& path);

// "The Touchstone file PATH does not read at line N: REASON." (or "cannot be read: REASON." for
// line 0).
std::string TouchstoneErrorText(const std::string& path, const TouchstoneParse& parse);

// A version 1 file: "!" comment lines naming the instrument and the date, "# Hz S RI R <r>", then
// one line per point with the frequency and the real and imaginary part written as "%.17g".
// A file holds numbers only: the writers refuse data that are not all finite.
std::string FormatTouchstone(const TouchstoneData& data, const std::string& instrument,
                             const std::string& date);
// True when every frequency and every part of S11 is a finite number.
bool AllFinite(const TouchstoneData& data);

// The keys of the "Touchstone files" analyzer's settings group, in the order in which its files
// are read, and the application property through which a front end names the files of one run
// (a map of these keys to paths that replaces the settings group for that run).
inline constexpr const char* kTouchstoneSettingsGroup = "TouchstoneFiles";
inline constexpr const char* kTouchstoneFileKeys[] = {
    "air", "short", "water", "load", "standard1", "standard2", "standard3", "sample"};
inline constexpr const char* kTouchstoneRunProperty = "kv47310.touchstoneFiles";

}  // namespace kv
