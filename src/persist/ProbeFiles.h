#pragma once

// Characterised probes: a stock probe (A or B) whose model's frequency and coefficient scales were
// fitted to a reference liquid, kept as a small JSON file each. The program's own probes live in
// the "probes" folder of its data folder as NAME.json; a probe may also be any file of its own.
// The keys are written in alphabetical order; in the order they are read:
//
//   {
//       "name": "P7",
//       "stockType": "B",
//       "frequencyScale": 0.7,
//       "coefficientScale": 1,
//       "coefficientScaleFitted": false,
//       "liquid": "acetone",
//       "liquidTemperatureC": 25,
//       "waterTemperatureC": 25,
//       "date": "2026-12-08T20:40:00Z",
//       "fromHz": 1000000000,
//       "toHz": 10000000000,
//       "points": 22,
//       "deviationBefore": { "largest": 0.031, "rms": 0.02 },
//       "deviationAfter": { "largest": 1e-07, "rms": 5e-08 }
//   }
//
// Deviations are relative (|e - e_liquid| / |e_liquid|), not percent.

#include <optional>
#include <string>
#include <vector>

#include "probe/Outcome.h"

namespace kv {

struct ProbeDeviation {
    double largest = 0.0;
    double rms = 0.0;
    bool operator==(const ProbeDeviation&) const = default;
};

struct CharacterisedProbe {
    std::string name;
    int stockType = 1;  // the stock probe it scales: 0 "A", 1 "B"
    double frequencyScale = 1.0;
    double coefficientScale = 1.0;
    bool coefficientScaleFitted = false;
    std::string liquid;               // the reference liquid's identifier
    double liquidTemperature = 25.0;  // Celsius
    double waterTemperature = 25.0;   // Celsius, of the calibration
    std::string date;                 // ISO 8601
    // The points of the sweep the fit used and the frequencies of the first and the last.
    double fromHz = 0.0;
    double toHz = 0.0;
    int points = 0;
    ProbeDeviation before;
    ProbeDeviation after;
    bool operator==(const CharacterisedProbe&) const = default;
};

// A name a probe may be saved under: not empty, not "A" or "B" in any case (the stock types),
// no path separator, control character or leading dot. Otherwise false with the reason.
bool ValidProbeName(const std::string& name, std::string& why);

// The file's text (indented JSON, ending in a newline).
std::string ProbeFileText(const CharacterisedProbe& probe);

struct ProbeLoad {
    std::optional<CharacterisedProbe> probe;
    std::string error;  // "FILE: what is wrong" when there is no probe
};

// Reads one probe file; a file that cannot be read or is not a whole, sound probe gives an error
// naming the file and the first fault found.
ProbeLoad LoadProbeFile(const std::string& path);
// Writes the probe to `path` (through a temporary file); refused for a name ValidProbeName
// refuses, failed when the file cannot be written.
Outcome SaveProbeFile(const std::string& path, const CharacterisedProbe& probe);

// The program's library of probes: the "probes" folder of its data folder (of the application
// and organisation names the program set).
std::string ProbeLibraryFolder();
// FOLDER/NAME.json
std::string ProbeLibraryPath(const std::string& folder, const std::string& name);
// Saves into the library folder, making it when there is none.
Outcome SaveProbeToLibrary(const std::string& folder, const CharacterisedProbe& probe);

struct ProbeLibrary {
    std::vector<CharacterisedProbe> probes;  // by name
    std::vector<std::string> problems;       // the files that could not be used, with why
};
// Every *.json file of the folder (none when there is no folder).
ProbeLibrary ListProbes(const std::string& folder);
// The probe of that name in the folder (names compared exactly), or an error that says so.
ProbeLoad FindProbe(const std::string& folder, const std::string& name);

}  // namespace kv
