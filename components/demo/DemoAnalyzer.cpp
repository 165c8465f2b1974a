#include "DemoAnalyzer.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>

#include "../simcard/SimulatedCardId.h"
#include "probe/Units.h"

namespace kv {

namespace {

// Points of the stimulus after a preset, as on most analyzers.
constexpr int kPresetPoints = 201;

// Layout of the calibration-state block (little-endian):
//   0  8 bytes  magic "KVDEMO1" and a NUL
//   8  uint32   flags: bit 0 correction on, bit 1 frequency list follows
//  12  int32    number of points
//  16  int32    sweep kind as the program sent it
//  20  4 bytes  zero
//  24  double   first frequency (Hz)
//  32  double   last frequency (Hz)
//  40  double[] the frequency list, when it fits into the block; otherwise the list is rebuilt
//               as a linear sweep from the first to the last frequency
constexpr char kStateMagic[8] = {'K', 'V', 'D', 'E', 'M', 'O', '1', '\0'};
constexpr std::size_t kStateHeader = 40;
constexpr std::uint32_t kStateCorrectionOn = 1;
constexpr std::uint32_t kStateListStored = 2;

void PutU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t GetU32(const std::uint8_t* at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    }
    return value;
}

void PutDouble(std::uint8_t* at, double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) {
        at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
}

double GetDouble(const std::uint8_t* at) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) {
        bits |= static_cast<std::uint64_t>(at[i]) << (8 * i);
    }
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::vector<double> LinearList(double start, double stop, int points) {
    std::vector<double> list(static_cast<std::size_t>(std::max(points, 1)), start);
    for (int i = 1; i < points; ++i) {
        list[i] = start + i * (stop - start) / (points - 1);
    }
    return list;
}

// A decimal GPIB address text; blanks around it are allowed.
bool ParseAddress(const std::string& text, int& address) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    if (first == std::string::npos) {
        return false;
    }
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    int value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || value < 0) {
        return false;
    }
    address = value;
    return true;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
               return upper(x) == upper(y);
           });
}

// The sample of the settings: a reference liquid when [sample] names one, its Cole-Cole
// material otherwise.
DemoMaterial SampleOf(const DemoSettings& settings) {
    if (settings.sampleLiquid) {
        return DemoMaterial::Liquid(settings.sampleLiquid, settings.sampleTemperature, "sample");
    }
    DemoMaterial sample = DemoMaterial::Relaxation(settings.sample, "sample");
    sample.perMinute = settings.samplePerMinute;
    return sample;
}

// When the component was loaded: the program's start, which a changing sample counts from.
const std::chrono::steady_clock::time_point kLoaded = std::chrono::steady_clock::now();

double MinutesSinceStart() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - kLoaded).count() / 60.0;
}

}  // namespace

DemoAnalyzer::DemoAnalyzer(const DemoSettings& settings)
    : settings_(settings),
      operator_(SampleOf(settings), settings.standards),
      noise_(settings.seed) {
    // Every reflection at the aperture (air, water, user standards, the sample) is that of the
    // stock probe scaled to another size; a program calibrating with the stock probe then measures
    // with the model error such a probe shows.
    model_.frequencyScale = settings_.frequencyScale;
    model_.coefficientScale = settings_.coefficientScale;
    model_.LoadProbeCoefficients(settings_.probeType);
    Preset();
    material_ = MaterialNamed(settings_.material);
}

DemoMaterial DemoAnalyzer::MaterialNamed(const std::string& name) const {
    if (name == "short") {
        return DemoMaterial::Short();
    }
    if (name == "water") {
        return DemoMaterial::Water(25.0);
    }
    if (name == "load") {
        return DemoMaterial::Load();
    }
    if (name == "sample") {
        return operator_.Sample();
    }
    return DemoMaterial::Air();
}

bool DemoAnalyzer::SetRunSetting(const std::string& key, const std::string& value,
                                 std::string& error) {
    if (key != "material") {
        error = "The Demo analyzer has no setting \"" + key + "\".";
        return false;
    }
    if (!IsDemoMaterial(value)) {
        error = "The material must be air, short, water, load or sample.";
        return false;
    }
    settings_.material = value;
    material_ = MaterialNamed(value);
    return true;
}

