// The text shell of the original NanoVNA firmware and its descendants (-H, -H4, DiSlord's), and
// the first answer that tells it from the V2 protocol. docs/usb-analyzers.md lists every command
// sent here, its answer and the firmware source it comes from.

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

#include "NanoVnaProtocol.h"
#include "NanoVnaShellReply.h"

namespace kv {

namespace {

// Mask bits of `scan`.
constexpr unsigned kOutFrequency = 0x01;
constexpr unsigned kOutS11 = 0x02;
constexpr unsigned kNoCalibration = 0x08;  // DiSlord's firmware
constexpr unsigned kNoElectricalDelay = 0x10;
constexpr unsigned kNoS21Offset = 0x20;

constexpr int kDefaultScanPoints = 101;
// The probe scan that learns the largest scan from the refusal: more points than any firmware
// has, at frequencies every model sweeps.
constexpr const char* kProbeScan = "scan 50000 100000 65535";

int Left(const QElapsedTimer& timer, int timeoutMs) {
    return static_cast<int>(std::max<qint64>(timeoutMs - timer.elapsed(), 0));
}

// The frequency range of a board, from its name in `info` (or the first line it gave).
void RangeOf(const std::string& board, NanoVnaLimits& limits) {
    if (board.find("NanoVNA-H") != std::string::npos) {
        limits.minHz = 10e3;
        limits.maxHz = 1.5e9;
    } else {
        limits.minHz = 50e3;
        limits.maxHz = 900e6;
    }
}

std::string Trim(std::string text) {
    const auto a = text.find_first_not_of(" \t");
    const auto b = text.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : text.substr(a, b - a + 1);
}

class ShellProtocol : public NanoVnaProtocol {
public:
    const char* FamilyName() const override { return "shell"; }

    bool Begin(SerialLink& link, int timeoutMs, NanoVnaLimits& limits,
               std::string& error) override {
        std::vector<std::string> info, version, lines;
        if (!Command(link, "info", timeoutMs, info, error) ||
            !Command(link, "version", timeoutMs, version, error)) {
            return false;
        }
        // A firmware without the command answers "info?".
        if (info.size() == 1 && info[0] == "info?") {
            info.clear();
        }
        if (version.size() == 1 && version[0] == "version?") {
            version.clear();
        }
        std::string board = info.empty() ? std::string("NanoVNA") : Trim(info[0]);
        if (board.rfind("Board: ", 0) == 0) {
            board = Trim(board.substr(7));
        }
        if (board.empty()) {
            board = "NanoVNA";
        }
        const int infoPoints = ShellPointsLimit(info);
        noCalibrationMask_ = infoPoints > 0;
        if (!Command(link, "pause", timeoutMs, lines, error)) {
            return false;
        }
        if (!haveOwnSweep_) {
            if (!Command(link, "sweep", timeoutMs, lines, error)) {
                return false;
            }
            unsigned long long start = 0, stop = 0;
            int points = 0;
            char rest = 0;
            if (lines.size() != 1 ||
                std::sscanf(lines[0].c_str(), "%llu %llu %d %c", &start, &stop, &points, &rest) !=
                    3 ||
                points < 1) {
                error = "The analyzer's answer to \"sweep\" does not read: \"" +
                        (lines.empty() ? std::string() : lines[0].substr(0, 40)) +
                        "\" is not its start, stop and points.";
                return false;
            }
            ownSweep_ = "sweep " + std::to_string(start) + " " + std::to_string(stop) + " " +
                        std::to_string(points);
            haveOwnSweep_ = true;
        }
        limits.maxScanPoints = infoPoints;
        if (limits.maxScanPoints == 0) {
            if (!Command(link, kProbeScan, timeoutMs, lines, error)) {
                return false;
            }
            limits.maxScanPoints = ShellPointsLimit(lines);
            if (limits.maxScanPoints == 0) {
                limits.maxScanPoints = kDefaultScanPoints;
            }
        }
        limits.minScanPoints = 2;
        limits.wholeHertzStep = false;
        RangeOf(board, limits);
        if (!noCalibrationMask_) {
            // The original firmware cannot leave its correction out of one scan: it is turned
            // off while the program is connected, and on again afterwards if it was on.
            if (!Command(link, "cal", timeoutMs, lines, error)) {
                return false;
            }
            const bool applied = !lines.empty() && lines[0].find("cal'ed") != std::string::npos;
            if (applied && !Command(link, "cal off", timeoutMs, lines, error)) {
                return false;
            }
            restoreCalibration_ = restoreCalibration_ || applied;
        }
        std::string name = board + " (shell";
        if (!version.empty() && !Trim(version[0]).empty()) {
            name += ", firmware " + Trim(version[0]).substr(0, 60);
        }
        name += ", " + std::to_string(limits.maxScanPoints) + " points a scan)";
        limits.name = name;
        return true;
    }

