#pragma once

// Helpers of the component tests: the Demo analyzer created through its real plugin, prompts as
// the probe engine shows them, and the error model written out independently.

#include <complex>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "DemoErrorModel.h"
#include "instrument/IInstrumentDriver.h"
#include "probe/ProbeModel.h"

namespace kv::test {

inline constexpr const char* kDemoClsid = "{D47C0A11-7447-4F91-9042-2BFBE795F40E}";
inline constexpr const char* kCardClsid = "{FEA82D79-C945-4487-82CB-28C1E3267370}";

// The Demo analyzer from the build tree's components folder, created in a fresh working
// directory that holds `ini` as demo-analyzer.ini (no file when `ini` is empty).
std::shared_ptr<IInstrumentDriver> CreateDemo(const std::string& ini = "");

std::vector<double> Linear(double start, double stop, int points);

// SetFrequencyList with a linear list (sweep kind 0).
void Sweep(IInstrumentDriver& driver, const std::vector<double>& frequencies);

// (start, stop, number of points) as the analyzer reports its sweep.
std::tuple<double, double, int> ReadBack(IInstrumentDriver& driver);

// (min frequency, max frequency, max points) in the program's limit-query order.
std::tuple<double, double, int> Limits(IInstrumentDriver& driver);

// SetAddresses, then CheckInstrument: 0 when the analyzer answers there.
int Check(IInstrumentDriver& driver, const char* card, const char* instrument);

// One MeasureTrace of `points` points.
std::vector<CComplex> Measure(IInstrumentDriver& driver, std::size_t points);

// The operator prompt as the engine shows it: ShowTitle(measuring), then ShowMessage(prompt).
void Prompt(IInstrumentDriver& driver, const std::string& prompt, const std::string& measuring);

// "Insert the probe into " + "%6.2f" temperature + " C water."
std::string WaterPrompt(double temperature);

// The probe model of a probe type with its coefficients loaded.
ProbeModel Model(int probeType = 1);

std::complex<double> Std(CComplex z);

// M = e00 + e01e10 G / (1 - e11 G), in std::complex.
std::complex<double> ThroughTerms(const ErrorTerms& terms, std::complex<double> gamma);

// |a - b|
double Distance(CComplex a, std::complex<double> b);

}  // namespace kv::test
