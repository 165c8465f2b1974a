#include "persist/EngineSection.h"

#include "persist/ArchiveFields.h"

namespace kv {

void WriteEngineSection(ArchiveWriter& ar, const CProbeEngine& engine) {
    ar.Flag(engine.setChartScale);
    VisitFields(ArchiveFieldWriter(ar), engine.sweep);
    ar.Double(engine.model.apertureScale);
    for (const double c : engine.model.apertureCoefficients) {
        ar.Double(c);
    }
    ar.Double(engine.model.frequencyScale);
    ar.Double(engine.model.coefficientScale);
    VisitStoredFields(ArchiveFieldWriter(ar), engine.calSettings);
    ar.Byte(engine.calibrated ? 1 : 0);
    ar.Raw(engine.calState.data(), engine.calState.size());
    ar.Word(engine.calStateSize);
    ar.Fixed(engine.instrumentName, kInstrumentNameRecord);
    ar.Doubles(engine.sensitivity);
    ar.Doubles(engine.frequencies);
    ar.Complexes(engine.stdMeasured1);
    ar.Complexes(engine.stdMeasured2);
    ar.Complexes(engine.stdMeasured3);
    ar.Complexes(engine.refreshMeasured);
    ar.Complexes(engine.errorDirectivity);
    ar.Complexes(engine.errorSourceMatch);
    ar.Complexes(engine.errorTracking);
    ar.Complexes(engine.sampleMeasured);
}

std::string ReadEngineSection(ArchiveReader& ar, CProbeEngine& engine) {
    engine.setChartScale = ar.Flag();
    VisitFields(ArchiveFieldReader(ar), engine.sweep);
    engine.model.apertureScale = ar.Double();
    for (double& c : engine.model.apertureCoefficients) {
        c = ar.Double();
    }
    engine.model.frequencyScale = ar.Double();
    engine.model.coefficientScale = ar.Double();
    VisitStoredFields(ArchiveFieldReader(ar), engine.calSettings);
    engine.calibrated = ar.Byte() == 1;
    ar.Raw(engine.calState.data(), engine.calState.size());
    engine.calStateSize = ar.Word();
    std::string storedName = ar.Fixed(kInstrumentNameRecord);
    engine.sensitivity = ar.Doubles();
    engine.frequencies = ar.Doubles();
    engine.stdMeasured1 = ar.Complexes();
    engine.stdMeasured2 = ar.Complexes();
    engine.stdMeasured3 = ar.Complexes();
    engine.refreshMeasured = ar.Complexes();
    engine.errorDirectivity = ar.Complexes();
    engine.errorSourceMatch = ar.Complexes();
    engine.errorTracking = ar.Complexes();
    engine.sampleMeasured = ar.Complexes();
    return storedName;
}

}  // namespace kv