int DemoAnalyzer::SelectGpibCard(const std::string& cardClsid) {
    cardSelected_ = EqualNoCase(cardClsid, kSimulatedCardClsid);
    return cardSelected_ ? 0 : 1;
}

bool DemoAnalyzer::AtConfiguredAddresses() const {
    return cardNumber_ == settings_.cardAddress && instrumentNumber_ == settings_.instrumentAddress;
}

int DemoAnalyzer::CheckInstrument() {
    if (settings_.failCheck) {
        return 1;
    }
    return cardSelected_ && AtConfiguredAddresses() ? 0 : 1;
}

int DemoAnalyzer::Initialize() {
    return settings_.failInitialize ? 1 : 0;
}

int DemoAnalyzer::Preset() {
    if (settings_.failPreset) {
        return Fail(settings_.errorText.empty() ? "The preset failed." : settings_.errorText);
    }
    frequencies_ = LinearList(settings_.minFrequency, settings_.maxFrequency,
                              std::min(kPresetPoints, settings_.maxPoints));
    sweepType_ = kLinearSweep;
    calibrating_ = false;
    terms_.Clear();
    responseArmed_ = false;
    triggerArmed_ = false;
    return 0;
}

int DemoAnalyzer::SetFrequencyList(std::span<const double> frequencies, int count, int sweepType) {
    if (settings_.refuseSweep) {
        return 1;
    }
    std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
    n = std::min(n, frequencies.size());
    n = std::min(n, static_cast<std::size_t>(settings_.maxPoints));
    if (n == 0) {
        return 1;  // an analyzer always has at least one point: keep the current list
    }
    frequencies_.assign(frequencies.begin(), frequencies.begin() + static_cast<std::ptrdiff_t>(n));
    // Like a real analyzer, the stimulus stays inside the instrument's range.
    for (double& f : frequencies_) {
        f = std::clamp(f, settings_.minFrequency, settings_.maxFrequency);
    }
    sweepType_ = sweepType;
    return 0;
}

bool DemoAnalyzer::CorrectionOn() const {
    return !calibrating_ && !terms_.Empty();
}

void DemoAnalyzer::Sweep() {
    const std::size_t n = frequencies_.size();
    const double cablePhase = settings_.drift * sweeps_;
    // Terms downloaded for another number of points do not belong to this sweep.
    const bool correct = CorrectionOn() && terms_.Size() == n;
    lastTrace_.assign(n, CComplex());
    // A changing sample is taken as it is when the sweep starts; the water is warmer or colder
    // than the prompt said by the settings' offset.
    DemoMaterial at = material_.At(MinutesSinceStart());
    if (at.kind == DemoMaterial::Kind::Water) {
        at.temperature += settings_.waterTemperatureOffset;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const double f = frequencies_[i];
        const CComplex gamma = at.Reflection(model_, f);
        CComplex m = RawReflection(DemoErrorTerms(f, cablePhase), gamma);
        if (settings_.noise > 0.0) {
            m = CComplex::Add(m, noise_.Next(settings_.noise));
        }
        if (correct) {
            m = terms_.Correct(i, m);
        }
        lastTrace_[i] = m;
    }
    ++sweeps_;
    haveTrace_ = true;
}

bool DemoAnalyzer::ReadingFails() {
    const int taken = readings_++;
    return settings_.failMeasure ||
           (settings_.failMeasureAfter >= 0 && taken >= settings_.failMeasureAfter);
}

int DemoAnalyzer::MeasureTrace(std::span<CComplex> trace) {
    if (ReadingFails()) {
        return Fail(settings_.errorText);
    }
    Sweep();
    std::copy_n(lastTrace_.begin(), std::min(trace.size(), lastTrace_.size()), trace.begin());
    return 0;
}

int DemoAnalyzer::ReadTrace(std::span<CComplex> trace) {
    if (ReadingFails()) {
        return Fail(settings_.errorText);
    }
    if (!haveTrace_) {
        return Fail("No sweep has been taken.");
    }
    std::copy_n(lastTrace_.begin(), std::min(trace.size(), lastTrace_.size()), trace.begin());
    return 0;
}

