#include "LibreVnaServer.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <cmath>
#include <cstdio>

#include "ScpiSimulator.h"

namespace kv::test {

namespace {

using Clock = std::chrono::steady_clock;

std::string Upper(std::string t) {
    for (char& c : t) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return t;
}

std::vector<std::string> Split(const std::string& t, char sep) {
    std::vector<std::string> parts;
    std::size_t a = 0;
    for (std::size_t b; (b = t.find(sep, a)) != std::string::npos; a = b + 1) {
        parts.push_back(t.substr(a, b - a));
    }
    parts.push_back(t.substr(a));
    return parts;
}

// A header against a documented one such as "VNA:FREQuency:START": each node in its long form or
// in its short form (the upper-case letters), in any case.
bool Matches(const std::string& header, const char* documented) {
    const auto h = Split(Upper(header), ':');
    const auto d = Split(documented, ':');
    if (h.size() != d.size()) {
        return false;
    }
    for (std::size_t i = 0; i < h.size(); ++i) {
        std::string shortForm;
        for (char c : d[i]) {
            if (!std::islower(static_cast<unsigned char>(c))) {
                shortForm += c;
            }
        }
        if (h[i] != Upper(d[i]) && h[i] != shortForm) {
            return false;
        }
    }
    return true;
}

// As the GUI prints numbers: QString::number's six significant digits.
std::string Printed(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}

}  // namespace

struct LibreVnaServer::State {
    GuiFault fault = GuiFault::None;
    std::vector<DemoMaterial> sequence{DemoMaterial::Air()};
    std::size_t next = 0;
    std::chrono::milliseconds sweepTime{150};
    std::chrono::milliseconds staleTime{400};
    std::vector<std::string> received;
    int esr = 0;
    bool connected = false;
    double start = 1e6, stop = 6e9, ifbw = 1000, level = -10;
    int points = 501, average = 1;
    bool sweeping = false;
    bool finishedBefore = false;
    Clock::time_point started, done;
    std::string trace;  // the trace data as the last finished sweep left them
    std::string lastSent;
    int sweeps = 0;
    QPointer<QTcpSocket> client;
    std::string buffer;
};

LibreVnaServer::LibreVnaServer(std::string identification)
    : identification_(std::move(identification)), state_(std::make_unique<State>()) {
    model_.LoadProbeCoefficients(1);
}

LibreVnaServer::~LibreVnaServer() {
    quit();
    wait();
}

int LibreVnaServer::Start() {
    if (isRunning()) {
        return port_;
    }
    std::promise<int> listening;
    auto port = listening.get_future();
    listening_ = &listening;
    start();
    port_ = port.get();
    return port_;
}

void LibreVnaServer::run() {
    QTcpServer server;
    const bool ok = server.listen(QHostAddress(QHostAddress::LocalHost), 0);
    QObject::connect(&server, &QTcpServer::newConnection, &server, [this, &server] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            {
                // Only one connection at a time: the new one closes the old.
                std::lock_guard lock(mutex_);
                if (state_->client) {
                    state_->client->abort();
                }
                state_->client = socket;
                state_->buffer.clear();
            }
            QObject::connect(socket, &QTcpSocket::readyRead, socket,
                             [this, socket] { OnReadyRead(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    listening_->set_value(ok ? server.serverPort() : 0);
    exec();
}

void LibreVnaServer::SetFault(GuiFault fault) {
    std::lock_guard lock(mutex_);
    state_->fault = fault;
}

void LibreVnaServer::SetSequence(std::vector<DemoMaterial> sequence) {
    std::lock_guard lock(mutex_);
    state_->sequence = std::move(sequence);
    state_->next = 0;
}

void LibreVnaServer::SetMaterial(const DemoMaterial& material) {
    SetSequence({material});
}

void LibreVnaServer::SetTiming(std::chrono::milliseconds sweep, std::chrono::milliseconds stale) {
    std::lock_guard lock(mutex_);
    state_->sweepTime = sweep;
    state_->staleTime = stale;
}

std::vector<std::string> LibreVnaServer::Received() const {
    std::lock_guard lock(mutex_);
    return state_->received;
}

int LibreVnaServer::Sweeps() const {
    std::lock_guard lock(mutex_);
    return state_->sweeps;
}

std::string LibreVnaServer::LastTrace() const {
    std::lock_guard lock(mutex_);
    return state_->lastSent;
}

void LibreVnaServer::OnReadyRead(QTcpSocket* socket) {
    std::vector<std::string> answers;
    bool close = false;
    {
        std::lock_guard lock(mutex_);
        if (socket != state_->client) {
            return;
        }
        const QByteArray bytes = socket->readAll();
        state_->buffer.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        for (std::size_t nl; !close && (nl = state_->buffer.find('\n')) != std::string::npos;) {
            std::string line = state_->buffer.substr(0, nl);
            state_->buffer.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            for (const std::string& command : Split(line, ';')) {
                if (command.empty()) {
                    continue;
                }
                state_->received.push_back(command);
                std::string answer = Execute(command, close);
                if (!answer.empty() && state_->fault != GuiFault::Mute) {
                    answers.push_back(answer + "\n");
                }
            }
        }
    }
    for (const auto& a : answers) {
        socket->write(a.data(), static_cast<qint64>(a.size()));
    }
    if (close) {
        socket->disconnectFromHost();
    }
}

void LibreVnaServer::FinishSweep() {
    State& s = *state_;
    s.sweeping = false;
    s.finishedBefore = true;
    const DemoMaterial material = s.sequence[std::min(s.next, s.sequence.size() - 1)];
    ++s.next;
    std::string data;
    for (int i = 0; i < s.points; ++i) {
        const double f = std::round(
            s.points == 1 ? s.start : s.start + i * ((s.stop - s.start) / (s.points - 1)));
        const CComplex raw = ScpiSimulator::RawAt(model_, material, f);
        char x[40];
        std::snprintf(x, sizeof x, "%.0f", f);
        data += std::string(data.empty() ? "" : ",") + "[" + x + "," + Printed(raw.re) + "," +
                Printed(raw.im) + "]";
    }
    s.trace = data;
    ++s.sweeps;
}

std::string LibreVnaServer::Execute(const std::string& command, bool& close) {
    State& s = *state_;
    const auto now = Clock::now();
    if (s.sweeping && s.fault != GuiFault::NeverFinished && now >= s.done) {
        FinishSweep();
    }
    const std::string cmd = command[0] == ':' ? command.substr(1) : command;
    const std::size_t space = cmd.find(' ');
    std::string header = cmd.substr(0, space);
    const std::string argument = space == std::string::npos ? "" : cmd.substr(space + 1);
    const bool query = !header.empty() && header.back() == '?';
    if (query) {
        header.pop_back();
    }
    auto is = [&](const char* documented) { return Matches(header, documented); };
    auto number = [&](double& target) {
        char* end = nullptr;
        const double v = std::strtod(argument.c_str(), &end);
        if (argument.empty() || *end != '\0') {
            return false;
        }
        target = v;
        return true;
    };
    const std::string error;  // a failure is the command-error bit and no answer
    auto fail = [&] {
        s.esr |= 32;
        return std::string();
    };
    auto startSweep = [&] {
        s.sweeping = true;
        s.started = now;
        s.done = now + s.sweepTime;
    };

    if (query) {
        if (is("*IDN")) {
            return s.fault == GuiFault::OldVersion  ? "Nowhere Instruments,SIM-GUI,0001,1.5.1"
                   : s.fault == GuiFault::NoVersion ? "Nowhere Instruments,SIM-GUI"
                                                    : identification_;
        }
        if (is("*ESR")) {
            const int esr = s.esr;
            s.esr = 0;
            return std::to_string(esr);
        }
        if (is("DEVice:CONNect")) {
            return s.connected ? "0001SIM" : "Not connected";
        }
        if (is("DEVice:INFo:LIMits:MINFrequency")) {
            return "100000";
        }
        if (is("DEVice:INFo:LIMits:MAXFrequency")) {
            return "6000000000";
        }
        if (is("DEVice:INFo:LIMits:MAXPoints")) {
            return "4501";
        }
        if (is("VNA:FREQuency:START") || is("VNA:FREQuency:STOP")) {
            char hz[40];  // whole hertz
            std::snprintf(hz, sizeof hz, "%.0f", is("VNA:FREQuency:START") ? s.start : s.stop);
            return hz;
        }
        if (is("VNA:ACQuisition:POINTS")) {
            return std::to_string(s.points);
        }
        if (is("VNA:CALibration:ACTIVE")) {
            return s.fault == GuiFault::CalibrationOn ? "SOLT_1" : "None";
        }
        if (is("VNA:ACQuisition:FINished")) {
            if (s.fault == GuiFault::FinishedGarbage) {
                return "MAYBE";
            }
            const bool stale = s.finishedBefore && now < s.started + s.staleTime;
            return !s.sweeping || stale ? "TRUE" : "FALSE";
        }
        if (is("VNA:TRACe:DATA") && Upper(argument) == "S11") {
            std::string data = s.trace.empty() ? "EMPTY" : s.trace;
            switch (s.fault) {
                case GuiFault::DataSilent:
                    return fail();
                case GuiFault::DataEmpty:
                    data = "EMPTY";
                    break;
                case GuiFault::DataNaN: {
                    std::size_t at = 0;
                    for (int i = 0; i < 2; ++i) {
                        at = data.find('[', at + 1);
                    }
                    const std::size_t comma = data.find(',', at);
                    data = data.substr(0, comma) + ",NaN,NaN" + data.substr(data.find(']', at));
                    break;
                }
                case GuiFault::DataCut:
                    data = data.substr(0, data.find(',', data.find('[', 1)) + 3);
                    break;
                case GuiFault::DataShort:
                    data = data.substr(0, data.rfind(",["));
                    break;
                case GuiFault::DataShifted: {
                    const std::size_t at = data.find('[', 1) + 1;
                    const std::size_t end = data.find(',', at);
                    char f[40];
                    std::snprintf(f, sizeof f, "%.0f", std::stod(data.substr(at, end - at)) + 1e3);
                    data = data.substr(0, at) + f + data.substr(end);
                    break;
                }
                case GuiFault::DataClose:
                    close = true;
                    return {};
                default:
                    break;
            }
            s.lastSent = data;
            return data;
        }
        return fail();
    }

    if (is("*CLS")) {
        s.esr = 0;
    } else if (is("DEVice:CONNect") && argument.empty()) {
        s.connected = s.fault != GuiFault::NoAnalyzer;
        if (!s.connected) {
            return fail();
        }
    } else if (is("DEVice:MODE") && Upper(argument) == "VNA") {
    } else if (is("VNA:SWEEP") && Upper(argument) == "FREQUENCY") {
    } else if (is("VNA:TRACe:DEEMBedding:ACTive") && Upper(argument) == "S11 FALSE") {
    } else if (is("VNA:STIMulus:LVL")) {
        return number(s.level) ? std::string() : fail();
    } else if (is("VNA:ACQuisition:IFBW")) {
        return s.fault != GuiFault::RefuseIfbw && number(s.ifbw) ? std::string() : fail();
    } else if (is("VNA:ACQuisition:AVG")) {
        double v = 0;
        return number(v) && v >= 1 ? (s.average = static_cast<int>(v), std::string()) : fail();
    } else if (is("VNA:ACQuisition:POINTS")) {
        double v = 0;
        if (!number(v) || v < 2 || v > 4501) {
            return fail();
        }
        s.points = static_cast<int>(v);
        startSweep();  // a changed setting starts a new sweep
    } else if (is("VNA:FREQuency:START") || is("VNA:FREQuency:STOP")) {
        double v = 0;
        if (!number(v) || v < 1e5 || v > 6e9) {
            return fail();
        }
        (is("VNA:FREQuency:START") ? s.start : s.stop) = v;
        startSweep();
    } else if (is("VNA:ACQuisition:SINGLE") && Upper(argument) == "TRUE") {
        startSweep();
    } else {
        return fail();
    }
    return error;
}

}  // namespace kv::test
