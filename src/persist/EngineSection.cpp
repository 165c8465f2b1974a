#include "persist/EngineSection.h"

namespace kv {

void WriteEngineSection(ArchiveWriter& ar, const CProbeEngine& engine) {
    ar.Flag(engine.setChartScale);
    ar.Double(engine.stopValue);
    ar.Double(engine.startValue);
    ar.Int(engine.numPoints);
    ar.Text(engine.startUnit);
    ar.Text(engine.stopUnit);
    ar.Int(engine.sweepType);
    ar.Double(engine.model.apertureScale);
    for (const double c : engine.model.apertureCoefficients) {
        ar.Double(c);
    }
    ar.Double(engine.model.frequencyScale);
    ar.Double(engine.model.coefficientScale);
    for (const double v : engine.stdAlpha) {
        ar.Double(v);
    }
    for (const double v : engine.stdEinf) {
        ar.Double(v);
    }
    for (const double v : engine.stdEo) {
        ar.Double(v);
    }
    for (const auto& label : engine.stdLabel) {
        ar.Text(label);
    }
    for (const double v : engine.stdTau) {
        ar.Double(v);
    }
    ar.Int(engine.refreshStandard);
    ar.Int(engine.calibrationType);
    ar.Int(engine.probeType);
    ar.Double(engine.waterTemperature);
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
    engine.stopValue = ar.Double();
    engine.startValue = ar.Double();
    engine.numPoints = ar.Int();
    engine.startUnit = ar.Text();
    engine.stopUnit = ar.Text();
    engine.sweepType = ar.Int();
    engine.model.apertureScale = ar.Double();
    for (double& c : engine.model.apertureCoefficients) {
        c = ar.Double();
    }
    engine.model.frequencyScale = ar.Double();
    engine.model.coefficientScale = ar.Double();
    for (double& v : engine.stdAlpha) {
        v = ar.Double();
    }
    for (double& v : engine.stdEinf) {
        v = ar.Double();
    }
    for (double& v : engine.stdEo) {
        v = ar.Double();
    }
    for (auto& label : engine.stdLabel) {
        label = ar.Text();
    }
    for (double& v : engine.stdTau) {
        v = ar.Double();
    }
    engine.refreshStandard = ar.Int();
    engine.calibrationType = ar.Int();
    engine.probeType = ar.Int();
    engine.waterTemperature = ar.Double();
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
