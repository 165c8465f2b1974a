#pragma once

// Frequency units and the texts the program writes frequencies and numbers in.

#include <string>

namespace kv {

// "GHz" 1e9, "MHz" 1e6, "KHz" 1e3, anything else 1 (exact, case-sensitive).
double UnitMultiplier(const std::string& unit);

// The whole text as a number as strtod reads it (C locale); false for an empty text or one with
// anything after the number.
bool ParseNumber(const std::string& text, double& value);

// "200MHz", "20 GHz", "1.5e9", "300kHz": the number and the program's unit text ("Hz", "KHz",
// "MHz", "GHz"), the unit matched ignoring case. False for anything else: blanks after the unit,
// and a number that is not finite ("nan", "inf", "1e999").
bool ParseFrequency(const std::string& text, double& value, std::string& unit);

// Rescales a frequency in Hz, in place, to the largest of GHz, MHz and KHz it reaches (else it
// stays in Hz), and returns that unit's text: 2.5e9 becomes 2.5 and "GHz".
std::string ScaleHzToUnit(double& value);

// A number with at most `digits` significant digits in plain notation, trailing zeros after the
// decimal point dropped and the point itself kept ("200.", "1.5", "0.25"); exponent notation
// ("5.e-002") when the magnitude is below 0.1 or has more than `digits` integer digits.
std::string FormatGeneral(double value, int digits);

// Message form of a frequency in Hz: "200. MHz", "15. GHz", "300. Hz".
std::string FormatFrequency(double hz);

// Frequency text of the chart and table: compact ("200. MHz", "1.5 GHz") or fixed
// ("200.000000 MHz", "1.500000000 GHz", "12 Hz"); leading blanks removed.
enum class FrequencyForm { Compact, Fixed };
std::string FrequencyText(double hz, FrequencyForm form);

// printf into a std::string.
std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Leading (and optionally trailing) blanks removed.
std::string TrimLeft(const std::string& text);
std::string Trim(const std::string& text);

}  // namespace kv
