#pragma once

// The IEEE 488.2 answers of an analyzer, read from the bytes received so far: a line of text
// ended by a newline, a definite-length block "#<n><n digits><bytes>" or an indefinite block
// "#0<bytes>" of a length the reader is told, each followed by the newline that ends the message.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "instrument/ScpiText.h"

namespace kv {

struct ScpiAnswer {
    bool block = false;
    std::string bytes;  // the text without its newline (and a trailing CR), or the block's bytes
};

enum class ScpiParse {
    NeedMore,   // the answer is not complete yet
    Complete,   // `answer` holds it and `consumed` bytes of the input belong to it
    Malformed,  // the input is no answer; `error` says why
};

// Reads one answer from the start of `data`. `indefiniteBytes` is the length an indefinite block
// must have (the reader cannot tell the end of binary data otherwise); a negative value refuses
// indefinite blocks. `maxBytes` bounds both a line and a block.
ScpiParse ParseScpiAnswer(const char* data, std::size_t size, long long indefiniteBytes,
                          std::size_t maxBytes, ScpiAnswer& answer, std::size_t& consumed,
                          std::string& error);

// The numbers of an answer: a block of 64-bit IEEE numbers in the given byte order (big-endian
// when `swapped` is false), or comma-separated ASCII numbers. False, with the reason, when the
// answer does not hold such numbers.
bool DecodeScpiNumbers(const ScpiAnswer& answer, bool swapped, std::vector<double>& out,
                       std::string& error);

// One ASCII number ("+1.0E+09", "201"); false for anything else.
bool ParseScpiNumber(const std::string& text, double& value);

// The answer of SYST:ERR?: the number and its text (quotes removed). False when the answer
// does not read as "<number>,<text>".
bool ParseScpiError(const std::string& text, int& number, std::string& message);

// A block of 64-bit numbers as the analyzer writes it, with its "#<n><length>" header.
std::string EncodeReal64Block(const std::vector<double>& values, bool swapped);

}  // namespace kv