    bool Scan(SerialLink& link, std::uint64_t startHz, std::uint64_t stopHz, int points,
              int timeoutMs, NanoVnaScan& scan, std::string& error) override {
        const unsigned mask =
            kOutFrequency | kOutS11 |
            (noCalibrationMask_ ? kNoCalibration | kNoElectricalDelay | kNoS21Offset : 0u);
        const std::string command = "scan " + std::to_string(startHz) + " " +
                                    std::to_string(stopHz) + " " + std::to_string(points) + " " +
                                    std::to_string(mask);
        std::vector<std::string> lines;
        if (!Command(link, command, timeoutMs, lines, error)) {
            return false;
        }
        if (lines.size() != static_cast<std::size_t>(points)) {
            error = "The analyzer answered \"" + command + "\" with " +
                    std::to_string(lines.size()) + " lines instead of " + std::to_string(points) +
                    (lines.empty() ? "." : " (the first: \"" + lines[0].substr(0, 60) + "\").");
            return false;
        }
        scan.frequencies.clear();
        scan.s11.clear();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            ShellScanPoint p;
            std::string why;
            if (!ParseShellScanLine(lines[i], mask & 7u, p, why)) {
                error = "The analyzer's answer to \"" + command + "\" does not read at point " +
                        std::to_string(i + 1) + ": " + why + ".";
                return false;
            }
            scan.frequencies.push_back(static_cast<double>(p.hz));
            scan.s11.emplace_back(p.re, p.im);
        }
        return true;
    }

    void End(SerialLink& link, int timeoutMs) override {
        QElapsedTimer timer;
        timer.start();
        std::vector<std::string> lines;
        std::string error;
        if (haveOwnSweep_) {
            Command(link, ownSweep_, Left(timer, timeoutMs), lines, error);
        }
        if (restoreCalibration_) {
            Command(link, "cal on", Left(timer, timeoutMs), lines, error);
        }
        Command(link, "resume", Left(timer, timeoutMs), lines, error);
    }

private:
    // Sends one command line and reads its reply through the prompt; false with a reason that
    // names the command.
    static bool Command(SerialLink& link, const std::string& command, int timeoutMs,
                        std::vector<std::string>& lines, std::string& error) {
        QElapsedTimer timer;
        timer.start();
        link.Discard();
        std::string why;
        if (!link.Write(command + "\r", timeoutMs, why)) {
            error = why + " (command \"" + command + "\")";
            return false;
        }
        std::string bytes;
        for (;;) {
            std::size_t used = 0;
            const ShellReplyState state = ReadShellReply(bytes, command, lines, used, why);
            if (state == ShellReplyState::Malformed) {
                error = "The analyzer's answer to \"" + command + "\" does not read: " + why + ".";
                return false;
            }
            if (state == ShellReplyState::Complete) {
                if (used != bytes.size()) {
                    error =
                        "The analyzer sent more after its prompt in answer to \"" + command + "\".";
                    return false;
                }
                return true;
            }
            const int left = Left(timer, timeoutMs);
            if (left <= 0 || !link.ReadSome(bytes, left, why)) {
                if (left <= 0) {
                    why = "Timed out after " + std::to_string(timeoutMs) + " ms";
                }
                error = why + (why.empty() || why.back() == '.' ? " " : ". ") +
                        "No complete answer to \"" + command + "\"" +
                        (bytes.size() <= command.size() + 2 ? " (nothing after the echo)"
                                                            : " (the prompt never came)") +
                        ".";
                if (why == IDriverWait::kAbortedText) {
                    error = why;
                }
                return false;
            }
        }
    }

    bool noCalibrationMask_ = false;
    bool haveOwnSweep_ = false;
    std::string ownSweep_;
    bool restoreCalibration_ = false;
};

}  // namespace

NanoVnaAnswer DetectNanoVna(SerialLink& link, int timeoutMs, std::string& error) {
    link.Discard();
    if (!link.Write("\r", timeoutMs, error)) {
        return NanoVnaAnswer::Unknown;
    }
    QElapsedTimer timer;
    timer.start();
    std::string bytes;
    for (;;) {
        if (!bytes.empty() && (bytes[0] == '2' || bytes[0] == '\x02') && bytes.size() == 1) {
            return NanoVnaAnswer::V2;
        }
        if (bytes.find(kShellPrompt) != std::string::npos) {
            return NanoVnaAnswer::Shell;
        }
        const int left = Left(timer, timeoutMs);
        std::string why;
        if (left <= 0 || bytes.size() > 4096 || !link.ReadSome(bytes, left, why)) {
            if (why == IDriverWait::kAbortedText) {
                error = why;
            } else {
                // What did come, so that the operator can tell a silent port from another
                // device's answer.
                std::string came;
                for (std::size_t i = 0; i < bytes.size() && i < 16; ++i) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, " 0x%02x",
                                  static_cast<unsigned>(static_cast<unsigned char>(bytes[i])));
                    came += hex;
                }
                error =
                    "No NanoVNA answered on the port: neither the shell's prompt \"ch> \" nor "
                    "the V2 protocol's \"2\" came back within " +
                    std::to_string(timeoutMs) + " ms of a carriage return (" +
                    (bytes.empty() ? std::string("nothing came")
                                   : "it sent" + came + (bytes.size() > 16 ? " ..." : "")) +
                    ").";
            }
            return NanoVnaAnswer::Unknown;
        }
    }
}

std::unique_ptr<NanoVnaProtocol> MakeShellProtocol() {
    return std::make_unique<ShellProtocol>();
}

}  // namespace kv
