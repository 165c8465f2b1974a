#pragma once

// The "measure" command of the terminal front end: connect, sweep, calibrate, measure, report.

#include <cstdio>
#include <optional>
#include <string>

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

// The "watch" command (WatchRun.cpp): calibrate as measure does, then measure and record a series
// until its count or duration, or Ctrl-C / SIGTERM (status 0, the file complete). A record file
// that exists is refused with kExitUsage.
int RunWatch(const CliOptions& options, IComponentRegistry& registry, ProfileStore& profile,
             std::FILE* err);

// The characterisation (CharacteriseRun.cpp): calibrate, measure the reference liquid, fit and
// save the probe.
int RunCharacterise(const CliOptions& options, IComponentRegistry& registry, ProfileStore& profile,
                    std::FILE* out, std::FILE* err);

// The probe --probe names: a stock type (scales 1), a characterised probe's file or its name in
// the program's library. Nothing, with the reason written to `err`, when there is no such probe.
struct ProbeChoice {
    int stockType = 1;  // 0 A, 1 B
    double frequencyScale = 1.0;
    double coefficientScale = 1.0;
    double deviation = 0.0;  // a characterised probe's relative deviation after its fit (rms)
};
std::optional<ProbeChoice> ResolveProbe(const std::string& text, std::FILE* err);

class LiquidCheckRun;
// Connects, loads --setup, sets the sweep, applies the calibration options (and the probe) and
// calibrates, unless the setup file's calibration holds; then --refresh. With a --check, its
// temperature is settled from the calibration's water before calibrating. An exit status.
int CalibrateForRun(const CliOptions& options, IComponentRegistry& registry, CKv4731xDoc& doc,
                    const std::optional<ProbeChoice>& probe, std::FILE* err,
                    LiquidCheckRun* check = nullptr);

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
