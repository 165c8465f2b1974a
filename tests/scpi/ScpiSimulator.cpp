#include "ScpiSimulator.h"
#include "ScpiReader.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <future>
#include <map>
#include <regex>

#include "DemoErrorModel.h"

namespace kv::test {

namespace {

struct Segment {
    double start, stop;
    int points;
};

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

bool ToNumber(const std::string& text, double& v) {
    const std::string t = TrimBlanks(text);
    char* end = nullptr;
    v = std::strtod(t.c_str(), &end);
    return !t.empty() && end == t.c_str() + t.size();
}

// A 64-bit IEEE number as 8 bytes, most significant first unless swapped.
void PutDouble(std::string& out, double v, bool swapped) {
    unsigned char b[8];
    std::memcpy(b, &v, 8);  // this machine is little-endian
    for (int i = 0; i < 8; ++i) {
        out.push_back(static_cast<char>(swapped ? b[i] : b[7 - i]));
    }
}

constexpr double kMinFrequency = 300e3;
constexpr double kMaxFrequency = 20e9;

}  // namespace

const char* SimFamilyName(SimFamily family) {
    switch (family) {
        case SimFamily::NumberedTraces:
            return "numbered-traces";
        case SimFamily::NamedMeasurements:
            return "named-measurements";
        case SimFamily::NamedChannelTraces:
            return "named-channel-traces";
        case SimFamily::HoldFunction:
            return "hold-function";
        case SimFamily::Generic:
            return "generic";
    }
    return "";
}

bool SimFamilyByName(const std::string& name, SimFamily& family) {
    for (SimFamily f :
         {SimFamily::NumberedTraces, SimFamily::NamedMeasurements, SimFamily::NamedChannelTraces,
          SimFamily::HoldFunction, SimFamily::Generic}) {
        if (name == SimFamilyName(f)) {
            family = f;
            return true;
        }
    }
    return false;
}

struct ScpiSimulator::State {
    DemoMaterial material = DemoMaterial::Air();
    std::vector<DemoMaterial> sequence;
    std::size_t next = 0;
    SimFaults faults;
    std::vector<std::string> received;
    std::deque<std::string> errors;
    int esr = 0;
    bool opcPending = false;
    bool sweeping = false;  // armed for the external trigger
    double start = 10e6, stop = 3e9;
    int points = 201;
    bool segmented = false;
    std::vector<Segment> segments;
    int maxPoints = 1601;
    std::size_t maxSegments = 201;  // the segment table's rows (the generic family has none)
    bool binary = false, swapped = false;
    std::string triggerSource = "INT";
    bool initiated = false;
    bool correction = true;
    std::string title;
    std::vector<std::string> traceNames;  // traces defined by name (CALC:PAR:SDEF)
    std::vector<CComplex> trace;
    int sweeps = 0;
    std::map<QTcpSocket*, std::string> buffers;
    std::deque<std::pair<QPointer<QTcpSocket>, Reply>> held;
    std::string exchanged;  // the reply of Exchange

    std::vector<double> Axis() const {
        std::vector<double> axis;
        if (!segmented) {
            for (int i = 0; i < points; ++i) {
                axis.push_back(points == 1 ? start : start + i * ((stop - start) / (points - 1)));
            }
        } else {
            for (const auto& s : segments) {
                for (int i = 0; i < s.points; ++i) {
                    axis.push_back(s.points == 1
                                       ? s.start
                                       : s.start + i * ((s.stop - s.start) / (s.points - 1)));
                }
            }
        }
        if (faults.shiftedPoint >= 0 &&
            static_cast<std::size_t>(faults.shiftedPoint) < axis.size()) {
            axis[static_cast<std::size_t>(faults.shiftedPoint)] += 5.0;
        }
        return axis;
    }
};

ScpiSimulator::ScpiSimulator(SimFamily family, std::string identification)
    : family_(family),
      identification_(std::move(identification)),
      state_(std::make_unique<State>()) {
    model_.LoadProbeCoefficients(1);
    state_->maxPoints =
        family == SimFamily::NumberedTraces || family == SimFamily::Generic ? 1601 : 20001;
}

ScpiSimulator::~ScpiSimulator() {
    quit();
    wait();
}

int ScpiSimulator::Start() {
    if (isRunning()) {
        return port_;
    }
    std::promise<int> listening;
    auto port = listening.get_future();
    startListening_ = &listening;
    start();
    port_ = port.get();
    return port_;
}

void ScpiSimulator::run() {
    QTcpServer server;
    server_ = &server;
    const bool ok = server.listen(QHostAddress(QHostAddress::LocalHost), 0);
    QObject::connect(&server, &QTcpServer::newConnection, &server, [this, &server] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(socket, &QTcpSocket::readyRead, socket,
                             [this, socket] { OnReadyRead(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                {
                    std::lock_guard lock(mutex_);
                    state_->buffers.erase(socket);
                }
                socket->deleteLater();
            });
        }
    });
    startListening_->set_value(ok ? server.serverPort() : 0);
    exec();
    server_ = nullptr;
}

