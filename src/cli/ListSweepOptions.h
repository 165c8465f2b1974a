#pragma once

// The terminal's list sweeps: the frequencies of --segments and --list, read before the run.

#include <cstdio>
#include <string>
#include <string_view>

#include "cli/CliOptions.h"
#include "probe/FrequencySegments.h"

namespace kv {

// Whether a --list file is a Touchstone file, recognised as the "Touchstone files" analyzer's
// file choosers recognise one, by its extension .s1p (any case), or else by its first line that
// holds more than a "!" comment: a version 2 keyword ("[Version] 2.0") or an option line whose
// every field is one the Touchstone reader knows ("# MHz S RI R 50").
bool IsTouchstoneListFile(const std::string& path, std::string_view text);

// The frequencies of a --list file: a Touchstone file's own frequencies, else the text read one
// frequency a line (ParseFrequencyListText). The refusal says what is wrong in the file, without
// its name.
FrequencyListResult ReadListFile(const std::string& path);

// Fills options.list from --segments or --list. On a refusal prints it to `err` (naming the
// option) and returns false: the input is bad, and the run is not begun.
bool ReadSweepList(CliOptions& options, std::FILE* err);

}  // namespace kv
