#pragma once

// The probe engine's section of a setup file: the sweep, the probe-model constants, the
// calibration settings and standards, the calibration (flag, the analyzer's saved state and the
// name of the analyzer it was made on) and every per-point array. physicalCorrection, the
// instrument limits and the links are not stored.

#include <string>

#include "persist/ArchiveReader.h"
#include "persist/ArchiveWriter.h"
#include "probe/CProbeEngine.h"

namespace kv {

// Size of the record that holds the instrument name.
inline constexpr std::size_t kInstrumentNameRecord = 200;

// Writes the section; the name record is the engine's current instrumentName.
void WriteEngineSection(ArchiveWriter& ar, const CProbeEngine& engine);

// Reads the section into `engine` (normally a staging engine that a document then copies from)
// and returns the stored instrument name; instrumentName itself is not replaced. The stored name
// is the record up to its NUL, or all of its 200 bytes.
std::string ReadEngineSection(ArchiveReader& ar, CProbeEngine& engine);

}  // namespace kv
