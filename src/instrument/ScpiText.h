#pragma once

// Plain-text helpers of the drivers that talk SCPI and of the address texts they are given.

#include <string>

namespace kv {

// The text without the white space around it.
std::string TrimBlanks(const std::string& text);

}  // namespace kv