void ScpiSimulator::SetMaterial(const DemoMaterial& material) {
    std::lock_guard lock(mutex_);
    state_->material = material;
    state_->sequence.clear();
}

void ScpiSimulator::SetSequence(std::vector<DemoMaterial> sequence) {
    std::lock_guard lock(mutex_);
    state_->sequence = std::move(sequence);
    state_->next = 0;
}

void ScpiSimulator::SetFaults(const SimFaults& faults) {
    std::lock_guard lock(mutex_);
    state_->faults = faults;
}

void ScpiSimulator::ReleaseAnswers() {
    QMetaObject::invokeMethod(
        server_,
        [this] {
            std::deque<std::pair<QPointer<QTcpSocket>, Reply>> held;
            {
                std::lock_guard lock(mutex_);
                state_->faults.holdAnswers = false;
                holdAfterSweeps_ = -1;
                held.swap(state_->held);
            }
            for (auto& [socket, reply] : held) {
                if (socket && socket->state() == QAbstractSocket::ConnectedState) {
                    Send(socket, reply);
                }
            }
        },
        Qt::BlockingQueuedConnection);
}

void ScpiSimulator::FireTrigger() {
    std::lock_guard lock(mutex_);
    if (state_->sweeping) {
        state_->sweeping = false;
        TakeSweep();
    }
}

std::string ScpiSimulator::Exchange(const std::string& message) {
    const std::string m = TrimBlanks(message);
    if (!m.empty()) {
        Execute(nullptr, m);
    }
    std::lock_guard lock(mutex_);
    std::string reply;
    reply.swap(state_->exchanged);
    return reply;
}

std::vector<std::string> ScpiSimulator::Received() const {
    std::lock_guard lock(mutex_);
    return state_->received;
}

int ScpiSimulator::Sweeps() const {
    std::lock_guard lock(mutex_);
    return state_->sweeps;
}

std::string ScpiSimulator::DisplayTitle() const {
    std::lock_guard lock(mutex_);
    return state_->title;
}

CComplex ScpiSimulator::RawAt(const ProbeModel& model, const DemoMaterial& material, double f) {
    return RawReflection(DemoErrorTerms(f, 0.0), material.Reflection(model, f));
}

bool ScpiSimulator::Holding() const {
    return state_->faults.holdAnswers ||
           (holdAfterSweeps_ >= 0 && state_->sweeps >= holdAfterSweeps_);
}

int ScpiSimulator::HeldCount() const {
    return static_cast<int>(state_->held.size());
}

// Called with the mutex held.
void ScpiSimulator::TakeSweep() {
    State& s = *state_;
    if (!s.sequence.empty()) {
        s.material = s.sequence[std::min(s.next, s.sequence.size() - 1)];
        ++s.next;
    }
    s.trace.clear();
    for (double f : s.Axis()) {
        // With its own correction on, the analyzer would deliver the reflection at the probe.
        s.trace.push_back(s.correction ? s.material.Reflection(model_, f)
                                       : RawAt(model_, s.material, f));
    }
    ++s.sweeps;
    if (s.opcPending && !s.faults.opcQueryOnly && !s.faults.neverCompletes) {
        s.esr |= 1;
        s.opcPending = false;
    }
}

