#pragma once

// Texts are UTF-8 inside the program and single-byte Latin-1 in every file it writes.

#include <string>
#include <string_view>

namespace kv {

// UTF-8 to Latin-1: characters above U+00FF, and bytes that are not valid UTF-8, become '?'.
std::string ToLatin1(std::string_view utf8);

// Latin-1 to UTF-8; every byte is a character.
std::string FromLatin1(std::string_view latin1);

}  // namespace kv
