#pragma once

// The "measure" command of the terminal front end: connect, sweep, calibrate, measure, report.

#include <cstdio>

#include "cli/CliOptions.h"
#include "instrument/ComponentRegistry.h"
#include "persist/ProfileStore.h"

namespace kv {

// Exit statuses of the terminal front end.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

int RunComponents(IComponentRegistry& registry, std::FILE* out, std::FILE* err);
int RunMeasure(const CliOptions& options, IComponentRegistry& registry, ProfileStore& profile,
               std::FILE* out, std::FILE* err);

}  // namespace kv
