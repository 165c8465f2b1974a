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

namespace {

// The scatters in the block's order.
template <class E>
auto Scatters(E& e) {
    return std::array{&e.stdScatter[0], &e.stdScatter[1], &e.stdScatter[2], &e.refreshScatter,
                      &e.sampleScatter};
}

// Readings no analyzer sweeps more often than this.
constexpr std::int32_t kMaxSweepsPerReading = 1000000;

}  // namespace

void WriteUncertaintySection(ArchiveWriter& ar, const CProbeEngine& engine) {
    VisitUncertaintyFields(ArchiveFieldWriter(ar), engine.calSettings);
    ar.Flag(engine.refreshed);
    for (const ReadingScatter* s : Scatters(engine)) {
        ar.Int(s->sweeps);
        ar.Double(s->statedNoise);
        std::vector<double> flat;
        flat.reserve(s->covariance.size() * 3);
        for (const Cov2& c : s->covariance) {
            flat.insert(flat.end(), {c.rr, c.ri, c.ii});
        }
        ar.Doubles(flat);
    }
}

void ReadUncertaintySection(ArchiveReader& ar, CProbeEngine& engine) {
    VisitUncertaintyFields(ArchiveFieldReader(ar), engine.calSettings);
    if (engine.calSettings.sweepsPerReading < 1 ||
        engine.calSettings.sweepsPerReading > kMaxSweepsPerReading) {
        ar.Fail();
    }
    engine.refreshed = ar.Int() != 0;
    for (ReadingScatter* s : Scatters(engine)) {
        s->sweeps = ar.Int();
        s->statedNoise = ar.Double();
        const std::vector<double> flat = ar.Doubles();
        if (s->sweeps < 1 || s->sweeps > kMaxSweepsPerReading || flat.size() % 3 != 0) {
            ar.Fail();
            return;
        }
        s->covariance.clear();
        for (std::size_t i = 0; i + 2 < flat.size(); i += 3) {
            s->covariance.push_back({flat[i], flat[i + 1], flat[i + 2]});
        }
    }
}

void TakeEngineSection(CProbeEngine& to, CProbeEngine& from) {
    std::string ownName = std::move(to.instrumentName);
    VisitStoredFields(FieldMover(), to, from);
    // A list file keeps the sweep's list after the image (SetupImage.cpp); it goes with the sweep.
    to.sweep.list = std::move(from.sweep.list);
    to.instrumentName = std::move(ownName);
    VisitUncertaintyFields(FieldMover(), to.calSettings, from.calSettings);
    to.refreshed = from.refreshed;
    to.stdScatter = std::move(from.stdScatter);
    to.refreshScatter = std::move(from.refreshScatter);
    to.sampleScatter = std::move(from.sampleScatter);
    to.ComputeCalibrationUncertainty();
}

}  // namespace kv
