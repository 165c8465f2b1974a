#include "ScpiDriver.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QThread>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "instrument/CalStateBytes.h"
#include "instrument/LanAddress.h"
#include "instrument/LanCardId.h"
#include "instrument/RegularFile.h"
#include "instrument/UsbtmcCardId.h"
#ifdef KV_WITH_VXI11
#include "Vxi11Transport.h"
#endif

namespace kv {

namespace {

constexpr double kAxisTolerance = 1.0;  // Hz
constexpr int kPollIntervalMs = 20;
// A reported sweep time outside 0 to this many seconds is not believed.
constexpr double kMaxSweepTime = 3600.0;
constexpr std::size_t kMaxNameBytes = 199;
constexpr char kStateMagic[8] = {'K', 'V', 'S', 'C', 'P', 'I', 'C', 'S'};
constexpr std::uint32_t kStateVersion = 1;
constexpr std::size_t kFamilyBytes = 64;

std::string Number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", v);
    return text;
}

std::string Hz(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.6f GHz", v * 1e-9);
    return text;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.pop_back();
    }
    std::size_t a = 0;
    while (a < text.size() && std::isspace(static_cast<unsigned char>(text[a]))) {
        ++a;
    }
    return text.substr(a);
}

// Empty when the file was read, else why not.
std::string ReadFileText(const std::string& path, std::string& text) {
    return RegularFileReason(ReadRegularFile(path, text, kMaxSettingsFileBytes),
                             kMaxSettingsFileBytes);
}

// Bit 0 of the standard event status register: the operation completed.
bool EsrComplete(double esr) {
    return esr >= 0 && esr <= 255 && (static_cast<int>(esr) & 1) != 0;
}

// The calibration-state block, little-endian.
class StateWriter {
public:
    explicit StateWriter(CalState& s) : s_(s) {}
    void Bytes(const void* p, std::size_t n) {
        std::memcpy(s_.data() + pos_, p, n);
        pos_ += n;
    }
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            s_[pos_++] = static_cast<std::uint8_t>(v >> (8 * i));
        }
    }
    void F64(double v) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, 8);
        for (int i = 0; i < 8; ++i) {
            s_[pos_++] = static_cast<std::uint8_t>(bits >> (8 * i));
        }
    }
    std::size_t Size() const { return pos_; }

private:
    CalState& s_;
    std::size_t pos_ = 0;
};

class StateReader {
public:
    StateReader(const CalState& s, std::size_t size) : s_(s), size_(size) {}
    bool Bytes(void* p, std::size_t n) {
        if (pos_ + n > size_) {
            return false;
        }
        std::memcpy(p, s_.data() + pos_, n);
        pos_ += n;
        return true;
    }
    bool U32(std::uint32_t& v) {
        std::uint8_t b[4];
        if (!Bytes(b, 4)) {
            return false;
        }
        v = 0;
        for (int i = 0; i < 4; ++i) {
            v |= static_cast<std::uint32_t>(b[i]) << (8 * i);
        }
        return true;
    }
    bool F64(double& v) {
        std::uint8_t b[8];
        if (!Bytes(b, 8)) {
            return false;
        }
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) {
            bits |= static_cast<std::uint64_t>(b[i]) << (8 * i);
        }
        std::memcpy(&v, &bits, 8);
        return true;
    }
    std::size_t Pos() const { return pos_; }

private:
    const CalState& s_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace

ScpiSettings LoadScpiSettings() {
    ScpiSettings s;
    QSettings settings;
    settings.beginGroup(kScpiSettingsGroup);
    for (const char* key : {"ifbw", "power", "average", "timeout", "noise"}) {
        if (settings.contains(key)) {
            std::string error;
            if (!SetScpiSetting(s, key, settings.value(key).toString().toStdString(), error)) {
                std::fprintf(stderr, "SCPI network analyzer: setting %s: %s\n", key, error.c_str());
            }
        }
    }
    s.asciiTransfer = settings.value("ascii", false).toBool();
    s.family = settings.value("family").toString().toStdString();
    s.tablesFile = settings.value("tables").toString().toStdString();
    return s;
}

bool SetScpiSetting(ScpiSettings& settings, const std::string& key, const std::string& value,
                    std::string& error) {
    if (key == "family") {
        settings.family = value == "auto" ? std::string() : value;
        return true;
    }
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
        if (v < 0.01 || v > 3600) {
            error = "The timeout must lie between 0.01 and 3600 s.";
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
        error = "The SCPI network analyzer has no setting \"" + key + "\".";
        return false;
    }
    return true;
}

