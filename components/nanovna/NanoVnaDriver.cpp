#include "NanoVnaDriver.h"

#include <QSerialPortInfo>
#include <QSettings>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "instrument/CalStateBytes.h"
#include "instrument/LinearRuns.h"
#include "instrument/SerialCardId.h"

namespace kv {

namespace {

constexpr double kAxisTolerance = 1.0;  // Hz
constexpr char kStateMagic[8] = {'K', 'V', 'N', 'A', 'N', 'O', 'C', 'S'};
constexpr std::uint32_t kStateVersion = 1;
constexpr std::size_t kMaxNameBytes = 199;

std::string Hz(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.6f GHz", v * 1e-9);
    return text;
}

std::string Number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

bool SameClsid(const std::string& a, const char* b) {
    return a.size() == std::strlen(b) && std::equal(a.begin(), a.end(), b, [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

}  // namespace

NanoVnaSettings LoadNanoVnaSettings() {
    NanoVnaSettings s;
    QSettings settings;
    settings.beginGroup(kNanoVnaSettingsGroup);
    for (const char* key : {"timeout", "noise"}) {
        if (settings.contains(key)) {
            std::string error;
            if (!SetNanoVnaSetting(s, key, settings.value(key).toString().toStdString(), error)) {
                std::fprintf(stderr, "NanoVNA: setting %s: %s\n", key, error.c_str());
            }
        }
    }
    return s;
}

bool SetNanoVnaSetting(NanoVnaSettings& settings, const std::string& key, const std::string& value,
                       std::string& error) {
    if (key != "timeout" && key != "noise") {
        error = "The NanoVNA has no setting \"" + key + "\".";
        return false;
    }
    char* end = nullptr;
    const double v = std::strtod(value.c_str(), &end);
    if (value.empty() || end != value.c_str() + value.size() || !std::isfinite(v)) {
        error = "\"" + value + "\" is not a number.";
        return false;
    }
    if (key == "noise") {
        if (v < 0 || v > 1) {
            error = "The trace noise must lie between 0 and 1.";
            return false;
        }
        settings.traceNoise = v;
        return true;
    }
    if (v < 0.01 || v > 3600) {
        error = "The timeout must lie between 0.01 and 3600 s.";
        return false;
    }
    settings.timeout = v;
    return true;
}

std::vector<std::string> NanoVnaCandidatePorts() {
    std::vector<std::string> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (!info.hasVendorIdentifier() || !info.hasProductIdentifier()) {
            continue;
        }
        const auto vid = info.vendorIdentifier();
        const auto pid = info.productIdentifier();
        if ((vid == 0x0483 && pid == 0x5740) || (vid == 0x04b4 && pid == 0x0008)) {
            ports.push_back(info.systemLocation().toStdString());
        }
    }
    std::sort(ports.begin(), ports.end());
    return ports;
}

NanoVnaDriver::NanoVnaDriver(NanoVnaSettings settings, LinkFactory links, PortLister ports)
    : settings_(settings), links_(std::move(links)), ports_(std::move(ports)) {}

NanoVnaDriver::~NanoVnaDriver() {
    Release();
}

int NanoVnaDriver::ScanTimeoutMs(int points) const {
    const double scale = std::max(1.0, static_cast<double>(points) / kNanoVnaTimeoutPoints);
    return static_cast<int>(std::min(settings_.timeout * 1000.0 * scale, double{INT_MAX}));
}

int NanoVnaDriver::SelectGpibCard(const std::string& cardClsid) {
    cardClsid_ = cardClsid;
    if (!SameClsid(cardClsid, kSerialCardClsid)) {
        return Fail("The NanoVNA works only on the USB serial port card.");
    }
    return 0;
}

int NanoVnaDriver::SetAddresses(const std::string& cardAddress,
                                const std::string& instrumentAddress) {
    if (cardAddress.empty()) {
        return Fail("The USB serial port card needs the analyzer's port (/dev/ttyACM0).");
    }
    cardAddress_ = cardAddress;
    instrumentAddress_ = instrumentAddress;
    if (cardAddress != port_) {
        Release();
        protocol_.reset();
        family_ = NanoVnaAnswer::Unknown;
        identification_.clear();
        port_ = cardAddress;
    }
    return 0;
}

void NanoVnaDriver::DropLink() {
    if (link_) {
        link_->Close();
    }
    link_.reset();
    begun_ = false;
}

void NanoVnaDriver::Release() {
    if (protocol_ && taken_ && !(link_ && link_->IsOpen() && begun_) && !port_.empty()) {
        // The link was dropped after a fault: the analyzer is given back on a new one when it
        // still answers.
        DropLink();
        auto link = links_(port_);
        std::string error;
        if (link->Open(error) && DetectNanoVna(*link, kNanoVnaDetectMs, error) == family_) {
            link_ = std::move(link);
            begun_ = true;
        }
    }
    if (link_ && link_->IsOpen() && protocol_ && begun_) {
        // Giving the analyzer back is not interrupted by an abort already asked for.
        link_->SetWaitHook({});
        protocol_->End(*link_, ScanTimeoutMs(1));
    }
    taken_ = false;
    DropLink();
}

bool NanoVnaDriver::Connect() {
    if (link_ && link_->IsOpen() && begun_) {
        return true;
    }
    DropLink();
    if (port_.empty()) {
        Fail("No serial port is set.");
        return false;
    }
    auto link = links_(port_);
    link->SetWaitHook(waitHook_);
    std::string error;
    if (!link->Open(error)) {
        Fail(error);
        return false;
    }
    const NanoVnaAnswer answer = DetectNanoVna(*link, kNanoVnaDetectMs, error);
    if (answer == NanoVnaAnswer::Unknown) {
        link->Close();
        Fail(error + (error == kAbortedText ? "" : " (" + port_ + ")"));
        return false;
    }
    if (!protocol_ || answer != family_) {
        protocol_ = answer == NanoVnaAnswer::Shell ? MakeShellProtocol() : MakeV2Protocol();
        family_ = answer;
    }
    if (!protocol_) {
        link->Close();
        Fail("This build cannot talk to the analyzer's protocol.");
        return false;
    }
    NanoVnaLimits limits;
    if (!protocol_->Begin(*link, ScanTimeoutMs(1), limits, error)) {
        link->Close();
        Fail(error);
        return false;
    }
    limits_ = limits;
    identification_ = limits.name;
    link_ = std::move(link);
    begun_ = true;
    taken_ = true;
    // A sweep planned before the limits were learned is planned anew.
    if (!frequencies_.empty()) {
        pieces_ = PlanNanoVnaScans(frequencies_, limits_);
    }
    return true;
}

int NanoVnaDriver::CheckInstrument() {
    ClearError();
    return Connect() ? 0 : kNotDone;
}

int NanoVnaDriver::OpenInstrument(const std::string&, const std::string&) {
    ClearError();
    return Connect() ? 0 : kNotDone;
}

int NanoVnaDriver::Initialize() {
    return Connect() ? 0 : kNotDone;
}

int NanoVnaDriver::Preset() {
    ClearError();
    correction_.Resume();
    sweepError_ = "No sweep has been set.";
    return Connect() ? 0 : kNotDone;
}

int NanoVnaDriver::GetInstrumentName(std::string& name) {
    name = identification_.substr(0, kMaxNameBytes);
    return 0;
}

int NanoVnaDriver::GetMinFrequency(double& hz) {
    if (identification_.empty()) {
        return kNotDone;
    }
    hz = limits_.minHz;
    return 0;
}

int NanoVnaDriver::GetMaxFrequency(double& hz) {
    if (identification_.empty()) {
        return kNotDone;
    }
    hz = limits_.maxHz;
    return 0;
}

int NanoVnaDriver::GetMaxPoints(int& points) {
    points = kNanoVnaMaxPoints;
    return 0;
}

std::string NanoVnaDriver::RangeRefusal(std::span<const double> frequencies) const {
    if (frequencies.empty()) {
        return "The sweep has no points.";
    }
    if (frequencies.size() > static_cast<std::size_t>(kNanoVnaMaxPoints)) {
        return "The sweep holds " + std::to_string(frequencies.size()) +
               " points; the NanoVNA driver measures at most " + std::to_string(kNanoVnaMaxPoints) +
               ".";
    }
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        const double f = frequencies[i];
        if (!(f >= limits_.minHz - kAxisTolerance && f <= limits_.maxHz + kAxisTolerance)) {
            return "Point " + std::to_string(i + 1) + ", " + Hz(f) +
                   ", is outside the analyzer's range, " + Hz(limits_.minHz) + " to " +
                   Hz(limits_.maxHz) + ".";
        }
        if (i > 0 && !(f > frequencies[i - 1])) {
            return "The frequencies do not rise at point " + std::to_string(i + 1) + ".";
        }
    }
    return {};
}

std::string NanoVnaDriver::ListRefusal(std::span<const double> frequencies) const {
    if (identification_.empty()) {
        return "The analyzer is not connected.";
    }
    return RangeRefusal(frequencies);
}

int NanoVnaDriver::SetFrequencyList(std::span<const double> frequencies, int count, int sweepType) {
    ClearError();
    const std::size_t n =
        std::min(frequencies.size(), static_cast<std::size_t>(std::max(count, 0)));
    frequencies_.assign(frequencies.begin(), frequencies.begin() + static_cast<long>(n));
    sweepType_ = sweepType;
    lastRaw_.clear();
    pieces_.clear();
    sweepError_ = RangeRefusal(frequencies_);
    if (!sweepError_.empty()) {
        return Fail(sweepError_);
    }
    pieces_ = PlanNanoVnaScans(frequencies_, limits_);
    return 0;
}

int NanoVnaDriver::GetStartFrequency(double& hz) {
    if (frequencies_.empty()) {
        return kNotDone;
    }
    hz = frequencies_.front();
    return 0;
}

int NanoVnaDriver::GetStopFrequency(double& hz) {
    if (frequencies_.empty()) {
        return kNotDone;
    }
    hz = frequencies_.back();
    return 0;
}

int NanoVnaDriver::GetNumberOfPoints(int& points) {
    if (frequencies_.empty()) {
        return kNotDone;
    }
    points = static_cast<int>(frequencies_.size());
    return 0;
}

int NanoVnaDriver::GetFrequencyList(std::vector<double>& frequencies) {
    if (!sweepError_.empty()) {
        return Fail(sweepError_);
    }
    // Every scan's frequencies are checked against the list to 1 Hz as it is measured.
    frequencies = frequencies_;
    return 0;
}

bool NanoVnaDriver::Measure(std::vector<CComplex>& raw) {
    if (!Connect()) {
        return false;
    }
    raw.assign(frequencies_.size(), CComplex());
    for (const NanoVnaPiece& piece : pieces_) {
        NanoVnaScan scan;
        std::string error;
        if (!protocol_->Scan(*link_, piece.startHz, piece.stopHz, piece.points,
                             ScanTimeoutMs(piece.points), scan, error)) {
            // Whatever the analyzer still sends belongs to this scan: the link is opened anew
            // before the next command.
            DropLink();
            Fail(error);
            return false;
        }
        if (scan.frequencies.size() != static_cast<std::size_t>(piece.points) ||
            scan.s11.size() != scan.frequencies.size()) {
            DropLink();
            Fail("The analyzer returned " + std::to_string(scan.s11.size()) +
                 " points for a scan of " + std::to_string(piece.points) + ".");
            return false;
        }
        for (int k = 0; k < piece.count; ++k) {
            const auto i = static_cast<std::size_t>(piece.listIndex + k);
            const double f = scan.frequencies[static_cast<std::size_t>(piece.first + k)];
            if (!(std::fabs(f - frequencies_[i]) <= kAxisTolerance)) {
                DropLink();
                Fail("The analyzer measured point " + std::to_string(i + 1) + " at " + Hz(f) +
                     " instead of " + Hz(frequencies_[i]) + " (scan from " +
                     std::to_string(piece.startHz) + " to " + std::to_string(piece.stopHz) +
                     " Hz, " + std::to_string(piece.points) + " points).");
                return false;
            }
            raw[i] = scan.s11[static_cast<std::size_t>(piece.first + k)];
        }
    }
    return true;
}

int NanoVnaDriver::Deliver(const std::vector<CComplex>& raw, std::span<CComplex> trace) {
    std::string error;
    return correction_.Apply(raw, trace, error) ? 0 : Fail(error);
}

int NanoVnaDriver::MeasureTrace(std::span<CComplex> trace) {
    ClearError();
    if (!sweepError_.empty()) {
        return Fail(sweepError_);
    }
    std::vector<CComplex> raw;
    if (!Measure(raw)) {
        return kNotDone;
    }
    lastRaw_ = raw;
    return Deliver(raw, trace);
}

int NanoVnaDriver::ReadTrace(std::span<CComplex> trace) {
    ClearError();
    if (!sweepError_.empty()) {
        return Fail(sweepError_);
    }
    // The analyzer keeps no trace between scans: the last one measured is read again.
    if (lastRaw_.size() != frequencies_.size()) {
        return MeasureTrace(trace);
    }
    return Deliver(lastRaw_, trace);
}

int NanoVnaDriver::BeginCalibration() {
    correction_.Suspend();
    return 0;
}

int NanoVnaDriver::DownloadCalibration(std::span<const CComplex> directivity,
                                       std::span<const CComplex> sourceMatch,
                                       std::span<const CComplex> tracking) {
    correction_.Download(directivity, sourceMatch, tracking);
    return 0;
}

int NanoVnaDriver::ClearMessage() {
    // The end of a prompt sequence that downloaded nothing: the last terms apply again.
    correction_.Resume();
    return 0;
}

int NanoVnaDriver::SaveCalibrationState(CalState& state, std::uint16_t& size) {
    state.fill(0);
    std::size_t pos = 0;
    std::memcpy(state.data(), kStateMagic, sizeof kStateMagic);
    pos += sizeof kStateMagic;
    PutU32(state, pos, kStateVersion);
    PutF64(state, pos, frequencies_.empty() ? 0.0 : frequencies_.front());
    PutF64(state, pos, frequencies_.empty() ? 0.0 : frequencies_.back());
    PutU32(state, pos, static_cast<std::uint32_t>(frequencies_.size()));
    PutU32(state, pos, static_cast<std::uint32_t>(sweepType_));
    const std::size_t body = pos;
    PutU32(state, pos, StateChecksum(state.data(), body));
    size = static_cast<std::uint16_t>(pos);
    return 0;
}

int NanoVnaDriver::RestoreCalibrationState(const CalState& state, std::uint16_t size) {
    std::size_t pos = sizeof kStateMagic;
    std::uint32_t version = 0, points = 0, kind = 0, checksum = 0;
    double start = 0, stop = 0;
    const bool read = size >= sizeof kStateMagic &&
                      std::memcmp(state.data(), kStateMagic, sizeof kStateMagic) == 0 &&
                      GetU32(state, size, pos, version) && version == kStateVersion &&
                      GetF64(state, size, pos, start) && GetF64(state, size, pos, stop) &&
                      GetU32(state, size, pos, points) && GetU32(state, size, pos, kind);
    const std::size_t body = pos;
    if (!read || !GetU32(state, size, pos, checksum) ||
        checksum != StateChecksum(state.data(), body) || pos != size) {
        return Fail("The stored calibration state is not one of the NanoVNA.");
    }
    if (points < 1 || points > static_cast<std::uint32_t>(kNanoVnaMaxPoints) ||
        kind > static_cast<std::uint32_t>(kListSweep) || !std::isfinite(start) ||
        !std::isfinite(stop) || start <= 0 || stop < start) {
        return Fail("The stored calibration state holds values out of range.");
    }
    std::vector<double> list;
    if (kind == static_cast<std::uint32_t>(kListSweep)) {
        // The state holds only the ends of a list: it restores the list the program has set.
        if (sweepType_ != kListSweep || frequencies_.size() != points ||
            !(std::fabs(frequencies_.front() - start) <= kAxisTolerance) ||
            !(std::fabs(frequencies_.back() - stop) <= kAxisTolerance)) {
            return Fail("The stored calibration state belongs to a list of " +
                        std::to_string(points) + " frequencies from " + Hz(start) + " to " +
                        Hz(stop) + ", which is not the list that is set.");
        }
        list = frequencies_;
    } else if (kind == kLinearSweep) {
        for (std::uint32_t i = 0; i < points; ++i) {
            list.push_back(points == 1 ? start : start + i * ((stop - start) / (points - 1)));
        }
    } else {
        list = LogSweepFrequencies(start, stop, static_cast<int>(points));
    }
    return SetFrequencyList(list, static_cast<int>(list.size()), static_cast<int>(kind));
}

void NanoVnaDriver::SetWaitHook(DriverWaitHook hook) {
    waitHook_ = std::move(hook);
    if (link_) {
        link_->SetWaitHook(waitHook_);
    }
}

bool NanoVnaDriver::SetRunSetting(const std::string& key, const std::string& value,
                                  std::string& error) {
    return SetNanoVnaSetting(settings_, key, value, error);
}

std::vector<std::string> NanoVnaDriver::SearchCardAddresses() {
    return ports_ ? ports_() : std::vector<std::string>();
}

std::string NanoVnaDriver::SettingsTitle() const {
    return "NanoVNA settings";
}

std::vector<SettingDescription> NanoVnaDriver::DescribeSettings() const {
    SettingDescription s;
    s.key = "timeout";
    s.name = "Timeout";
    s.kind = SettingKind::Number;
    s.minimum = 0.01;
    s.maximum = 3600;
    s.unit = "s";
    s.defaultValue = Number(NanoVnaSettings{}.timeout);
    s.value = Number(settings_.timeout);
    s.help =
        "How long the driver waits for every answer of the analyzer before it gives up; a scan "
        "of more than 101 points waits longer in proportion.";
    SettingDescription noise;
    noise.key = "noise";
    noise.name = "Trace noise";
    noise.kind = SettingKind::Number;
    noise.minimum = 0;
    noise.maximum = 1;
    noise.defaultValue = Number(NanoVnaSettings{}.traceNoise);
    noise.value = Number(settings_.traceNoise);
    noise.help =
        "The standard deviation of the real and imaginary part of one raw reading; the program "
        "takes it as the uncertainty of a reading of one sweep. 0 states none.";
    return {s, noise};
}

bool NanoVnaDriver::StoreSettings(const std::map<std::string, std::string>& values,
                                  std::string& error) {
    NanoVnaSettings checked = settings_;
    for (const auto& [key, value] : values) {
        if (!SetNanoVnaSetting(checked, key, value, error)) {
            return false;
        }
    }
    QSettings settings;
    settings.beginGroup(kNanoVnaSettingsGroup);
    for (const auto& [key, value] : values) {
        settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
    }
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        error = "The settings could not be written.";
        return false;
    }
    settings_ = checked;
    return true;
}

}  // namespace kv
