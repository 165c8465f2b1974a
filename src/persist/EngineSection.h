#pragma once

// The probe engine's section of a setup file: the sweep, the probe-model constants, the
// calibration settings and standards, the calibration (flag, the analyzer's saved state and the
// name of the analyzer it was made on) and every per-point array. physicalCorrection, the
// instrument limits and the links are not stored.

#include <string>

#include "persist/ArchiveFields.h"
#include "persist/ArchiveReader.h"
#include "persist/ArchiveWriter.h"
#include "probe/CProbeEngine.h"
#include "probe/FieldList.h"

namespace kv {

// Size of the record that holds the instrument name.
inline constexpr std::size_t kInstrumentNameRecord = 200;

// The section's fields in file order (see FieldList.h). The name record holds instrumentName
// when written; reading and taking a section keep the engine's own name (the attached
// analyzer's), see below.
template <class Visitor, FieldsOf<CProbeEngine>... E>
void VisitStoredFields(Visitor&& visit, E&... e) {
    visit("setChartScale", e.setChartScale...);
    VisitFields(visit, e.sweep...);
    visit("apertureScale", e.model.apertureScale...);
    visit("apertureCoefficients", e.model.apertureCoefficients...);
    visit("frequencyScale", e.model.frequencyScale...);
    visit("coefficientScale", e.model.coefficientScale...);
    VisitStoredFields(visit, e.calSettings...);
    visit("calibrated", e.calibrated..., ByteFlag{});
    visit("calState", e.calState...);
    visit("calStateSize", e.calStateSize...);
    visit("instrumentName", e.instrumentName..., FixedRecord{kInstrumentNameRecord});
    visit("sensitivity", e.result.sensitivity...);
    visit("frequencies", e.frequencies...);
    visit("stdMeasured1", e.stdMeasured1...);
    visit("stdMeasured2", e.stdMeasured2...);
    visit("stdMeasured3", e.stdMeasured3...);
    visit("refreshMeasured", e.refreshMeasured...);
    visit("errorDirectivity", e.errorDirectivity...);
    visit("errorSourceMatch", e.errorSourceMatch...);
    visit("errorTracking", e.errorTracking...);
    visit("sampleMeasured", e.sampleMeasured...);
}

// Writes the section; the name record is the engine's current instrumentName.
void WriteEngineSection(ArchiveWriter& ar, const CProbeEngine& engine);

// Reads the section into `engine` (normally a staging engine that a document then takes from)
// and returns the stored instrument name; instrumentName itself is not replaced. The stored name
// is the record up to its NUL, or all of its 200 bytes.
std::string ReadEngineSection(ArchiveReader& ar, CProbeEngine& engine);

// The uncertainty block of an extended setup file (SetupImage.h): the calibration sheet's
// uncertainty inputs, whether a refresh changed the terms, and the scatter of the three standards'
// readings, the refresh's and the sample's (each its number of sweeps, its stated noise and its
// covariance at every point as rr, ri, ii). The error terms' covariance is not kept: a load
// computes it anew from these.
void WriteUncertaintySection(ArchiveWriter& ar, const CProbeEngine& engine);
// Fails the reader on a block no program writes (a number of sweeps below 1, a covariance list
// that is no whole number of points).
void ReadUncertaintySection(ArchiveReader& ar, CProbeEngine& engine);

// A load's last step: `to` takes every stored field of `from`, an engine a section was read into,
// but the instrument name, with the uncertainty block's fields; the calibration's uncertainty is
// then computed anew.
void TakeEngineSection(CProbeEngine& to, CProbeEngine& from);

}  // namespace kv
