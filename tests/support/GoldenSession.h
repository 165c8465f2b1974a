#pragma once

// The session that writes the golden files kept in tests/data/golden: the defaults file, then a
// calibration on ideal standards, a sample of 20 - j5 with fixed time stamps and three memories
// scaled from it, the setup file, and the Data trace as a data file with the sensitivity column.
// Each front end runs it through its own way of giving commands, and must write the same bytes.
//
// After an intended change of a file's layout, run the tests with KV_WRITE_GOLDEN=1 to write the
// new copies into the source tree, and review their difference before committing them.

#include <functional>
#include <string>

#include "doc/CKv4731xDoc.h"
#include "support/FakeDriver.h"
#include "support/ScriptedUi.h"

namespace kv::test {

// Runs the session on a shown document connected to `driver`, writing its three files into
// `folder`; `run` gives a menu command as the front end under test does.
void RunGoldenSession(CKv4731xDoc& doc, FakeDriver& driver, ScriptedUi& ui,
                      const std::string& folder, const std::function<void(int)>& run);

// Each file the session wrote against its golden copy in `goldenDir`, byte for byte.
void ExpectGoldenFiles(const std::string& folder, const std::string& goldenDir);

}  // namespace kv::test
