#pragma once

// The analyzer settings a run may change for itself: --ifbw HZ, --power DBM, --average N,
// --family NAME, --timeout S. They are handed to the component before its driver is made (so the
// connection itself uses them) and to the connected driver's own settings (IDriverSettings), for
// this run only: nothing is stored.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "instrument/IInstrumentDriver.h"

namespace kv {

// Takes args[i] (and its value) when it is one of these options: 1 taken, 0 not one of them,
// -1 a mistake (the reason in `error`).
int TakeDriverSetting(const std::vector<std::string>& args, std::size_t& i, CliOptions& o,
                      std::string& error);

// Puts the settings where the component reads them when it makes its driver.
void SetRunDriverSettings(const CliOptions& o);

// Hands the settings to the driver; false (with a message on `err`) when it has no settings or
// refuses one.
bool ApplyDriverSettings(const CliOptions& o, IInstrumentDriver* driver, std::FILE* err);

}  // namespace kv
