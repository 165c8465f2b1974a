#include "ShellEmulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "DemoErrorModel.h"

namespace kv::test {

namespace {

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string w;
    while (in >> w) {
        words.push_back(w);
    }
    return words;
}

bool Unsigned(const std::string& t, std::uint64_t& v) {
    if (t.empty() || t.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    v = std::strtoull(t.c_str(), nullptr, 10);
    return true;
}

}  // namespace

ShellEmulator::ShellEmulator(ShellOptions options) : options_(std::move(options)) {
    model_.LoadProbeCoefficients(1);
}

ShellEmulator::~ShellEmulator() {
    Stop();
}

std::string ShellEmulator::Start() {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        return {};
    }
    // The slave stays open here too, so that the master never sees a hang-up between the
    // driver's connections; raw, so that the line discipline adds nothing.
    termios tio{};
    tcgetattr(slave_, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave_, TCSANOW, &tio);
    thread_ = std::thread([this] { Serve(); });
    return name;
}

void ShellEmulator::Stop() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (master_ >= 0) {
        close(master_);
        master_ = -1;
    }
    if (slave_ >= 0) {
        close(slave_);
        slave_ = -1;
    }
}

void ShellEmulator::SetSequence(std::vector<DemoMaterial> sequence) {
    std::lock_guard lock(mutex_);
    sequence_ = std::move(sequence);
    next_ = 0;
}

std::vector<std::string> ShellEmulator::Commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

int ShellEmulator::Sweeps() const {
    std::lock_guard lock(mutex_);
    return sweeps_;
}

std::map<std::uint64_t, std::string> ShellEmulator::Printed() const {
    std::lock_guard lock(mutex_);
    return printed_;
}

CComplex ShellEmulator::RawAt(const DemoMaterial& material, double f) const {
    return RawReflection(DemoErrorTerms(f, 0.0), material.Reflection(model_, f));
}

void ShellEmulator::Serve() {
    std::string line;
    auto send = [this](const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size() && !stop_) {
            const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else {
                pollfd p{master_, POLLOUT, 0};
                poll(&p, 1, 20);
            }
        }
    };
    while (!stop_) {
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0 || (p.revents & POLLIN) == 0) {
            continue;
        }
        char buffer[512];
        const ssize_t n = read(master_, buffer, sizeof buffer);
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (c == '\r') {
                send("\r\n");
                const std::string reply = Execute(line);
                line.clear();
                if (reply != "\x01") {
                    send(reply);
                }
            } else if (static_cast<unsigned char>(c) >= 0x20 && line.size() < 47) {
                line += c;
                send(std::string(1, c));
            }
        }
    }
}

// The reply after the echo; "\x01" for none at all.
std::string ShellEmulator::Execute(const std::string& line) {
    const std::vector<std::string> args = Split(line);
    std::lock_guard lock(mutex_);
    if (args.empty()) {
        return "ch> ";
    }
    commands_.push_back(line);
    const std::string& cmd = args[0];
    std::string out;
    if (cmd == "info") {
        out = "Board: " + options_.board +
              "\r\n2026 Nowhere Test Shell\r\nVersion: " + options_.version +
              (options_.dislord ? " [p:" + std::to_string(options_.maxPoints) + ", IF:12k]"
                                : std::string()) +
              "\r\n";
    } else if (cmd == "version") {
        out = options_.version + "\r\n";
    } else if (cmd == "pause") {
        paused_ = true;
    } else if (cmd == "resume") {
        paused_ = false;
    } else if (cmd == "sweep") {
        if (args.size() == 1) {
            out = std::to_string(sweepStart_) + " " + std::to_string(sweepStop_) + " " +
                  std::to_string(sweepPoints_) + "\r\n";
        } else if (args.size() == 4) {
            Unsigned(args[1], sweepStart_);
            Unsigned(args[2], sweepStop_);
            sweepPoints_ = std::atoi(args[3].c_str());
        }
    } else if (cmd == "cal" && !options_.dislord) {
        if (args.size() == 1) {
            out = calApplied_ ? "load open short Es Er cal'ed \r\n" : "load open short Es Er \r\n";
        } else if (args[1] == "off") {
            calApplied_ = false;
        } else if (args[1] == "on") {
            calApplied_ = true;
        }
    } else if (cmd == "scan") {
        out = Scan(args);
        if (out == "\x01") {
            return out;
        }
        if (options_.fault == ShellFault::NoPrompt && scans_ == options_.faultAtScan) {
            return out;
        }
    } else {
        out = cmd + "?\r\n";
    }
    return out + "ch> ";
}

std::string ShellEmulator::Scan(const std::vector<std::string>& args) {
    if (args.size() < 3 || args.size() > 5) {
        return "usage: scan {start(Hz)} {stop(Hz)} [points] [outmask]\r\n";
    }
    std::uint64_t start = 0, stop = 0, points = static_cast<std::uint64_t>(sweepPoints_), mask = 0;
    if (!Unsigned(args[1], start) || !Unsigned(args[2], stop) || start == 0 || stop == 0 ||
        start > stop) {
        return "frequency range is invalid\r\n";
    }
    if (args.size() >= 4 && (!Unsigned(args[3], points) || points == 0 ||
                             points > static_cast<std::uint64_t>(options_.maxPoints))) {
        return "sweep points exceeds range " + std::to_string(options_.maxPoints) + "\r\n";
    }
    if (args.size() == 5 && !Unsigned(args[4], mask)) {
        mask = 0;
    }
    ++scans_;
    if (start <= lastScanStart_) {
        if (!sequence_.empty()) {
            material_ = sequence_[std::min(next_, sequence_.size() - 1)];
            ++next_;
        }
        ++sweeps_;
    }
    lastScanStart_ = start;
    const bool fault = options_.fault != ShellFault::None && scans_ == options_.faultAtScan;
    if (fault && options_.fault == ShellFault::Silent) {
        return "\x01";
    }
    // Correction left out (mask 0x08 on DiSlord's firmware, "cal off" on the original): the
    // raw reflection; with it, the analyzer's own correction would give the probe's.
    const bool raw = options_.dislord ? (mask & 0x08) != 0 : !calApplied_;
    std::string out;
    const std::uint64_t n = points;
    for (std::uint64_t i = 0; i < n; ++i) {
        if (fault && options_.fault == ShellFault::ShortRead && i + 2 > n) {
            break;
        }
        const std::uint64_t f =
            n == 1 ? start : start + ((stop - start) * i + (n - 1) / 2) / (n - 1);
        const CComplex g = raw ? RawAt(material_, static_cast<double>(f))
                               : material_.Reflection(model_, static_cast<double>(f));
        char s11[64];
        std::snprintf(s11, sizeof s11, "%f %f", g.re, g.im);
        printed_[f] = s11;
        if (fault && options_.fault == ShellFault::Garbled && i == 3) {
            out += "12x4 ";
        } else if (mask & 1) {
            out += std::to_string(f) + " ";
        }
        if (mask & 2) {
            out += std::string(s11) + " ";
        }
        if (mask & 4) {
            out += "0.000000 0.000000 ";
        }
        if (mask != 0) {
            out += "\r\n";
        }
    }
    return out;
}

}  // namespace kv::test