void ScpiSimulator::OnReadyRead(QTcpSocket* socket) {
    const QByteArray bytes = socket->readAll();
    std::vector<std::string> messages;
    {
        std::lock_guard lock(mutex_);
        std::string& buffer = state_->buffers[socket];
        buffer.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        std::size_t nl;
        while ((nl = buffer.find('\n')) != std::string::npos) {
            messages.push_back(TrimBlanks(buffer.substr(0, nl)));
            buffer.erase(0, nl + 1);
        }
    }
    for (const auto& m : messages) {
        if (!m.empty()) {
            Execute(socket, m);
        }
    }
}

std::string ScpiSimulator::Numbers(const std::vector<double>& values) const {
    const State& s = *state_;
    if (s.binary && !s.faults.asciiAlways) {
        std::string body;
        for (double v : values) {
            PutDouble(body, v, s.swapped);
        }
        const std::string length = std::to_string(body.size());
        return "#" + std::to_string(length.size()) + length + body + "\n";
    }
    std::string text;
    char number[40];
    for (double v : values) {
        std::snprintf(number, sizeof number, "%.17g", v);
        text += (text.empty() ? "" : ",") + std::string(number);
    }
    return text + "\n";
}

void ScpiSimulator::Execute(QTcpSocket* socket, const std::string& message) {
    std::unique_lock lock(mutex_);
    State& s = *state_;
    s.received.push_back(message);
    const std::size_t space = message.find(' ');
    std::string header = Upper(message.substr(0, space));
    const std::string args =
        space == std::string::npos ? "" : TrimBlanks(message.substr(space + 1));
    const std::string argsUpper = Upper(args);
    if (!header.empty() && header[0] == ':') {
        header.erase(0, 1);
    }
    const bool generic = family_ == SimFamily::Generic;
    const bool numbered = family_ == SimFamily::NumberedTraces;
    const bool named = family_ == SimFamily::NamedMeasurements;
    const bool channel = family_ == SimFamily::NamedChannelTraces;
    const bool hold = family_ == SimFamily::HoldFunction;
    const std::string sens = generic ? "SENS" : "SENS1";
    const std::string calc = generic ? "CALC" : "CALC1";

    auto error = [&](const std::string& e) { s.errors.push_back(e); };
    auto outOfRange = [&] { error("-222,\"Data out of range\""); };
    auto reply = [&](std::string text) {
        lock.unlock();
        Answer(socket, {std::move(text), false});
    };
    auto block = [&](const std::vector<double>& values) {
        std::string bytes = Numbers(values);
        lock.unlock();
        Answer(socket, {std::move(bytes), true});
    };
    auto number = [&](double v) {
        char text[40];
        std::snprintf(text, sizeof text, "%.15g", v);
        reply(std::string(text) + "\n");
    };
    auto argNumber = [&](double lo, double hi, double& out) {
        double v = 0;
        if (!ToNumber(args, v)) {
            error("-104,\"Data type error\"");
            return false;
        }
        if (v < lo || v > hi) {
            outOfRange();
            return false;
        }
        out = v;
        return true;
    };
    auto offOrOn = [&](bool& flag) {
        if (argsUpper == "ON" || argsUpper == "1") {
            flag = true;
        } else if (argsUpper == "OFF" || argsUpper == "0") {
            flag = false;
        } else {
            error("-224,\"Illegal parameter value\"");
        }
    };
    auto reset = [&] {
        s.start = 10e6;
        s.stop = 3e9;
        s.points = 201;
        s.segmented = false;
        s.segments.clear();
        s.binary = false;
        s.swapped = false;
        s.triggerSource = "INT";
        s.initiated = false;
        s.correction = true;
        s.trace.clear();
        s.title.clear();
        s.traceNames.clear();
    };
    // A quoted string argument without its quotes (either kind).
    auto unquoted = [](const std::string& text) {
        return text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
                       text.back() == text.front()
                   ? text.substr(1, text.size() - 2)
                   : text;
    };
    auto traceDefined = [&](const std::string& name) {
        return std::find(s.traceNames.begin(), s.traceNames.end(), name) != s.traceNames.end();
    };

    std::string refused = Upper(s.faults.refusedHeader);
    if (!refused.empty() && refused[0] == ':') {
        refused.erase(0, 1);
    }
    if (!refused.empty() && header == refused) {
        outOfRange();
        return;
    }
    std::smatch m;
    double v = 0;
    bool flag = false;
    // IEEE 488.2 and the status subsystem.
    if (header == "*IDN?") {
        reply(identification_ + "\n");
    } else if (header == "*CLS") {
        s.errors.clear();
        s.esr = 0;
    } else if (header == "*OPC") {
        if (s.sweeping) {
            s.opcPending = true;
        } else if (!s.faults.opcQueryOnly && !s.faults.neverCompletes) {
            s.esr |= 1;
        }
    } else if (header == "*OPC?") {
        // Every sweep but one armed for the external trigger is complete when its command is
        // taken; that one, or one that never completes, leaves *OPC? unanswered.
        if (!s.sweeping && !s.faults.neverCompletes) {
            reply("1\n");
        }
    } else if (header == "*ESR?") {
        const int esr = s.esr;
        s.esr = 0;
        number(esr);
    } else if (header == "SYST:ERR?") {
        std::string e = "0,\"No error\"";
        if (!s.errors.empty()) {
            e = s.errors.front();
            s.errors.pop_front();
        }
        reply(e + "\n");
    } else if (((generic || channel || hold) && header == "*RST") ||
               (numbered && header == "SYST:PRES") || (named && header == "SYST:FPR")) {
        reset();
    } else if (header == "FORM:DATA") {
        if (argsUpper == (numbered || hold ? "REAL" : "REAL,64")) {
            s.binary = true;
        } else if (argsUpper == (named ? "ASCII,0" : channel ? "ASC,0" : "ASC")) {
            s.binary = false;
        } else {
            error("-224,\"Illegal parameter value\"");
        }
    } else if (header == "FORM:BORD") {
        if (argsUpper == "SWAP" || argsUpper == "NORM") {
            s.swapped = argsUpper == "SWAP";
        } else {
            error("-224,\"Illegal parameter value\"");
        }
    } else if (header == sens + ":FREQ:STAR") {
        if (argNumber(kMinFrequency, kMaxFrequency, v)) {
            s.start = v;
        }
    } else if (header == sens + ":FREQ:STOP") {
        if (argNumber(kMinFrequency, kMaxFrequency, v)) {
            s.stop = v;
        }
    } else if (header == sens + ":SWE:POIN") {
        if (argNumber(1, s.maxPoints, v)) {
            s.points = static_cast<int>(v);
        }
    } else if (header == sens + ":FREQ:STAR?") {
        number(argsUpper == "MIN" ? kMinFrequency
               : s.segmented      ? s.segments.front().start
                                  : s.start);
    } else if (header == sens + ":FREQ:STOP?") {
        number(argsUpper == "MAX" ? kMaxFrequency : s.segmented ? s.segments.back().stop : s.stop);
    } else if (header == sens + ":SWE:POIN?") {
        number(argsUpper == "MAX" ? s.maxPoints : static_cast<double>(s.Axis().size()));
    } else if (header == sens + ":BAND") {
        argNumber(1, 1e6, v);
    } else if ((generic && header == "SOUR:POW") ||
               ((numbered || channel) && header == "SOUR1:POW") ||
               (named && header == "SOUR1:POW1") || (hold && header == "SOUR1:POW:PORT1")) {
        argNumber(-60, 10, v);
    } else if (header == sens + ":AVER:COUN") {
        argNumber(1, 999, v);
    } else if (header == sens + ":AVER") {
        offOrOn(flag);
    } else if (header == sens + ":AVER:CLE") {
    } else if (header == sens + ":CORR:STAT") {
        offOrOn(s.correction);
    } else if ((generic || numbered || named) && header == calc + ":MATH:FUNC" &&
               argsUpper == "NORM") {
    } else if (argsUpper == "OFF" &&
               (((numbered || named) &&
                 (header == "SENS1:CORR:EXT" || header == "CALC1:FSIM:STAT")) ||
                (!generic && header == "CALC1:SMO") ||
                ((numbered || named || channel) && header == "CALC1:FILT:TIME:STAT") ||
                (channel && header == "CALC1:MATH:STAT"))) {
    } else if ((numbered || named) && header == "CALC1:CORR:EDEL:TIME") {
        argNumber(0, 0, v);
    } else if ((!generic && !hold && header == "SENS1:SWE:TYPE") ||
               (hold && header == "SENS1:SWE:TYP")) {
        const std::string segmentType = hold ? "FSEGM" : "SEGM";
        if (argsUpper == "LIN" || argsUpper == segmentType) {
            s.segmented = argsUpper == segmentType;
            if (s.segmented && s.segments.empty()) {
                error("-221,\"Settings conflict\"");
                s.segmented = false;
            }
        } else {
            error("-224,\"Illegal parameter value\"");
        }
    } else if (((!generic && !hold && header == "SENS1:SWE:TIME?") ||
                (hold && header == "SENS1:SWE:TIM?")) &&
               !s.faults.refuseSweepTime) {
        number(s.faults.sweepTime);
    } else if (((numbered || named || hold) && header == "TRIG:SOUR") ||
               (channel && header == "TRIG1:SOUR")) {
        s.triggerSource = argsUpper;
    } else if (generic && header == "INIT:CONT" && argsUpper == "OFF") {
    } else if (generic && header == "CALC:PAR:DEF" && argsUpper == "S11") {
    } else if (generic && header == "SENS:SWE:COUN") {
        argNumber(1, 999, v);
    } else if (generic && header == "INIT:IMM") {
        TakeSweep();
    } else if (generic && header == "SENS:FREQ:DATA?") {
        block(s.Axis());
    } else if (generic && header == "CALC:DATA?" && argsUpper == "SDATA") {
        lock.unlock();
        Answer(socket, {"S11", true});
    } else if ((numbered || channel) && header == "INIT1:CONT" && argsUpper == "OFF") {
    } else if ((numbered || hold) && header == "CALC1:PAR:COUN" && argsUpper == "1") {
    } else if ((numbered || hold) && header == "CALC1:PAR1:DEF" && argsUpper == "S11") {
    } else if ((numbered || hold) && header == "CALC1:PAR1:SEL") {
    } else if (numbered && header == "TRIG:AVER") {
        offOrOn(flag);
    } else if (numbered && header == "SENS1:SEGM:DATA") {
        // 5,0,0,0,0,0,count, then start,stop,points per segment.
        std::vector<double> values;
        std::size_t pos = 0;
        while (pos <= args.size()) {
            std::size_t comma = args.find(',', pos);
            if (comma == std::string::npos) {
                comma = args.size();
            }
            if (!ToNumber(args.substr(pos, comma - pos), v)) {
                error("-104,\"Data type error\"");
                return;
            }
            values.push_back(v);
            pos = comma + 1;
        }
        if (values.size() < 7 || values[0] != 5 || values[6] < 1 ||
            values.size() != 7 + 3 * static_cast<std::size_t>(values[6])) {
            error("-109,\"Missing parameter\"");
            return;
        }
        if (values[6] > static_cast<double>(s.maxSegments)) {
            outOfRange();
            return;
        }
        s.segments.clear();
        for (std::size_t i = 7; i < values.size(); i += 3) {
            s.segments.push_back({values[i], values[i + 1], static_cast<int>(values[i + 2])});
        }
    } else if (numbered && header == "INIT1") {
        if (s.triggerSource == "EXT") {
            s.sweeping = true;
        } else if (s.triggerSource == "INT") {
            TakeSweep();  // the internal trigger fires at once
        } else {
            s.initiated = true;
        }
    } else if (numbered && header == "TRIG:SING") {
        if (!s.initiated) {
            error("-211,\"Trigger ignored\"");
        } else {
            s.initiated = false;
            TakeSweep();
        }
    } else if ((numbered || hold) && header == "SENS1:FREQ:DATA?") {
        block(s.Axis());
    } else if ((numbered || hold) && header == "CALC1:DATA:SDAT?") {
        lock.unlock();
        Answer(socket, {"S11", true});
    } else if (!generic && !named && header == "DISP:WIND1:TITL:DATA") {
        s.title = unquoted(args);
    } else if ((numbered || channel) && header == "DISP:WIND1:TITL") {
        offOrOn(flag);
    } else if (named && header == "CALC1:PAR:DEF:EXT" && argsUpper == "'KV_S11','S11'") {
    } else if ((named || channel) && header == "DISP:WIND1:STAT" && argsUpper == "ON") {
    } else if (named && header == "DISP:WIND1:TRAC1:FEED" && argsUpper == "'KV_S11'") {
    } else if (named && header == "CALC1:PAR:SEL" && argsUpper == "'KV_S11'") {
    } else if (named && header == "SENS1:SWE:GRO:COUN") {
        argNumber(1, 999, v);
    } else if (((named || channel) && header == "SENS1:SEGM:DEL:ALL") ||
               (hold && header == "SENS1:FSEGM:DEL:ALL")) {
        s.segments.clear();
    } else if (((named || channel) &&
                std::regex_match(
                    header, m,
                    std::regex(R"(SENS1:SEGM(\d+)(:ADD|:FREQ:STAR|:FREQ:STOP|:SWE:POIN|))"))) ||
               (hold &&
                std::regex_match(
                    header, m,
                    std::regex(R"(SENS1:FSEGM(\d+)(:ADD|:FREQ:STAR|:FREQ:STOP|:SWE:POIN))")))) {
        const std::size_t n = std::stoul(m[1].str());
        const std::string what = m[2].str();
        if (what == ":ADD") {
            if (n < 1 || n > s.segments.size() + 1 || n > s.maxSegments) {
                outOfRange();
            } else {
                s.segments.insert(s.segments.begin() + static_cast<long>(n - 1),
                                  {s.start, s.stop, 1});
            }
        } else if (n < 1 || n > s.segments.size()) {
            error("-114,\"Header suffix out of range\"");
        } else if (what == ":FREQ:STAR" && argNumber(kMinFrequency, kMaxFrequency, v)) {
            s.segments[n - 1].start = v;
        } else if (what == ":FREQ:STOP" && argNumber(kMinFrequency, kMaxFrequency, v)) {
            s.segments[n - 1].stop = v;
        } else if (what == ":SWE:POIN" && argNumber(1, s.maxPoints, v)) {
            s.segments[n - 1].points = static_cast<int>(v);
        } else if (what.empty()) {
            offOrOn(flag);
        }
    } else if (channel && header == "SENS1:SEGM:COUN?") {
        number(static_cast<double>(s.segments.size()));
    } else if (channel &&
               std::regex_match(
                   header, m, std::regex(R"(SENS1:SEGM(\d+):(FREQ:STAR|FREQ:STOP|SWE:POIN)\?)"))) {
        const std::size_t n = std::stoul(m[1].str());
        if (n < 1 || n > s.segments.size()) {
            error("-114,\"Header suffix out of range\"");
        } else {
            const Segment& seg = s.segments[n - 1];
            number(m[2].str() == "FREQ:STAR"   ? seg.start
                   : m[2].str() == "FREQ:STOP" ? seg.stop
                                               : static_cast<double>(seg.points));
        }
    } else if (named && header == "SENS1:SWE:MODE") {
        if (argsUpper == "HOLD") {
        } else if (argsUpper == "SING" || argsUpper == "GRO") {
            if (s.triggerSource == "EXT") {
                s.sweeping = true;
            } else {
                TakeSweep();
            }
        } else {
            error("-224,\"Illegal parameter value\"");
        }
    } else if (named && header == "CALC1:X?") {
        block(s.Axis());
    } else if (named && header == "CALC1:DATA?" && argsUpper == "SDATA") {
        lock.unlock();
        Answer(socket, {"S11", true});
    } else if (channel && header == "CALC:PAR:DEL:ALL") {
        s.traceNames.clear();
    } else if (channel && header == "CALC1:PAR:SDEF") {
        // 'name','S11': a new trace of that name measuring S11.
        const std::size_t comma = args.find(',');
        const std::string name = unquoted(TrimBlanks(args.substr(0, comma)));
        if (comma == std::string::npos || name.empty() || name == args.substr(0, comma) ||
            Upper(unquoted(TrimBlanks(args.substr(comma + 1)))) != "S11") {
            error("-224,\"Illegal parameter value\"");
        } else if (traceDefined(name)) {
            error("-221,\"Settings conflict\"");
        } else {
            s.traceNames.push_back(name);
        }
    } else if (channel && (header == "CALC1:PAR:SEL" || header == "DISP:WIND1:TRAC1:FEED")) {
        if (!traceDefined(unquoted(args))) {
            error("-224,\"Illegal parameter value\"");
        }
    } else if (channel && header == "SENS1:SWE:COUN") {
        argNumber(1, 999, v);
    } else if (channel && header == "INIT1") {
        if (s.triggerSource == "EXT") {
            s.sweeping = true;
        } else {
            TakeSweep();
        }
    } else if (channel && header == "CALC1:DATA:STIM?") {
        block(s.Axis());
    } else if (channel && header == "CALC1:DATA?" && argsUpper == "SDAT") {
        lock.unlock();
        Answer(socket, {"S11", true});
    } else if (channel && header == "SYST:FREQ?" && (argsUpper == "MIN" || argsUpper == "MAX")) {
        number(argsUpper == "MIN" ? kMinFrequency : kMaxFrequency);
    } else if (hold && header == "SENS1:HOLD:FUNC") {
        if (argsUpper == "HOLD") {
            s.sweeping = false;
        } else if (argsUpper == "SING") {
            if (s.triggerSource == "EXT") {
                s.sweeping = true;
            } else {
                TakeSweep();
            }
        } else if (argsUpper != "CONT") {
            error("-224,\"Illegal parameter value\"");
        }
    } else if (hold && header == "SENS1:AVER:TYP") {
        if (argsUpper != "POIN" && argsUpper != "SWE") {
            error("-224,\"Illegal parameter value\"");
        }
    } else {
        error("-113,\"Undefined header\"");
    }
}

