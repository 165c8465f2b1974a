#pragma once

// The answer of the LibreVNA GUI's :VNA:TRAC:DATA? query: one line of points "[f,re,im]"
// separated by commas, the frequency in whole hertz, the real and imaginary parts as the GUI
// prints them (six significant digits). A trace without data answers EMPTY; a point without a
// valid reading holds NaN.

#include <string>
#include <vector>

namespace kv {

struct LibreVnaPoint {
    double frequency = 0;  // Hz
    double re = 0;
    double im = 0;
};

// The points of the answer (a trailing CR or blanks allowed); false with the reason for EMPTY,
// for a point that is not a number (NaN, inf) and for anything else that is not such a list.
bool ParseLibreVnaTrace(const std::string& text, std::vector<LibreVnaPoint>& points,
                        std::string& error);

}  // namespace kv
