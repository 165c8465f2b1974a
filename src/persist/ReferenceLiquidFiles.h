#pragma once

// Reading the library of reference liquids from its files: the one shipped with the program and
// any of the user's own (see probe/ReferenceLiquids.h for the liquids and
// data/reference-liquids.txt for the form of a file).

#include <string>
#include <vector>

#include "probe/ReferenceLiquids.h"

namespace kv {

struct ReferenceLiquidLibrary {
    std::vector<ReferenceLiquid> liquids;
    // One line per file that could not be used, naming the file (and the line of a fault):
    // "FILE:12: unknown model debie; ...", "FILE: cannot be read".
    std::vector<std::string> problems;
    std::vector<std::string> missing;  // paths that do not exist
};

// Reads the files in order; a liquid of a later file replaces one of the same identifier from an
// earlier file. A file with a fault adds nothing (none of its liquids) and is named in `problems`;
// the liquids of the other files stay. A path that does not exist is only listed in `missing`:
// a user need not have a file of their own.
ReferenceLiquidLibrary LoadReferenceLiquids(const std::vector<std::string>& paths);

// The library shipped with the program: share/kv47310/reference-liquids.txt of the installation,
// or of the build folder when the program runs from there (or when there is no application
// object). Empty when there is none.
std::string ShippedReferenceLiquidsFile();

// The files the program reads its library from, in this order (pass them to
// LoadReferenceLiquids):
// 1. the shipped library (ShippedReferenceLiquidsFile), when there is one;
// 2. the user's own file, reference-liquids.txt in the program's settings folder: the folder of
//    the organisation and application of the user's settings (SettingsProfileStore.h) under the
//    user's configuration folder, on Linux
//    $XDG_CONFIG_HOME/Local AppWizard-Generated Applications/Tarvel Technologies 47310C/
//    (~/.config when XDG_CONFIG_HOME is not set), on Windows the same two folders under
//    %LOCALAPPDATA%. It is listed whether it exists or not; the user's liquids replace shipped ones
//    of the same identifier.
std::vector<std::string> ReferenceLiquidPaths();

}  // namespace kv