// Builds the S11 answer ("S11" stands for it) and sends or keeps back the reply.
void ScpiSimulator::Answer(QTcpSocket* socket, Reply reply) {
    std::unique_lock lock(mutex_);
    State& s = *state_;
    if (reply.isBlock && reply.bytes == "S11") {
        std::vector<double> values;
        std::vector<CComplex> trace = s.trace;
        trace.resize(s.Axis().size());
        for (const auto& c : trace) {
            values.push_back(c.re);
            values.push_back(c.im);
        }
        const int missing = std::min<int>(s.faults.missingValues, static_cast<int>(values.size()));
        values.resize(values.size() - static_cast<std::size_t>(missing));
        reply.bytes = Numbers(values);
        if (s.faults.malformedBlock) {
            reply.bytes = "#4x" + reply.bytes.substr(3);
        }
        if (s.faults.dropMidBlock && socket != nullptr) {
            s.faults.dropMidBlock = false;
            reply.bytes.resize(reply.bytes.size() / 2);
            lock.unlock();
            socket->write(reply.bytes.data(), static_cast<qint64>(reply.bytes.size()));
            socket->flush();
            socket->disconnectFromHost();
            return;
        }
    }
    if (socket == nullptr) {
        s.exchanged += reply.bytes;
        return;
    }
    if (Holding()) {
        s.held.emplace_back(QPointer<QTcpSocket>(socket), std::move(reply));
        holding_.notify_all();
        return;
    }
    lock.unlock();
    Send(socket, reply);
}

void ScpiSimulator::Send(QTcpSocket* socket, const Reply& reply) {
    if (!socket->isOpen()) {
        return;
    }
    std::size_t piece = 0;
    {
        std::lock_guard lock(mutex_);
        piece = reply.isBlock ? std::max<std::size_t>(1, state_->faults.pieceBytes)
                              : reply.bytes.size();
    }
    // A client that went away closes the socket at the first failed write.
    for (std::size_t pos = 0; pos < reply.bytes.size() && socket->isOpen(); pos += piece) {
        const std::size_t n = std::min(piece, reply.bytes.size() - pos);
        socket->write(reply.bytes.data() + pos, static_cast<qint64>(n));
        socket->flush();
    }
}

}  // namespace kv::test