int DemoAnalyzer::DownloadCalibration(std::span<const CComplex> directivity,
                                      std::span<const CComplex> sourceMatch,
                                      std::span<const CComplex> tracking) {
    terms_.Assign(directivity, sourceMatch, tracking);
    calibrating_ = false;
    return 0;
}

int DemoAnalyzer::BeginCalibration() {
    calibrating_ = true;
    return 0;
}

int DemoAnalyzer::ShowTitle(const std::string& text) {
    // The measuring text comes before the prompt; it changes the material only where it names
    // another one (so that "Measuring water." keeps the temperature a prompt stated).
    if (auto material = operator_.FromTitle(text); material && !material->SameKind(material_)) {
        material_ = *material;
    }
    return 0;
}

int DemoAnalyzer::ShowMessage(const std::string& text) {
    if (auto material = operator_.FromPrompt(text)) {
        material_ = *material;
    }
    return 0;
}

int DemoAnalyzer::ArmOperatorResponse() {
    responseArmed_ = true;
    responsePolls_ = 0;
    return 0;
}

int DemoAnalyzer::PollOperatorResponse(int& response) {
    // The operator answers on the screen unless the settings let the instrument answer.
    response = kResponseNone;
    if (responseArmed_ && (settings_.autoContinue || settings_.autoAbort)) {
        if (++responsePolls_ >= settings_.responsePolls) {
            response = settings_.autoAbort ? kResponseAbort : kResponseContinue;
        }
    }
    return 0;
}

int DemoAnalyzer::AcknowledgeContinue() {
    responseArmed_ = false;
    return 0;
}

int DemoAnalyzer::EndOperatorResponse() {
    responseArmed_ = false;
    return 0;
}

int DemoAnalyzer::GetStartFrequency(double& hz) {
    hz = frequencies_.front();
    return 0;
}

int DemoAnalyzer::GetStopFrequency(double& hz) {
    hz = frequencies_.back();
    return 0;
}

int DemoAnalyzer::GetNumberOfPoints(int& points) {
    points = settings_.reportPoints >= 0 ? settings_.reportPoints
                                         : static_cast<int>(frequencies_.size());
    return 0;
}

int DemoAnalyzer::GetMinFrequency(double& hz) {
    hz = settings_.minFrequency;
    return 0;
}

int DemoAnalyzer::GetMaxFrequency(double& hz) {
    hz = settings_.maxFrequency;
    return 0;
}

int DemoAnalyzer::GetMaxPoints(int& points) {
    points = settings_.maxPoints;
    return 0;
}

std::string DemoAnalyzer::ListRefusal(std::span<const double> frequencies) const {
    if (frequencies.empty()) {
        return "The list holds no frequency.";
    }
    if (frequencies.size() > static_cast<std::size_t>(settings_.maxPoints)) {
        return "The list holds " + std::to_string(frequencies.size()) +
               " points; the analyzer sweeps at most " + std::to_string(settings_.maxPoints) + ".";
    }
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        const double f = frequencies[i];
        if (!(f >= settings_.minFrequency && f <= settings_.maxFrequency)) {
            return "Point " + std::to_string(i + 1) + " of the list, " + FormatFrequency(f) +
                   ", is outside the analyzer's range, " + FormatFrequency(settings_.minFrequency) +
                   " to " + FormatFrequency(settings_.maxFrequency) + ".";
        }
    }
    return {};
}

int DemoAnalyzer::GetFrequencyList(std::vector<double>& frequencies) {
    if (settings_.reportPoints >= 0 &&
        static_cast<std::size_t>(settings_.reportPoints) != frequencies_.size()) {
        frequencies.clear();
        if (settings_.reportPoints > 0) {
            frequencies =
                LinearList(frequencies_.front(), frequencies_.back(), settings_.reportPoints);
        }
        return 0;
    }
    frequencies = frequencies_;
    return 0;
}

int DemoAnalyzer::SetAddresses(const std::string& cardAddress,
                               const std::string& instrumentAddress) {
    int card = 0;
    int instrument = 0;
    if (!ParseAddress(cardAddress, card) || !ParseAddress(instrumentAddress, instrument)) {
        return 1;
    }
    cardNumber_ = card;
    instrumentNumber_ = instrument;
    return InstrumentDriverBase::SetAddresses(cardAddress, instrumentAddress);
}