ScpiDriver::ScpiDriver(ScpiSettings settings, std::vector<std::string> tableFiles)
    : settings_(std::move(settings)) {
    if (!settings_.tablesFile.empty()) {
        tableFiles.push_back(settings_.tablesFile);
    }
    for (const auto& file : tableFiles) {
        std::string text, error;
        if (const std::string why = ReadFileText(file, text); !why.empty()) {
            tablesError_ = "The command tables " + file + " cannot be read: " + why + ".";
            continue;
        }
        if (!ParseScpiTables(text, tables_, error)) {
            tablesError_ = "The command tables " + file + " do not read: " + error + ".";
        }
    }
}

ScpiDriver::~ScpiDriver() = default;

namespace {

bool SameClsid(const std::string& a, const char* b) {
    return a.size() == std::strlen(b) && std::equal(a.begin(), a.end(), b, [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

}  // namespace

int ScpiDriver::SelectGpibCard(const std::string& cardClsid) {
    cardClsid_ = cardClsid;
    const bool usbtmc = SameClsid(cardClsid, kUsbtmcCardClsid);
    if (!usbtmc && !SameClsid(cardClsid, kLanCardClsid)) {
        return Fail(
            "The SCPI network analyzer works only on the LAN (TCP/IP) card and the USBTMC card.");
    }
    if (usbtmc != usbtmc_) {
        Disconnect();
        usbtmc_ = usbtmc;
        host_.clear();
        usbtmcPath_.clear();
    }
    return 0;
}

int ScpiDriver::SetAddresses(const std::string& cardAddress, const std::string& instrumentAddress) {
    if (usbtmc_) {
        const std::string path = TrimBlanks(cardAddress);
        if (!IsUsbtmcPath(path)) {
            return Fail("\"" + cardAddress +
                        "\" is no USB test and measurement device: the card address of the "
                        "USBTMC card is a device file such as /dev/usbtmc0.");
        }
        cardAddress_ = cardAddress;
        instrumentAddress_ = instrumentAddress;
        if (path != usbtmcPath_) {
            Disconnect();
            usbtmcPath_ = path;
        }
        return 0;
    }
    LanAddress address;
    std::string error;
    if (!ParseLanAddress(cardAddress, instrumentAddress, address, error)) {
        return Fail(error);
    }
#ifndef KV_WITH_VXI11
    if (address.kind == LanAddress::Kind::Vxi11) {
        return Fail(
            "VXI-11 device names are not supported by this build; give the analyzer's "
            "raw SCPI port (empty for 5025).");
    }
#endif
    cardAddress_ = cardAddress;
    instrumentAddress_ = instrumentAddress;
    if (address.host != host_ || address.kind != kind_ || address.port != port_ ||
        address.device != device_) {
        Disconnect();
        host_ = address.host;
        kind_ = address.kind;
        port_ = address.port;
        device_ = address.device;
    }
    return 0;
}

std::vector<std::string> ScpiDriver::SearchCardAddresses() {
    return usbtmc_ ? ListUsbtmcDevices(usbtmcFolder_) : std::vector<std::string>{};
}

void ScpiDriver::Disconnect() {
    if (transport_) {
        transport_->Close();
    }
    transport_.reset();
}

bool ScpiDriver::Connect() {
    if (transport_ && transport_->IsOpen()) {
        return true;
    }
    if (usbtmc_ ? usbtmcPath_.empty() : host_.empty()) {
        Fail("No analyzer address is set.");
        return false;
    }
    std::unique_ptr<ScpiTransport> transport;
    if (usbtmc_) {
        transport = std::make_unique<UsbtmcTransport>(usbtmcPath_, usbtmcOpener_);
    }
#ifdef KV_WITH_VXI11
    if (kind_ == LanAddress::Kind::Vxi11) {
        transport = std::make_unique<Vxi11Transport>(host_, device_);
    }
#endif
    if (!transport) {
        transport = std::make_unique<RawSocketTransport>(host_, port_);
    }
    transport->SetWaitHook(waitHook_);
    std::string error;
    if (!transport->Open(error)) {
        Fail(error);
        return false;
    }
    transport_ = std::move(transport);
    return true;
}

bool ScpiDriver::Send(const std::string& command) {
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

bool ScpiDriver::Query(const std::string& query, ScpiAnswer& answer, long long indefiniteBytes,
                       long long timeoutMs) {
    if (!Send(query)) {
        return false;
    }
    std::string error;
    const long long ms =
        timeoutMs < 0 ? static_cast<long long>(settings_.timeout * 1000.0) : timeoutMs;
    if (!transport_->Read(answer, indefiniteBytes,
                          static_cast<int>(std::min<long long>(ms, INT_MAX)), error)) {
        // Whatever arrives late belongs to this query: a new connection never sees it.
        Disconnect();
        Fail(error + " (" + query + ")");
        return false;
    }
    return true;
}

bool ScpiDriver::QueryText(const std::string& query, std::string& text) {
    ScpiAnswer answer;
    if (!Query(query, answer)) {
        return false;
    }
    if (answer.block) {
        Disconnect();
        Fail("The analyzer answered " + query + " with a block where text was expected.");
        return false;
    }
    text = answer.bytes;
    return true;
}

bool ScpiDriver::QueryNumber(const std::string& query, double& value) {
    std::string text;
    if (!QueryText(query, text)) {
        return false;
    }
    if (!ParseScpiNumber(text, value)) {
        Disconnect();
        Fail("The analyzer answered " + query + " with \"" + text.substr(0, 40) +
             "\", which is not a number.");
        return false;
    }
    return true;
}

bool ScpiDriver::QueryNumbers(const std::string& query, std::size_t expected,
                              std::vector<double>& values, const char* what) {
    ScpiAnswer answer;
    if (!Query(query, answer, static_cast<long long>(expected * 8))) {
        return false;
    }
    std::string error;
    if (!DecodeScpiNumbers(answer, table_ != nullptr && table_->Value("byte-order") == "swapped",
                           values, error)) {
        Disconnect();
        Fail("The " + std::string(what) + " does not read: " + error);
        return false;
    }
    if (expected != 0 && values.size() != expected) {
        Fail("The analyzer sent " + std::to_string(values.size()) + " numbers for the " + what +
             " where " + std::to_string(expected) + " were expected.");
        return false;
    }
    return true;
}

bool ScpiDriver::SendLines(const std::string& key,
                           const std::map<std::string, std::string>& values) {
    for (const auto& line : table_->Lines(key)) {
        std::string command, error;
        if (!ExpandScpi(line, values, command, error)) {
            Fail("The table " + table_->name + " does not work here: " + error + ".");
            return false;
        }
        if (!command.empty() && !Send(command)) {
            return false;
        }
    }
    return true;
}

bool ScpiDriver::CheckErrors(const std::string& after) {
    std::string first;
    for (int i = 0; i < 32; ++i) {
        std::string text;
        if (!QueryText("SYST:ERR?", text)) {
            return false;
        }
        int number = 0;
        std::string message;
        if (!ParseScpiError(text, number, message)) {
            Disconnect();
            Fail("The analyzer answered SYST:ERR? with \"" + text.substr(0, 60) + "\".");
            return false;
        }
        if (number == 0) {
            break;
        }
        if (first.empty()) {
            first = "The analyzer reported error " + std::to_string(number) + ", \"" + message +
                    "\", " + after + ".";
        }
    }
    if (!first.empty()) {
        Fail(first);
        return false;
    }
    return true;
}

std::string ScpiDriver::FamilyNotOpen() const {
    return tablesError_.empty() ? "The analyzer is not connected." : tablesError_;
}

int ScpiDriver::WithTableHint(int result) {
    if (result != 0 && genericByDefault_ && !LastError().empty()) {
        Fail(LastError() +
                 " No command table matches the analyzer's identification, so the generic table "
                 "is in use; choose the table of its command family with the family setting of "
                 "the SCPI network analyzer ([ScpiAnalyzer] family).",
             result);
    }
    return result;
}

int ScpiDriver::CheckInstrument() {
    ClearError();
    if (!Connect()) {
        return kNotDone;
    }
    std::string idn;
    if (!QueryText("*IDN?", idn)) {
        return kNotDone;
    }
    identification_ = Trimmed(idn);
    if (identification_.empty()) {
        return Fail("The analyzer answered *IDN? with nothing.");
    }
    return 0;
}

int ScpiDriver::OpenInstrument(const std::string&, const std::string&) {
    if (identification_.empty() && CheckInstrument() != 0) {
        return kNotDone;
    }
    if (!PickTable()) {
        return kNotDone;
    }
    if (!Send("*CLS")) {
        return kNotDone;
    }
    return 0;
}

bool ScpiDriver::PickTable() {
    table_ = nullptr;
    genericByDefault_ = false;
    connectionNote_.clear();
    sweepTimeUnanswered_ = false;
    opcQueryLearned_ = false;
    if (!settings_.family.empty()) {
        for (const auto& t : tables_) {
            if (t.name == settings_.family) {
                table_ = &t;
            }
        }
        if (table_ == nullptr) {
            Fail("There is no command table named \"" + settings_.family + "\".");
            return false;
        }
    } else {
        bool matched = false;
        table_ = PickScpiTable(tables_, identification_, &matched);
        genericByDefault_ = table_ != nullptr && !matched;
    }
    if (table_ == nullptr) {
        Fail(tablesError_.empty() ? "No command table fits the analyzer " + identification_ + "."
                                  : tablesError_);
        return false;
    }
    if (genericByDefault_) {
        // The generic table is the last resort, and the connection says so.
        connectionNote_ = "No command table matches \"" + identification_ +
                          "\"; the generic table is used. Choose another with the family setting "
                          "of the SCPI network analyzer ([ScpiAnalyzer] family).";
        std::fprintf(stderr, "SCPI network analyzer: %s\n", connectionNote_.c_str());
    }
    return true;
}

int ScpiDriver::Initialize() {
    if (table_ == nullptr) {
        return Fail(FamilyNotOpen());
    }
    return Connect() ? 0 : kNotDone;
}

int ScpiDriver::GetInstrumentName(std::string& name) {
    name = identification_.substr(0, kMaxNameBytes);
    return 0;
}

bool ScpiDriver::ApplySettings() {
    const std::map<std::string, std::string> values = {
        {"ifbw", Number(settings_.ifBandwidth)},
        {"power", Number(settings_.power)},
        {"average", std::to_string(settings_.averaging)}};
    if (!SendLines("ifbw", values) || !SendLines("power", values) ||
        !SendLines(settings_.averaging > 1 ? "average" : "average-off", values)) {
        return false;
    }
    return CheckErrors("after the IF bandwidth, power and averaging were set");
}

bool ScpiDriver::ReadAxisBlock() {
    if (!table_->Has("axis")) {
        Fail("The table " + table_->name + " has no axis query.");
        return false;
    }
    double points = 0;
    if (!QueryNumber(table_->Value("points", "SENS1:SWE:POIN?"), points)) {
        return false;
    }
    if (points < 1 || points > 100000) {
        Fail("The analyzer reports " + Number(points) + " points.");
        return false;
    }
    return QueryNumbers(table_->Value("axis"), static_cast<std::size_t>(points), axis_,
                        "frequency axis");
}

bool ScpiDriver::QueryCount(const std::string& query, const char* what, int& count) {
    double v = 0;
    if (!QueryNumber(query, v)) {
        return false;
    }
    if (!(v >= 1 && v <= 100000 && v == std::floor(v))) {
        Fail("The analyzer reports " + Number(v) + " " + what + ".");
        return false;
    }
    count = static_cast<int>(v);
    return true;
}

bool ScpiDriver::ReadSegmentTable() {
    for (const char* key : {"start", "stop", "points", "segment-count", "segment-start",
                            "segment-stop", "segment-points"}) {
        if (!table_->Has(key)) {
            Fail("The table " + table_->name +
                 " reads the sweep back from its segments but has no " + key + " query.");
            return false;
        }
    }
    std::vector<LinearRun> runs;
    int count = 0;
    if (sweepType_ == kLinearSweep) {
        runs.emplace_back();
        if (!QueryNumber(table_->Value("start"), runs[0].start) ||
            !QueryNumber(table_->Value("stop"), runs[0].stop) ||
            !QueryCount(table_->Value("points"), "points", runs[0].points)) {
            return false;
        }
    } else if (!QueryCount(table_->Value("segment-count"), "segments", count)) {
        return false;
    }
    long long total = runs.empty() ? 0 : runs[0].points;
    for (int n = 1; n <= count; ++n) {
        const std::map<std::string, std::string> values = {{"n", std::to_string(n)}};
        std::string start, stop, points, error;
        LinearRun run;
        if (!ExpandScpi(table_->Value("segment-start"), values, start, error) ||
            !ExpandScpi(table_->Value("segment-stop"), values, stop, error) ||
            !ExpandScpi(table_->Value("segment-points"), values, points, error)) {
            Fail("The table " + table_->name + " does not work here: " + error + ".");
            return false;
        }
        if (!QueryNumber(start, run.start) || !QueryNumber(stop, run.stop) ||
            !QueryCount(points, "points in a segment", run.points)) {
            return false;
        }
        total += run.points;
        if (total > 100000) {
            Fail("The analyzer's segments hold more than 100000 points.");
            return false;
        }
        runs.push_back(run);
    }
    axis_ = ExpandLinearRuns(runs);
    return true;
}

bool ScpiDriver::ReadAxis() {
    return table_->Value("list-readback") == "segments" ? ReadSegmentTable() : ReadAxisBlock();
}

bool ScpiDriver::CheckBinaryFormat() {
    // Without an axis query there is no block whose first number is known.
    if (!table_->Has("axis")) {
        return true;
    }
    double start = 0;
    if (!QueryNumber(table_->Value("start"), start) || !ReadAxisBlock()) {
        return false;
    }
    if (axis_.empty() || !(std::fabs(axis_[0] - start) <= kAxisTolerance)) {
        Fail("The analyzer's numbers do not read in the byte order of the table " + table_->name +
             ": its frequency axis begins at " + Number(axis_.empty() ? 0.0 : axis_[0]) +
             " Hz, its start frequency is " + Number(start) + " Hz.");
        return false;
    }
    return true;
}

int ScpiDriver::Preset() {
    if (table_ == nullptr) {
        return Fail(FamilyNotOpen());
    }
    ClearError();
    correction_.Resume();
    sweepTimeUnanswered_ = false;
    sweepError_ = "No sweep has been set.";
    if (!SendLines("preset") || !CheckErrors("after the preset")) {
        return WithTableHint(kNotDone);
    }
    if (!SendLines(settings_.asciiTransfer ? "ascii-format" : "binary-format") ||
        !CheckErrors("after the data format was set") || !ApplySettings() || !CheckBinaryFormat()) {
        return WithTableHint(kNotDone);
    }
    return 0;
}

bool ScpiDriver::Limit(const char* key, double& value) {
    const std::string v = table_ == nullptr ? std::string() : table_->Value(key);
    if (v.empty()) {
        return false;
    }
    if (ParseScpiNumber(v, value)) {
        return true;
    }
    return QueryNumber(v, value);
}

int ScpiDriver::GetMinFrequency(double& hz) {
    return Limit("min-frequency", hz) ? 0 : kNotDone;
}

int ScpiDriver::GetMaxFrequency(double& hz) {
    return Limit("max-frequency", hz) ? 0 : kNotDone;
}

int ScpiDriver::GetMaxPoints(int& points) {
    double v = 0;
    if (!Limit("max-points", v)) {
        return kNotDone;
    }
    if (!(v >= 1 && v <= 1e6)) {
        return Fail("The analyzer reports " + Number(v) + " as its largest number of points.");
    }
    points = static_cast<int>(v);
    return 0;
}

int ScpiDriver::QueryLogSweepSupport() {
    // Ten segments and the stop frequency.
    return table_ != nullptr && table_->Has("segment-sweep") && MaxSegments() >= 11
               ? 0
               : kLogSweepNotOffered;
}

int ScpiDriver::MaxSegments() const {
    double v = 0;
    return table_ != nullptr && ParseScpiNumber(table_->Value("max-segments"), v)
               ? static_cast<int>(v)
               : INT_MAX;
}

std::string ScpiDriver::ListRefusal(std::span<const double> frequencies) const {
    if (table_ == nullptr) {
        return FamilyNotOpen();
    }
    if (!table_->Has("segment-sweep")) {
        return "The analyzer's command family (" + table_->name +
               ") has no segment table, so it cannot sweep a list of frequencies.";
    }
    if (frequencies.empty()) {
        return "The list of frequencies is empty.";
    }
    const std::size_t runs = SplitLinearRuns(frequencies).size();
    const int limit = MaxSegments();
    if (runs > static_cast<std::size_t>(limit)) {
        return "The list of " + std::to_string(frequencies.size()) + " frequencies makes " +
               std::to_string(runs) +
               " runs of equally spaced points, but the segment table of "
               "the analyzer's command family (" +
               table_->name + ") holds at most " + std::to_string(limit) + " segments.";
    }
    return {};
}

int ScpiDriver::GetFrequencyList(std::vector<double>& frequencies) {
    if (table_ == nullptr) {
        return Fail(FamilyNotOpen());
    }
    ClearError();
    if (!ReadAxis()) {
        return kNotDone;
    }
    frequencies = axis_;
    return 0;
}

bool ScpiDriver::SendSegments(const std::vector<LinearRun>& segments, int points) {
    std::string list;
    for (const auto& seg : segments) {
        list += (list.empty() ? "" : ",") + Number(seg.start) + "," + Number(seg.stop) + "," +
                std::to_string(seg.points);
    }
    const std::map<std::string, std::string> common = {{"count", std::to_string(segments.size())},
                                                       {"segment-list", list},
                                                       {"points", std::to_string(points)}};
    if (!SendLines("segments-begin", common)) {
        return false;
    }
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const std::map<std::string, std::string> values = {
            {"n", std::to_string(i + 1)},
            {"start", Number(segments[i].start)},
            {"stop", Number(segments[i].stop)},
            {"points", std::to_string(segments[i].points)}};
        if (!SendLines("segment", values)) {
            return false;
        }
    }
    return SendLines("segment-sweep", common);
}

bool ScpiDriver::ProgramSweep(const std::vector<double>& frequencies, int sweepType) {
    sweepError_.clear();
    const int n = static_cast<int>(frequencies.size());
    if (n < 1) {
        sweepError_ = "The sweep has no points.";
        return false;
    }
    if (sweepType == kLinearSweep) {
        const std::map<std::string, std::string> values = {{"start", Number(frequencies.front())},
                                                           {"stop", Number(frequencies.back())},
                                                           {"points", std::to_string(n)}};
        if (!SendLines("linear-sweep", values)) {
            return false;
        }
    } else if (sweepType == kListSweep) {
        if (const std::string refusal = ListRefusal(frequencies); !refusal.empty()) {
            sweepError_ = refusal;
            Fail(sweepError_);
            return false;
        }
        if (!SendSegments(SplitLinearRuns(frequencies), n)) {
            return false;
        }
    } else {
        if (!table_->Has("segment-sweep")) {
            sweepError_ = "The analyzer's command family (" + table_->name +
                          ") has no segment sweep, so the logarithmic sweep is not offered.";
            Fail(sweepError_);
            return false;
        }
        // Segment s holds the points s*k .. s*k+k-1; the stop frequency is a segment of its own.
        std::vector<LinearRun> segments;
        const int k = (n - 1) / 10;
        if (k * 10 + 1 != n) {
            sweepError_ = "The logarithmic sweep of " + std::to_string(n) +
                          " points is not ten equal segments and the stop frequency.";
            Fail(sweepError_);
            return false;
        }
        for (int s = 0; s < 10 && k >= 1; ++s) {
            segments.push_back({frequencies[static_cast<std::size_t>(s * k)],
                                frequencies[static_cast<std::size_t>(s * k + k - 1)], k});
        }
        segments.push_back({frequencies.back(), frequencies.back(), 1});
        if (!SendSegments(segments, n)) {
            return false;
        }
    }
    if (!CheckErrors("after the sweep was set") || !ReadAxis()) {
        sweepError_ = LastError();
        return false;
    }
    if (axis_.size() != frequencies.size()) {
        sweepError_ = "The analyzer sweeps " + std::to_string(axis_.size()) +
                      " points instead of " + std::to_string(frequencies.size()) + ".";
        Fail(sweepError_);
        return false;
    }
    for (std::size_t i = 0; i < axis_.size(); ++i) {
        if (!(std::fabs(axis_[i] - frequencies[i]) <= kAxisTolerance)) {
            sweepError_ = "The analyzer measures point " + std::to_string(i + 1) + " at " +
                          Hz(axis_[i]) + " instead of " + Hz(frequencies[i]) + ".";
            Fail(sweepError_);
            return false;
        }
    }
    return true;
}

int ScpiDriver::SetFrequencyList(std::span<const double> frequencies, int count, int sweepType) {
    if (table_ == nullptr) {
        return Fail(FamilyNotOpen());
    }
    ClearError();
    const std::size_t n =
        std::min(frequencies.size(), static_cast<std::size_t>(std::max(count, 0)));
    frequencies_.assign(frequencies.begin(), frequencies.begin() + static_cast<long>(n));
    sweepType_ = sweepType;
    lastRaw_.clear();
    if (!ProgramSweep(frequencies_, sweepType)) {
        if (sweepError_.empty()) {
            sweepError_ = LastError();
        }
        Fail(sweepError_);
        WithTableHint(kNotDone);
        sweepError_ = LastError();
        return kNotDone;
    }
    return 0;
}

int ScpiDriver::GetStartFrequency(double& hz) {
    if (axis_.empty()) {
        return kNotDone;
    }
    hz = axis_.front();
    return 0;
}

int ScpiDriver::GetStopFrequency(double& hz) {
    if (axis_.empty()) {
        return kNotDone;
    }
    hz = axis_.back();
    return 0;
}

int ScpiDriver::GetNumberOfPoints(int& points) {
    if (axis_.empty()) {
        return kNotDone;
    }
    points = static_cast<int>(axis_.size());
    return 0;
}

double ScpiDriver::ExpectedSweepTime() {
    if (!table_->Has("sweep-time") || sweepTimeUnanswered_) {
        return 0;
    }
    double seconds = 0;
    if (!QueryNumber(table_->Value("sweep-time"), seconds)) {
        // Only an estimate hangs on it: without one the wait is the timeout, and the query is
        // not asked again on this connection. The *CLS before the sweep clears its error.
        sweepTimeUnanswered_ = true;
        ClearError();
        return 0;
    }
    return std::isfinite(seconds) && seconds >= 0 && seconds <= kMaxSweepTime ? seconds : 0;
}

bool ScpiDriver::CompletesByOpcQuery() const {
    return opcQueryLearned_ || table_->Value("completion") == "opc-query";
}

bool ScpiDriver::AskOperationComplete(double seconds) {
    ScpiAnswer answer;
    double one = 0;
    if (!Query("*OPC?", answer, -1, static_cast<long long>(seconds * 1000.0)) || answer.block ||
        !ParseScpiNumber(answer.bytes, one) || one != 1) {
        Disconnect();
        Fail("The analyzer did not complete its sweep in time.");
        return false;
    }
    return true;
}

bool ScpiDriver::WaitForSweep(double timeBudget) {
    sweepWait_ = timeBudget + settings_.timeout;
    if (CompletesByOpcQuery()) {
        return AskOperationComplete(sweepWait_);
    }
    QDeadlineTimer deadline(static_cast<qint64>(sweepWait_ * 1000.0));
    QElapsedTimer sinceHook;
    sinceHook.start();
    for (;;) {
        if (sinceHook.hasExpired(ScpiTransport::kWaitSliceMs)) {
            sinceHook.restart();
            if (waitHook_ && waitHook_()) {
                Disconnect();
                Fail(kAbortedText);
                return false;
            }
        }
        double esr = 0;
        if (!QueryNumber("*ESR?", esr)) {
            return false;
        }
        if (EsrComplete(esr)) {
            return true;
        }
        if (deadline.hasExpired()) {
            // Some analyzers answer *OPC? but never set the event bit: asked once before giving
            // up, and asked instead of polling for the rest of the connection when it answers.
            opcQueryLearned_ = AskOperationComplete(settings_.timeout);
            return opcQueryLearned_;
        }
        QThread::msleep(kPollIntervalMs);
    }
}

bool ScpiDriver::ReadData(std::vector<CComplex>& raw) {
    std::vector<double> values;
    const std::size_t n = frequencies_.size();
    if (!QueryNumbers(table_->Value("data"), 2 * n, values, "measurement")) {
        return false;
    }
    raw.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        raw[i] = CComplex(values[2 * i], values[2 * i + 1]);
    }
    return true;
}

int ScpiDriver::Deliver(const std::vector<CComplex>& raw, std::span<CComplex> trace) {
    std::string error;
    return correction_.Apply(raw, trace, error) ? 0 : Fail(error);
}

int ScpiDriver::MeasureTrace(std::span<CComplex> trace) {
    if (table_ == nullptr) {
        return Fail(FamilyNotOpen());
    }
    ClearError();
    if (!sweepError_.empty()) {
        return Fail(sweepError_);
    }
    const double sweepTime = ExpectedSweepTime();
    const std::map<std::string, std::string> values = {
        {"average", std::to_string(settings_.averaging)}};
    if (!Send("*CLS") ||
        !SendLines(
            settings_.averaging > 1 && table_->Has("sweep-average") ? "sweep-average" : "sweep",
            values) ||
        !CheckErrors("after the sweep was started") || (!CompletesByOpcQuery() && !Send("*OPC")) ||
        !WaitForSweep(sweepTime * settings_.averaging)) {
        return WithTableHint(kNotDone);
    }
    std::vector<CComplex> raw;
    if (!ReadData(raw) || !CheckErrors("after the measurement was read")) {
        return WithTableHint(kNotDone);
    }
    lastRaw_ = raw;
    return Deliver(raw, trace);
}

int ScpiDriver::ReadTrace(std::span<CComplex> trace) {
    if (table_ == nullptr) {
        return Fail(FamilyNotOpen());
    }
    ClearError();
    if (!sweepError_.empty()) {
        return Fail(sweepError_);
    }
    std::vector<CComplex> raw;
    if (!ReadData(raw)) {
        return WithTableHint(kNotDone);
    }
    lastRaw_ = raw;
    return Deliver(raw, trace);
}

int ScpiDriver::BeginCalibration() {
    correction_.Suspend();
    return 0;
}

int ScpiDriver::DownloadCalibration(std::span<const CComplex> directivity,
                                    std::span<const CComplex> sourceMatch,
                                    std::span<const CComplex> tracking) {
    correction_.Download(directivity, sourceMatch, tracking);
    return 0;
}

int ScpiDriver::ClearMessage() {
    // The end of a prompt sequence that downloaded nothing: the last terms apply again.
    correction_.Resume();
    if (table_ != nullptr && table_->Has("clear-message") && transport_) {
        if (SendLines("clear-message")) {
            CheckErrors("after the analyzer's message was cleared");
        }
    }
    return 0;
}

int ScpiDriver::ShowMessage(const std::string& text) {
    if (table_ == nullptr || !table_->Has("message") || !transport_) {
        return 0;
    }
    std::string shown;
    for (char c : text.substr(0, 60)) {
        shown += (c == '"' || c == '\'' || static_cast<unsigned char>(c) < 32 ||
                  static_cast<unsigned char>(c) > 126)
                     ? ' '
                     : c;
    }
    // A display that cannot show the text does not stop the measurement.
    if (SendLines("message", {{"text", shown}})) {
        CheckErrors("after the prompt was shown");
    }
    ClearError();
    return 0;
}

int ScpiDriver::ArmExternalTrigger() {
    if (table_ == nullptr || !table_->Has("external-trigger")) {
        return kTriggerNotSupported;
    }
    ClearError();
    if (!sweepError_.empty()) {
        return Fail(sweepError_);
    }
    if (!Send("*CLS") || !SendLines("external-trigger") ||
        !CheckErrors("after the external trigger was armed") || !Send("*OPC")) {
        return kNotDone;
    }
    triggerArmed_ = true;
    return 0;
}

int ScpiDriver::PollExternalTrigger() {
    if (!triggerArmed_) {
        return Fail("The external trigger is not armed.", 2);
    }
    double esr = 0;
    if (!QueryNumber("*ESR?", esr)) {
        triggerArmed_ = false;
        return 2;
    }
    if (!EsrComplete(esr)) {
        return kTriggerStillWaiting;
    }
    triggerArmed_ = false;
    if (!SendLines("internal-trigger") || !CheckErrors("after the trigger source was restored")) {
        return 2;
    }
    return 0;
}

int ScpiDriver::SaveCalibrationState(CalState& state, std::uint16_t& size) {
    state.fill(0);
    StateWriter w(state);
    w.Bytes(kStateMagic, sizeof kStateMagic);
    w.U32(kStateVersion);
    char family[kFamilyBytes] = {};
    const std::string name = table_ != nullptr ? table_->name : std::string();
    std::memcpy(family, name.data(), std::min(name.size(), kFamilyBytes - 1));
    w.Bytes(family, kFamilyBytes);
    w.F64(frequencies_.empty() ? 0.0 : frequencies_.front());
    w.F64(frequencies_.empty() ? 0.0 : frequencies_.back());
    w.U32(static_cast<std::uint32_t>(frequencies_.size()));
    w.U32(static_cast<std::uint32_t>(sweepType_));
    w.F64(settings_.ifBandwidth);
    w.F64(settings_.power);
    w.U32(static_cast<std::uint32_t>(settings_.averaging));
    const std::size_t body = w.Size();
    w.U32(StateChecksum(state.data(), body));
    size = static_cast<std::uint16_t>(w.Size());
    return 0;
}

int ScpiDriver::RestoreCalibrationState(const CalState& state, std::uint16_t size) {
    if (table_ == nullptr) {
        return Fail(FamilyNotOpen());
    }
    StateReader r(state, size);
    char magic[sizeof kStateMagic];
    std::uint32_t version = 0, points = 0, kind = 0, averaging = 0, checksum = 0;
    char family[kFamilyBytes];
    double start = 0, stop = 0, ifbw = 0, power = 0;
    const bool read = r.Bytes(magic, sizeof magic) &&
                      std::memcmp(magic, kStateMagic, sizeof magic) == 0 && r.U32(version) &&
                      version == kStateVersion && r.Bytes(family, kFamilyBytes) && r.F64(start) &&
                      r.F64(stop) && r.U32(points) && r.U32(kind) && r.F64(ifbw) && r.F64(power) &&
                      r.U32(averaging);
    const std::size_t body = r.Pos();
    if (!read || !r.U32(checksum) || checksum != StateChecksum(state.data(), body) ||
        r.Pos() != size) {
        return Fail("The stored calibration state is not one of the SCPI network analyzer.");
    }
    family[kFamilyBytes - 1] = '\0';
    if (table_->name != family) {
        return Fail("The stored calibration state belongs to the command family " +
                    std::string(family) + ", not " + table_->name + ".");
    }
    ScpiSettings restored = settings_;
    std::string error;
    if (!SetScpiSetting(restored, "ifbw", Number(ifbw), error) ||
        !SetScpiSetting(restored, "power", Number(power), error) ||
        !SetScpiSetting(restored, "average", std::to_string(averaging), error) || points < 1 ||
        points > 100000 || kind > static_cast<std::uint32_t>(kListSweep)) {
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
    settings_ = restored;
    ClearError();
    frequencies_ = list;
    sweepType_ = static_cast<int>(kind);
    if (!ApplySettings() || !ProgramSweep(list, sweepType_)) {
        if (sweepError_.empty()) {
            sweepError_ = LastError();
        }
        return kNotDone;
    }
    return 0;
}

void ScpiDriver::SetWaitHook(DriverWaitHook hook) {
    waitHook_ = std::move(hook);
    if (transport_) {
        transport_->SetWaitHook(waitHook_);
    }
}

bool ScpiDriver::SetRunSetting(const std::string& key, const std::string& value,
                               std::string& error) {
    ScpiSettings changed = settings_;
    if (!SetScpiSetting(changed, key, value, error)) {
        return false;
    }
    const ScpiSettings before = settings_;
    settings_ = changed;
    if (key == "family") {
        // Another table for an analyzer already identified: the commands change from now on.
        const ScpiTable* const previous = table_;
        if (!identification_.empty() && changed.family != before.family && !PickTable()) {
            error = LastError();
            settings_ = before;
            table_ = previous;
            return false;
        }
        return true;
    }
    if (table_ != nullptr && transport_ && key != "timeout" && key != "noise" && !ApplySettings()) {
        error = LastError();
        settings_ = before;
        return false;
    }
    return true;
}

}  // namespace kv
