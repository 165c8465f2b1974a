#include "LibreVnaDriver.h"

#include <QDeadlineTimer>
#include <QSettings>
#include <QThread>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "LibreVnaTrace.h"
#include "instrument/CalStateBytes.h"
#include "instrument/LanAddress.h"
#include "instrument/LanCardId.h"
#include "instrument/LinearRuns.h"

namespace kv {

namespace {

constexpr double kFrequencyTolerance = 1.0;  // Hz
constexpr std::size_t kMaxNameBytes = 199;
constexpr int kEsrCommandError = 32;
constexpr int kEsrExecutionError = 16;
constexpr char kStateMagic[8] = {'K', 'V', 'L', 'I', 'B', 'V', 'N', 'A'};
constexpr std::uint32_t kStateVersion = 1;

std::string Number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", v);
    return text;
}

// Whole hertz, as the GUI takes and prints frequencies.
std::string WholeHz(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.0f", std::round(v));
    return text;
}

std::string Hz(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.6f GHz", v * 1e-9);
    return text;
}

std::string Seconds(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

bool SameText(const std::string& a, const char* b) {
    return a.size() == std::strlen(b) && std::equal(a.begin(), a.end(), b, [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

}  // namespace

LibreVnaSettings LoadLibreVnaSettings() {
    LibreVnaSettings s;
    QSettings settings;
    settings.beginGroup(kLibreVnaSettingsGroup);
    for (const char* key : {"ifbw", "power", "average", "timeout", "noise"}) {
        if (settings.contains(key)) {
            std::string error;
            if (!SetLibreVnaSetting(s, key, settings.value(key).toString().toStdString(), error)) {
                std::fprintf(stderr, "LibreVNA: setting %s: %s\n", key, error.c_str());
            }
        }
    }
    return s;
}

bool SetLibreVnaSetting(LibreVnaSettings& settings, const std::string& key,
                        const std::string& value, std::string& error) {
    double v = 0;
    if (!ParseScpiNumber(value, v)) {
        error = "\"" + value + "\" is not a number.";
        return false;
    }
    if (key == "ifbw") {
        if (v < 1 || v > 1e7) {
            error = "The IF bandwidth must lie between 1 Hz and 10 MHz.";
            return false;
        }
        settings.ifBandwidth = v;
    } else if (key == "power") {
        if (v < -100 || v > 30) {
            error = "The source power must lie between -100 and 30 dBm.";
            return false;
        }
        settings.power = v;
    } else if (key == "average") {
        if (v < 1 || v > 1000 || v != std::floor(v)) {
            error = "The averaging count must be a whole number from 1 to 1000.";
            return false;
        }
        settings.averaging = static_cast<int>(v);
    } else if (key == "timeout") {
        if (v < 0.1 || v > 3600) {
            error = "The timeout must lie between 0.1 and 3600 s.";
            return false;
        }
        settings.timeout = v;
    } else if (key == "noise") {
        if (!(v >= 0) || v > 1) {
            error = "The trace noise must lie between 0 and 1.";
            return false;
        }
        settings.traceNoise = v;
    } else {
        error = "The LibreVNA analyzer has no setting \"" + key + "\".";
        return false;
    }
    return true;
}

bool ReadGuiVersion(const std::string& identification, int version[3]) {
    std::size_t at = 0;
    for (int comma = 0; comma < 3; ++comma) {
        at = identification.find(',', at);
        if (at == std::string::npos) {
            return false;
        }
        ++at;
    }
    const std::string field = TrimBlanks(identification.substr(at));
    const char* p = field.c_str();
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && *p++ != '.') {
            return false;
        }
        if (!std::isdigit(static_cast<unsigned char>(*p))) {
            return false;
        }
        long v = 0;
        while (std::isdigit(static_cast<unsigned char>(*p)) && v < 100000) {
            v = v * 10 + (*p++ - '0');
        }
        version[i] = static_cast<int>(v);
    }
    // What may follow: a suffix such as "-472594272" or "-alpha.2", not a further digit.
    return !std::isdigit(static_cast<unsigned char>(*p));
}

LibreVnaDriver::LibreVnaDriver(LibreVnaSettings settings) : settings_(settings) {}

LibreVnaDriver::~LibreVnaDriver() = default;

std::string LibreVnaDriver::Where() const {
    return host_ + " port " + std::to_string(port_);
}

int LibreVnaDriver::SelectGpibCard(const std::string& cardClsid) {
    cardClsid_ = cardClsid;
    if (!SameText(cardClsid, kLanCardClsid)) {
        return Fail("The LibreVNA analyzer works only on the LAN (TCP/IP) card.");
    }
    return 0;
}

int LibreVnaDriver::SetAddresses(const std::string& cardAddress,
                                 const std::string& instrumentAddress) {
    LanAddress address;
    std::string error;
    const std::string port =
        TrimBlanks(instrumentAddress).empty() ? std::to_string(kLibreVnaPort) : instrumentAddress;
    if (!ParseLanAddress(cardAddress, port, address, error)) {
        return Fail(error);
    }
    if (address.kind != LanAddress::Kind::RawSocket) {
        return Fail(
            "The instrument address of the LibreVNA analyzer is the port of the GUI's SCPI "
            "server (empty for 19542), not \"" +
            instrumentAddress + "\".");
    }
    cardAddress_ = cardAddress;
    instrumentAddress_ = instrumentAddress;
    if (address.host != host_ || address.port != port_) {
        Disconnect();
        host_ = address.host;
        port_ = address.port;
        identification_.clear();
        limitsRead_ = false;
    }
    return 0;
}

void LibreVnaDriver::Disconnect() {
    if (transport_) {
        transport_->Close();
    }
    transport_.reset();
    runSet_ = false;
}

bool LibreVnaDriver::Connect() {
    if (transport_ && transport_->IsOpen()) {
        return true;
    }
    if (host_.empty()) {
        Fail("No analyzer address is set.");
        return false;
    }
    auto transport = std::make_unique<RawSocketTransport>(host_, port_);
    transport->SetWaitHook(waitHook_);
    std::string error;
    if (!transport->Open(error)) {
        Fail(error + " Is the LibreVNA GUI running with its SCPI server on?");
        return false;
    }
    transport_ = std::move(transport);
    return true;
}

bool LibreVnaDriver::Send(const std::string& command) {
    if (!Connect()) {
        return false;
    }
    std::string error;
    if (!transport_->Write(command, error)) {
        Disconnect();
        Fail(error);
        return false;
    }
    return true;
}

bool LibreVnaDriver::ReadEsr(int& esr) {
    std::string text;
    ScpiAnswer answer;
    std::string error;
    double v = -1;
    if (!Send("*ESR?")) {
        return false;
    }
    if (!transport_->Read(answer, -1, static_cast<int>(settings_.timeout * 1000.0), error)) {
        Disconnect();
        Fail(error + " (*ESR?)");
        return false;
    }
    if (answer.block || !ParseScpiNumber(answer.bytes, v) || v < 0 || v > 255 ||
        v != std::floor(v)) {
        Disconnect();
        Fail("The LibreVNA GUI answered *ESR? with \"" + answer.bytes.substr(0, 40) +
             "\", which is no event status.");
        return false;
    }
    esr = static_cast<int>(v);
    return true;
}

bool LibreVnaDriver::Query(const std::string& query, std::string& text) {
    if (!Send(query)) {
        return false;
    }
    ScpiAnswer answer;
    std::string error;
    if (!transport_->Read(answer, -1, static_cast<int>(settings_.timeout * 1000.0), error)) {
        // Nothing late may be taken for a later answer: a new connection asks the GUI whether it
        // refused the query (which it answers with nothing but the command-error bit).
        Disconnect();
        if (error == IDriverWait::kAbortedText) {
            Fail(error);
            return false;
        }
        int esr = 0;
        const std::string lost = error;
        if (lost.find("did not answer") != std::string::npos && ReadEsr(esr) &&
            (esr & (kEsrCommandError | kEsrExecutionError)) != 0) {
            Fail("The LibreVNA GUI refused " + query + " (event status " + std::to_string(esr) +
                 ").");
            return false;
        }
        Fail(lost + " (" + query + ")");
        return false;
    }
    if (answer.block) {
        Disconnect();
        Fail("The LibreVNA GUI answered " + query + " with a block where text was expected.");
        return false;
    }
    text = TrimBlanks(answer.bytes);
    return true;
}

bool LibreVnaDriver::QueryNumber(const std::string& query, double& value) {
    std::string text;
    if (!Query(query, text)) {
        return false;
    }
    if (!ParseScpiNumber(text, value)) {
        Fail("The LibreVNA GUI answered " + query + " with \"" + text.substr(0, 40) +
             "\", which is not a number.");
        return false;
    }
    return true;
}

bool LibreVnaDriver::SendChecked(const std::vector<std::string>& commands,
                                 const std::string& what) {
    for (const auto& c : commands) {
        if (!Send(c)) {
            return false;
        }
    }
    int esr = 0;
    if (!ReadEsr(esr)) {
        return false;
    }
    if ((esr & (kEsrCommandError | kEsrExecutionError)) != 0) {
        std::string list;
        for (const auto& c : commands) {
            list += (list.empty() ? "" : "; ") + c;
        }
        Fail("The LibreVNA GUI refused " + what + " (" + list + "; event status " +
             std::to_string(esr) + ").");
        return false;
    }
    return true;
}

int LibreVnaDriver::CheckInstrument() {
    ClearError();
    std::string idn;
    if (!Query("*IDN?", idn)) {
        return kNotDone;
    }
    if (idn.empty()) {
        return Fail("The analyzer at " + Where() + " answered *IDN? with nothing.");
    }
    int version[3] = {0, 0, 0};
    if (!ReadGuiVersion(idn, version)) {
        return Fail("The analyzer at " + Where() + " identifies itself as \"" + idn.substr(0, 80) +
                    "\", which names no GUI version. The LibreVNA analyzer needs the LibreVNA "
                    "GUI, version 1.6.0 or later.");
    }
    if (std::lexicographical_compare(version, version + 3, kMinVersion, kMinVersion + 3)) {
        return Fail("The LibreVNA GUI at " + Where() + " is version " + std::to_string(version[0]) +
                    "." + std::to_string(version[1]) + "." + std::to_string(version[2]) +
                    "; the program needs version 1.6.0 or later, whose SCPI server answers no "
                    "set command and reports errors through *ESR?. Update the GUI.");
    }
    identification_ = idn;
    return 0;
}

int LibreVnaDriver::OpenInstrument(const std::string&, const std::string&) {
    if (identification_.empty() && CheckInstrument() != 0) {
        return kNotDone;
    }
    std::string device;
    if (!Send("*CLS") || !Query(":DEV:CONN?", device)) {
        return kNotDone;
    }
    if (SameText(device, "Not connected")) {
        // The GUI connects to the first analyzer it finds.
        if (!SendChecked({":DEV:CONN"}, "to connect to an analyzer") ||
            !Query(":DEV:CONN?", device)) {
            return kNotDone;
        }
        if (SameText(device, "Not connected")) {
            return Fail("The LibreVNA GUI at " + Where() +
                        " has no analyzer connected. Plug the LibreVNA in and connect it in the "
                        "GUI (Device menu).");
        }
    }
    return 0;
}

int LibreVnaDriver::Initialize() {
    return Connect() ? 0 : kNotDone;
}

int LibreVnaDriver::GetInstrumentName(std::string& name) {
    name = identification_.substr(0, kMaxNameBytes);
    return 0;
}

bool LibreVnaDriver::CheckCalibrationOff() {
    std::string active;
    if (!Query(":VNA:CAL:ACTIVE?", active)) {
        return false;
    }
    if (!active.empty() && !SameText(active, "None")) {
        Fail("The LibreVNA GUI applies its own calibration (" + active.substr(0, 40) +
             ") to the trace data. Switch the calibration off in the LibreVNA GUI: the program "
             "corrects the readings with its own calibration.");
        return false;
    }
    return true;
}

bool LibreVnaDriver::ApplySettings() {
    return SendChecked({":VNA:STIM:LVL " + Number(settings_.power),
                        ":VNA:ACQ:IFBW " + Number(settings_.ifBandwidth),
                        ":VNA:ACQ:AVG " + std::to_string(settings_.averaging)},
                       "the stimulus level, IF bandwidth and averaging");
}

bool LibreVnaDriver::ReadLimits() {
    if (limitsRead_) {
        return true;
    }
    double points = 0;
    if (!QueryNumber(":DEV:INF:LIM:MINF?", minFrequency_) ||
        !QueryNumber(":DEV:INF:LIM:MAXF?", maxFrequency_) ||
        !QueryNumber(":DEV:INF:LIM:MAXP?", points)) {
        return false;
    }
    if (!(minFrequency_ > 0 && maxFrequency_ > minFrequency_ && points >= 2 && points <= 1e6)) {
        Fail("The LibreVNA GUI reports limits that cannot be: " + Number(minFrequency_) + " to " +
             Number(maxFrequency_) + " Hz, " + Number(points) + " points.");
        return false;
    }
    maxPoints_ = static_cast<int>(points);
    limitsRead_ = true;
    return true;
}

int LibreVnaDriver::Preset() {
    ClearError();
    correction_.Resume();
    runSet_ = false;
    sweepError_ = "No sweep has been set.";
    if (!SendChecked({":DEV:MODE VNA", ":VNA:SWEEP FREQUENCY", ":VNA:TRAC:DEEMB:ACT S11 FALSE"},
                     "the analyzer mode, the frequency sweep or switching off the de-embedding "
                     "of trace S11") ||
        !ApplySettings() || !CheckCalibrationOff() || !ReadLimits()) {
        return kNotDone;
    }
    return 0;
}

int LibreVnaDriver::BeginLimitQuery() {
    return ReadLimits() ? 0 : kNotDone;
}

int LibreVnaDriver::GetMinFrequency(double& hz) {
    if (!ReadLimits()) {
        return kNotDone;
    }
    hz = minFrequency_;
    return 0;
}

int LibreVnaDriver::GetMaxFrequency(double& hz) {
    if (!ReadLimits()) {
        return kNotDone;
    }
    hz = maxFrequency_;
    return 0;
}

int LibreVnaDriver::GetMaxPoints(int& points) {
    if (!ReadLimits()) {
        return kNotDone;
    }
    points = maxPoints_;
    return 0;
}

std::vector<LibreVnaDriver::Run> LibreVnaDriver::PlanRuns(const std::vector<double>& list,
                                                          int sweepType, int maxPoints,
                                                          std::string& error) {
    std::vector<Run> runs;
    if (list.size() < 2) {
        error = "The LibreVNA sweeps at least two points.";
        return runs;
    }
    if (maxPoints < 2) {
        error = "The LibreVNA's largest number of points is not known.";
        return runs;
    }
    std::vector<LinearRun> linear;
    if (sweepType == kLinearSweep) {
        linear.push_back({list.front(), list.back(), static_cast<int>(list.size())});
    } else {
        linear = SplitLinearRuns(list);
    }
    std::size_t at = 0;  // the list's index of the run's first point
    for (const LinearRun& r : linear) {
        const double step = r.points > 1 ? (r.stop - r.start) / (r.points - 1) : 0.0;
        for (int done = 0; done < r.points;) {
            const int n = std::min(r.points - done, maxPoints);
            Run run;
            run.count = static_cast<std::size_t>(n);
            if (n >= 2) {
                run.start = r.start + done * step;
                run.stop = r.start + (done + n - 1) * step;
                run.points = n;
            } else {
                // One point alone: a sweep of two, from the point before it (or to the one after).
                const std::size_t i = at + static_cast<std::size_t>(done);
                const bool before = i > 0;
                run.start = before ? list[i - 1] : list[i];
                run.stop = before ? list[i] : list[i + 1];
                run.points = 2;
                run.first = before ? 1 : 0;
            }
            runs.push_back(run);
            done += n;
        }
        at += static_cast<std::size_t>(r.points);
    }
    return runs;
}

std::string LibreVnaDriver::ListRefusal(std::span<const double> frequencies) const {
    if (frequencies.size() < 2) {
        return "The LibreVNA sweeps at least two points.";
    }
    if (limitsRead_ && (frequencies.front() < minFrequency_ - kFrequencyTolerance ||
                        frequencies.back() > maxFrequency_ + kFrequencyTolerance)) {
        return "The list reaches beyond the LibreVNA's range of " + Hz(minFrequency_) + " to " +
               Hz(maxFrequency_) + ".";
    }
    return {};
}

bool LibreVnaDriver::ProgramRun(const Run& run, bool verify) {
    // Start again after stop, so that neither is moved by the other's old value.
    if (!SendChecked(
            {":VNA:FREQ:START " + WholeHz(run.start), ":VNA:FREQ:STOP " + WholeHz(run.stop),
             ":VNA:FREQ:START " + WholeHz(run.start),
             ":VNA:ACQ:POINTS " + std::to_string(run.points)},
            "the sweep")) {
        return false;
    }
    if (!verify) {
        return true;
    }
    double start = 0, stop = 0, points = 0;
    if (!QueryNumber(":VNA:FREQ:START?", start) || !QueryNumber(":VNA:FREQ:STOP?", stop) ||
        !QueryNumber(":VNA:ACQ:POINTS?", points)) {
        return false;
    }
    if (!(std::fabs(start - run.start) <= kFrequencyTolerance) ||
        !(std::fabs(stop - run.stop) <= kFrequencyTolerance) || points != run.points) {
        Fail("The LibreVNA sweeps " + Number(points) + " points from " + Hz(start) + " to " +
             Hz(stop) + " instead of " + std::to_string(run.points) + " from " + Hz(run.start) +
             " to " + Hz(run.stop) + ".");
        return false;
    }
    return true;
}

int LibreVnaDriver::SetFrequencyList(std::span<const double> frequencies, int count,
                                     int sweepType) {
    ClearError();
    const std::size_t n =
        std::min(frequencies.size(), static_cast<std::size_t>(std::max(count, 0)));
    frequencies_.assign(frequencies.begin(), frequencies.begin() + static_cast<long>(n));
    sweepType_ = sweepType;
    runs_.clear();
    runSet_ = false;
    sweepError_.clear();
    if (!ReadLimits()) {
        sweepError_ = LastError();
        return kNotDone;
    }
    std::string error;
    std::vector<Run> runs = PlanRuns(frequencies_, sweepType, maxPoints_, error);
    if (runs.empty()) {
        sweepError_ = error;
        return Fail(error);
    }
    for (const Run& run : runs) {
        if (!ProgramRun(run, true)) {
            sweepError_ = LastError();
            return kNotDone;
        }
    }
    runs_ = std::move(runs);
    runSet_ = runs_.size() == 1;
    return 0;
}

int LibreVnaDriver::GetStartFrequency(double& hz) {
    if (runs_.empty()) {
        return kNotDone;
    }
    hz = frequencies_.front();
    return 0;
}

int LibreVnaDriver::GetStopFrequency(double& hz) {
    if (runs_.empty()) {
        return kNotDone;
    }
    hz = frequencies_.back();
    return 0;
}

int LibreVnaDriver::GetNumberOfPoints(int& points) {
    if (runs_.empty()) {
        return kNotDone;
    }
    points = static_cast<int>(frequencies_.size());
    return 0;
}

int LibreVnaDriver::GetFrequencyList(std::vector<double>& frequencies) {
    if (runs_.empty()) {
        return Fail(sweepError_.empty() ? "No sweep has been set." : sweepError_);
    }
    frequencies = frequencies_;
    return 0;
}

bool LibreVnaDriver::WaitForSweep(const Run& run, const QElapsedTimer& started) {
    // The GUI's sweep takes about a point per IF bandwidth period and some overhead per point.
    const double budget = settings_.timeout +
                          settings_.averaging * run.points * (2.0 / settings_.ifBandwidth + 0.001);
    QDeadlineTimer deadline(static_cast<qint64>(budget * 1000.0));
    bool sawUnfinished = false;
    for (;;) {
        if (waitHook_ && waitHook_()) {
            Disconnect();
            Fail(kAbortedText);
            return false;
        }
        std::string finished;
        if (!Query(":VNA:ACQ:FIN?", finished)) {
            return false;
        }
        if (SameText(finished, "FALSE")) {
            sawUnfinished = true;
        } else if (!SameText(finished, "TRUE")) {
            Disconnect();
            Fail("The LibreVNA GUI answered :VNA:ACQ:FIN? with \"" + finished.substr(0, 40) +
                 "\".");
            return false;
        } else if (sawUnfinished || started.hasExpired(kStaleFinishedMs)) {
            return true;
        }
        if (deadline.hasExpired()) {
            Fail("The LibreVNA did not finish its sweep within " + Seconds(budget) + " s.");
            return false;
        }
        QThread::msleep(kPollIntervalMs);
    }
}

bool LibreVnaDriver::ReadRun(const Run& run, std::vector<CComplex>& raw) {
    std::string text;
    if (!Query(":VNA:TRAC:DATA? S11", text)) {
        return false;
    }
    std::vector<LibreVnaPoint> points;
    std::string error;
    if (!ParseLibreVnaTrace(text, points, error)) {
        Fail("Trace S11: " + error);
        return false;
    }
    if (points.size() != static_cast<std::size_t>(run.points)) {
        Fail("The LibreVNA GUI sent " + std::to_string(points.size()) +
             " points of trace S11 where " + std::to_string(run.points) + " were expected.");
        return false;
    }
    const double step = (run.stop - run.start) / (run.points - 1);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double expected = run.start + static_cast<double>(i) * step;
        if (!(std::fabs(points[i].frequency - expected) <= kFrequencyTolerance + 0.5)) {
            Fail("The LibreVNA GUI's trace S11 has point " + std::to_string(i + 1) + " at " +
                 Hz(points[i].frequency) + " instead of " + Hz(expected) + ".");
            return false;
        }
    }
    for (std::size_t i = run.first; i < run.first + run.count; ++i) {
        raw.emplace_back(points[i].re, points[i].im);
    }
    return true;
}

int LibreVnaDriver::MeasureTrace(std::span<CComplex> trace) {
    ClearError();
    if (!sweepError_.empty()) {
        return Fail(sweepError_);
    }
    if (runs_.empty()) {
        return Fail("No sweep has been set.");
    }
    if (!CheckCalibrationOff()) {
        return kNotDone;
    }
    std::vector<CComplex> raw;
    raw.reserve(frequencies_.size());
    for (const Run& run : runs_) {
        if (!runSet_ && !ProgramRun(run, false)) {
            return kNotDone;
        }
        QElapsedTimer started;
        started.start();
        if (!SendChecked({":VNA:ACQ:SINGLE TRUE"}, "to start a sweep") ||
            !WaitForSweep(run, started) || !ReadRun(run, raw)) {
            return kNotDone;
        }
        runSet_ = runs_.size() == 1;
    }
    if (raw.size() != frequencies_.size()) {
        return Fail("The sweeps gave " + std::to_string(raw.size()) + " points instead of " +
                    std::to_string(frequencies_.size()) + ".");
    }
    std::string error;
    return correction_.Apply(raw, trace, error) ? 0 : Fail(error);
}

int LibreVnaDriver::BeginCalibration() {
    correction_.Suspend();
    return 0;
}

int LibreVnaDriver::DownloadCalibration(std::span<const CComplex> directivity,
                                        std::span<const CComplex> sourceMatch,
                                        std::span<const CComplex> tracking) {
    correction_.Download(directivity, sourceMatch, tracking);
    return 0;
}

int LibreVnaDriver::ClearMessage() {
    // The end of a prompt sequence that downloaded nothing: the last terms apply again.
    correction_.Resume();
    return 0;
}

int LibreVnaDriver::SaveCalibrationState(CalState& state, std::uint16_t& size) {
    state.fill(0);
    std::size_t pos = 0;
    std::memcpy(state.data(), kStateMagic, sizeof kStateMagic);
    pos += sizeof kStateMagic;
    PutU32(state, pos, kStateVersion);
    PutF64(state, pos, frequencies_.empty() ? 0.0 : frequencies_.front());
    PutF64(state, pos, frequencies_.empty() ? 0.0 : frequencies_.back());
    PutU32(state, pos, static_cast<std::uint32_t>(frequencies_.size()));
    PutU32(state, pos, static_cast<std::uint32_t>(sweepType_));
    PutF64(state, pos, settings_.ifBandwidth);
    PutF64(state, pos, settings_.power);
    PutU32(state, pos, static_cast<std::uint32_t>(settings_.averaging));
    PutU32(state, pos, StateChecksum(state.data(), pos));
    size = static_cast<std::uint16_t>(pos);
    return 0;
}

int LibreVnaDriver::RestoreCalibrationState(const CalState& state, std::uint16_t size) {
    std::size_t pos = sizeof kStateMagic;
    std::uint32_t version = 0, points = 0, kind = 0, averaging = 0, checksum = 0;
    double start = 0, stop = 0, ifbw = 0, power = 0;
    const bool read = size >= sizeof kStateMagic &&
                      std::memcmp(state.data(), kStateMagic, sizeof kStateMagic) == 0 &&
                      GetU32(state, size, pos, version) && version == kStateVersion &&
                      GetF64(state, size, pos, start) && GetF64(state, size, pos, stop) &&
                      GetU32(state, size, pos, points) && GetU32(state, size, pos, kind) &&
                      GetF64(state, size, pos, ifbw) && GetF64(state, size, pos, power) &&
                      GetU32(state, size, pos, averaging);
    const std::size_t body = pos;
    if (!read || !GetU32(state, size, pos, checksum) ||
        checksum != StateChecksum(state.data(), body) || pos != size) {
        return Fail("The stored calibration state is not one of the LibreVNA analyzer.");
    }
    LibreVnaSettings restored = settings_;
    std::string error;
    if (!SetLibreVnaSetting(restored, "ifbw", Number(ifbw), error) ||
        !SetLibreVnaSetting(restored, "power", Number(power), error) ||
        !SetLibreVnaSetting(restored, "average", std::to_string(averaging), error) || points < 2 ||
        points > 100000 || kind > static_cast<std::uint32_t>(kListSweep)) {
        return Fail("The stored calibration state holds values out of range.");
    }
    std::vector<double> list;
    if (kind == static_cast<std::uint32_t>(kListSweep)) {
        // The state holds only the ends of a list: it restores the list the program has set.
        if (sweepType_ != kListSweep || frequencies_.size() != points ||
            !(std::fabs(frequencies_.front() - start) <= kFrequencyTolerance) ||
            !(std::fabs(frequencies_.back() - stop) <= kFrequencyTolerance)) {
            return Fail("The stored calibration state belongs to a list of " +
                        std::to_string(points) + " frequencies from " + Hz(start) + " to " +
                        Hz(stop) + ", which is not the list that is set.");
        }
        list = frequencies_;
    } else if (kind == kLinearSweep) {
        for (std::uint32_t i = 0; i < points; ++i) {
            list.push_back(start + i * ((stop - start) / (points - 1)));
        }
    } else {
        list = LogSweepFrequencies(start, stop, static_cast<int>(points));
    }
    settings_ = restored;
    if (!ApplySettings() ||
        SetFrequencyList(list, static_cast<int>(list.size()), static_cast<int>(kind)) != 0) {
        return kNotDone;
    }
    return 0;
}

void LibreVnaDriver::SetWaitHook(DriverWaitHook hook) {
    waitHook_ = std::move(hook);
    if (transport_) {
        transport_->SetWaitHook(waitHook_);
    }
}

bool LibreVnaDriver::SetRunSetting(const std::string& key, const std::string& value,
                                   std::string& error) {
    LibreVnaSettings changed = settings_;
    if (!SetLibreVnaSetting(changed, key, value, error)) {
        return false;
    }
    const LibreVnaSettings before = settings_;
    settings_ = changed;
    if (transport_ && key != "timeout" && key != "noise" && !identification_.empty() &&
        !ApplySettings()) {
        error = LastError();
        settings_ = before;
        return false;
    }
    return true;
}

}  // namespace kv