int DemoAnalyzer::OpenInstrument(const std::string& cardAddress,
                                 const std::string& instrumentAddress) {
    if (settings_.failOpen || SetAddresses(cardAddress, instrumentAddress) != 0) {
        return 1;
    }
    return cardSelected_ && AtConfiguredAddresses() ? 0 : 1;
}

int DemoAnalyzer::GetInstrumentName(std::string& name) {
    name = settings_.identification;
    return 0;
}

int DemoAnalyzer::SaveCalibrationState(CalState& state, std::uint16_t& size) {
    const std::size_t n = frequencies_.size();
    const bool listFits = kStateHeader + 8 * n <= kCalStateBytes;
    std::fill(state.begin(), state.end(), std::uint8_t{0});
    std::uint8_t* at = state.data();
    std::memcpy(at, kStateMagic, sizeof kStateMagic);
    PutU32(at + 8, (CorrectionOn() ? kStateCorrectionOn : 0) | (listFits ? kStateListStored : 0));
    PutU32(at + 12, static_cast<std::uint32_t>(n));
    PutU32(at + 16, static_cast<std::uint32_t>(sweepType_));
    PutDouble(at + 24, frequencies_.front());
    PutDouble(at + 32, frequencies_.back());
    std::size_t used = kStateHeader;
    if (listFits) {
        for (std::size_t i = 0; i < n; ++i) {
            PutDouble(at + kStateHeader + 8 * i, frequencies_[i]);
        }
        used += 8 * n;
    }
    size = static_cast<std::uint16_t>(used);
    return 0;
}

int DemoAnalyzer::RestoreCalibrationState(const CalState& state, std::uint16_t size) {
    // The block comes from a file: check it completely before anything changes.
    if (size < kStateHeader || size > kCalStateBytes) {
        return 1;
    }
    const std::uint8_t* at = state.data();
    if (std::memcmp(at, kStateMagic, sizeof kStateMagic) != 0) {
        return 1;
    }
    const std::uint32_t flags = GetU32(at + 8);
    const std::uint32_t points = GetU32(at + 12);
    const int sweepType = static_cast<int>(GetU32(at + 16));
    const double start = GetDouble(at + 24);
    const double stop = GetDouble(at + 32);
    if (points < 1 || points > static_cast<std::uint32_t>(settings_.maxPoints)) {
        return 1;
    }
    std::vector<double> list;
    if ((flags & kStateListStored) != 0) {
        if (kStateHeader + 8 * static_cast<std::size_t>(points) > size) {
            return 1;
        }
        list.resize(points);
        for (std::uint32_t i = 0; i < points; ++i) {
            list[i] = GetDouble(at + kStateHeader + 8 * static_cast<std::size_t>(i));
        }
    } else {
        list = LinearList(start, stop, static_cast<int>(points));
    }
    for (double f : list) {
        if (!(f >= settings_.minFrequency && f <= settings_.maxFrequency)) {
            return 1;
        }
    }
    frequencies_ = std::move(list);
    sweepType_ = sweepType;
    // The state holds the stimulus and whether the correction was on; the program hands the
    // error terms back with the DownloadCalibration that follows a restore.
    calibrating_ = false;
    terms_.Clear();
    return 0;
}

int DemoAnalyzer::QueryLogSweepSupport() {
    return settings_.logSweep ? 0 : kLogSweepNotOffered;
}

int DemoAnalyzer::ArmExternalTrigger() {
    if (!settings_.externalTrigger) {
        return kTriggerNotSupported;
    }
    triggerArmed_ = true;
    triggerPolls_ = 0;
    // Whoever arms the trigger measures a sample with it.
    material_ = operator_.Sample();
    return 0;
}

int DemoAnalyzer::PollExternalTrigger() {
    if (!triggerArmed_ || settings_.failTrigger) {
        triggerArmed_ = false;
        return 2;  // nothing armed, or the trigger line failed
    }
    if (triggerPolls_ < settings_.triggerPolls) {
        ++triggerPolls_;
        return kTriggerStillWaiting;
    }
    Sweep();  // the sweep the trigger started
    triggerArmed_ = false;
    return 0;
}

}  // namespace kv
