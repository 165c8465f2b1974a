#include "V2Emulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "DemoErrorModel.h"

namespace kv::test {

namespace {

void PutInt32(std::string& out, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((u >> (8 * i)) & 0xff));
    }
}

std::int32_t Round32(double v) {
    return static_cast<std::int32_t>(std::lround(std::clamp(v, -2147483647.0, 2147483647.0)));
}

}  // namespace

V2Emulator::V2Emulator(V2EmulatorOptions options) : options_(std::move(options)) {
    model_.LoadProbeCoefficients(1);
    registers_[0xf0] = static_cast<unsigned char>(options_.variant);
    registers_[0xf1] = static_cast<unsigned char>(options_.protocol);
    registers_[0xf2] = static_cast<unsigned char>(options_.hardware);
    registers_[0xf3] = static_cast<unsigned char>(options_.firmwareMajor);
    registers_[0xf4] = static_cast<unsigned char>(options_.firmwareMinor);
    // The analyzer's own sweep before the program sets one: 101 points from 50 kHz.
    registers_[0x00] = 0x50;
    registers_[0x01] = 0xc3;
    registers_[0x10] = 0x40;
    registers_[0x11] = 0x42;
    registers_[0x12] = 0x0f;
    registers_[0x20] = 101;
    registers_[0x22] = 1;
    registers_[0x40] = 1;
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        return;
    }
    termios raw{};
    tcgetattr(slave_, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    path_ = name;
    thread_ = std::thread([this] { Run(); });
}

V2Emulator::~V2Emulator() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (master_ >= 0) {
        close(master_);
    }
    if (slave_ >= 0) {
        close(slave_);
    }
}

void V2Emulator::SetSequence(std::vector<DemoMaterial> sequence) {
    std::lock_guard<std::mutex> lock(mutex_);
    sequence_ = std::move(sequence);
    next_ = 0;
}

std::vector<V2Command> V2Emulator::Commands() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
}

bool V2Emulator::InUsbMode() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return usbMode_;
}

int V2Emulator::Measurements() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return measurements_;
}

std::map<std::uint64_t, CComplex> V2Emulator::Sent() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sent_;
}

CComplex V2Emulator::RawAt(const DemoMaterial& material, double f) const {
    return RawReflection(DemoErrorTerms(f, 0.0), material.Reflection(model_, f));
}

void V2Emulator::Run() {
    unsigned char buffer[512];
    while (!stop_) {
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) {
            continue;
        }
        const ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0) {
            // No client has the terminal open (EIO) or nothing came: look again shortly.
            usleep(5000);
            continue;
        }
        if (options_.silent) {
            continue;
        }
        for (ssize_t i = 0; i < n; ++i) {
            Take(buffer[i]);
        }
    }
}

std::uint64_t V2Emulator::Register(int reg, int bytes) const {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | registers_[(reg + i) & 0xff];
    }
    return v;
}

// The parser of the firmware's command interface: an opcode, a register address, then the
// opcode's bytes.
void V2Emulator::Take(unsigned char c) {
    if (fifoBytesLeft_ > 0) {
        --fifoBytesLeft_;
        return;
    }
    if (phase_ == 0) {
        if (c == 0x00) {
            return;
        }
        if (c == 0x0d) {
            Send(std::string(1, options_.indicateAnswer));
            return;
        }
        opcode_ = c;
        phase_ = 1;
        return;
    }
    if (phase_ == 1) {
        address_ = start_ = c;
        end_ = address_ + (opcode_ == 0x21 ? 2 : opcode_ == 0x22 ? 4 : opcode_ == 0x23 ? 8 : 1);
        if (opcode_ >= 0x10 && opcode_ <= 0x12) {
            const int bytes = opcode_ == 0x10 ? 1 : opcode_ == 0x11 ? 2 : 4;
            std::string out;
            for (int i = 0; i < bytes; ++i) {
                out.push_back(static_cast<char>(registers_[(address_ + i) & 0xff]));
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                commands_.push_back({opcode_, address_, 0});
            }
            Send(out);
            phase_ = 0;
            return;
        }
        phase_ = 2;
        return;
    }
    switch (opcode_) {
        case 0x18:
            phase_ = 0;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                commands_.push_back({opcode_, address_, c});
            }
            if (address_ == 0x30) {
                SendFifo(c == 0 ? static_cast<int>(Register(0x20, 2)) : c);
            }
            return;
        case 0x20:
        case 0x21:
        case 0x22:
        case 0x23:
            registers_[address_ & 0xff] = c;
            ++address_;
            if (address_ >= end_) {
                phase_ = 0;
                Execute();
            }
            return;
        case 0x28:
            phase_ = 0;
            fifoBytesLeft_ = c;
            return;
        default:
            phase_ = 0;
            return;
    }
}

