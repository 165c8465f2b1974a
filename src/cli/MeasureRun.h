#pragma once

// The "measure" command of the terminal front end: connect, sweep, calibrate, measure, report.

#include <cstdio>

#include "cli/CliOptions.h"
#include "instrument/ComponentRegistry.h"
#include "persist/ProfileStore.h"
#include "probe/FrequencyPage.h"
#include "probe/Outcome.h"

namespace kv {

// Exit statuses of the terminal front end.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

class CKv4731xDoc;
class TerminalUi;

int RunComponents(IComponentRegistry& registry, std::FILE* out, std::FILE* err);
int RunMeasure(const CliOptions& options, IComponentRegistry& registry, ProfileStore& profile,
               std::FILE* out, std::FILE* err);
// The "sweep" command: connect, set the sweep, take one uncalibrated sweep and write it.
int RunSweep(const CliOptions& options, IComponentRegistry& registry, ProfileStore& profile,
             std::FILE* out, std::FILE* err);

// Steps of both commands. ConnectForRun chooses the components, connects and sets the analyzer
// up (an exit status); SetSweepForRun applies the sweep options (false when refused); SetSweepOf
// sets one sweep, linear where the analyzer offers no logarithmic one (and says so).
int ConnectForRun(const CliOptions& options, IComponentRegistry& registry, CKv4731xDoc& doc,
                  std::FILE* err);
bool SetSweepForRun(const CliOptions& options, CKv4731xDoc& doc, std::FILE* err);
Outcome SetSweepOf(CKv4731xDoc& doc, FrequencyPage page, std::FILE* err);

// The Touchstone steps (TouchstoneRun.cpp). SetTouchstoneFiles hands the file options to the
// "Touchstone files" analyzer for this run; AdoptFileSweep takes the files' frequencies when the
// sweep options leave it open; WriteSampleTouchstones writes --touchstone and --raw-touchstone of a
// measurement.
void SetTouchstoneFiles(const CliOptions& options);
bool AdoptFileSweep(const CliOptions& options, CKv4731xDoc& doc, std::FILE* err);
bool WriteSampleTouchstones(const CliOptions& options, const CKv4731xDoc& doc, std::FILE* err);

}  // namespace kv
