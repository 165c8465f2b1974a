#include "persist/EngineSection.h"

#include <utility>

namespace kv {

void WriteEngineSection(ArchiveWriter& ar, const CProbeEngine& engine) {
    VisitStoredFields(ArchiveFieldWriter(ar), engine);
}

std::string ReadEngineSection(ArchiveReader& ar, CProbeEngine& engine) {
    std::string ownName = std::move(engine.instrumentName);
    VisitStoredFields(ArchiveFieldReader(ar), engine);
    return std::exchange(engine.instrumentName, std::move(ownName));
}

void TakeEngineSection(CProbeEngine& to, CProbeEngine& from) {
    std::string ownName = std::move(to.instrumentName);
    VisitStoredFields(FieldMover(), to, from);
    // A list file keeps the sweep's list after the image (SetupImage.cpp); it goes with the sweep.
    to.sweep.list = std::move(from.sweep.list);
    to.instrumentName = std::move(ownName);
}

}  // namespace kv