// A register write completed.
void V2Emulator::Execute() {
    const int bytes = end_ - start_;
    std::lock_guard<std::mutex> lock(mutex_);
    commands_.push_back({opcode_, start_, Register(start_, bytes)});
    if (start_ == 0x26) {
        usbMode_ = registers_[0x26] != 2;
        return;
    }
    if (start_ == 0x40) {
        return;
    }
    usbMode_ = true;
    if (start_ == 0x30) {
        ClearFifo();
    }
}

// Called with the mutex held.
void V2Emulator::ClearFifo() {
    const std::uint64_t start = Register(0x00, 8);
    if (start <= lastClearStart_ || measurements_ == 0) {
        if (!sequence_.empty()) {
            material_ = sequence_[std::min(next_, sequence_.size() - 1)];
            ++next_;
        }
        ++measurements_;
    }
    lastClearStart_ = start;
    const int points = std::max<int>(1, static_cast<int>(Register(0x20, 2)));
    random_ = random_ * 1103515245u + 12345u;
    position_ = static_cast<int>((random_ >> 8) % static_cast<std::uint32_t>(points));
}

void V2Emulator::SendFifo(int records) {
    const std::uint64_t start = Register(0x00, 8);
    const std::uint64_t step = Register(0x10, 8);
    const int maxPoints = options_.hardware == 4 ? 65535 : 1024;
    const int points = std::clamp(static_cast<int>(Register(0x20, 2)), 1, maxPoints);
    const bool oldFirmware =
        options_.firmwareMajor < 1 || (options_.firmwareMajor == 1 && options_.firmwareMinor <= 1);
    DemoMaterial material;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        material = material_;
    }
    if (options_.shortFifoRecords >= 0) {
        records = std::min(records, options_.shortFifoRecords);
    }
    std::string out;
    for (int sent = 0; sent < records;) {
        const int index = position_;
        position_ = (position_ + 1) % points;
        ++delivered_;
        const bool lost = std::find(options_.lostIndexes.begin(), options_.lostIndexes.end(),
                                    index) != options_.lostIndexes.end() ||
                          (options_.dropEvery > 0 && delivered_ % options_.dropEvery == 0);
        if (lost) {
            continue;
        }
        const double f = static_cast<double>(start + step * static_cast<std::uint64_t>(index));
        CComplex s11 = RawAt(material, f);
        if (oldFirmware && index == 0) {
            s11 = CComplex(0.5, 0.5);  // the first point after the sweep starts over
        }
        // A forward wave of varying size and phase, as the receiver sees it.
        const double a = 2e8 * (1.0 + 0.5 * std::sin(0.37 * index));
        const double phi = 0.3 * index;
        const double fre = a * std::cos(phi);
        const double fim = a * std::sin(phi);
        const std::int32_t waves[4] = {Round32(fre), Round32(fim),
                                       Round32(s11.re * fre - s11.im * fim),
                                       Round32(s11.re * fim + s11.im * fre)};
        long double w[4];
        for (int k = 0; k < 4; ++k) {
            PutInt32(out, waves[k]);
            w[k] = waves[k];
        }
        const long double norm = w[0] * w[0] + w[1] * w[1];
        {
            std::lock_guard<std::mutex> lock(mutex_);
            sent_[start + step * static_cast<std::uint64_t>(index)] =
                CComplex(static_cast<double>((w[2] * w[0] + w[3] * w[1]) / norm),
                         static_cast<double>((w[3] * w[0] - w[2] * w[1]) / norm));
        }
        PutInt32(out, Round32(0.01 * fre));
        PutInt32(out, Round32(0.01 * fim));
        const int shown = options_.wrongIndex && sent == 2 ? points + 3 : index;
        out.push_back(static_cast<char>(shown & 0xff));
        out.push_back(static_cast<char>((shown >> 8) & 0xff));
        out.append(6, '\0');
        ++sent;
    }
    Send(out);
}

void V2Emulator::Send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size() && !stop_) {
        const std::size_t piece = std::min(options_.chunkBytes, bytes.size() - done);
        const ssize_t n = write(master_, bytes.data() + done, piece);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        pollfd p{master_, POLLOUT, 0};
        poll(&p, 1, 20);
    }
}

}  // namespace kv::test
