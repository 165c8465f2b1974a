// The serial link through Qt Serial Port: blocking reads and writes in slices, so that the wait
// hook is asked between them.

#include <QElapsedTimer>
#include <QSerialPort>
#include <algorithm>

#include "SerialLink.h"

namespace kv {

namespace {

class SerialPortLink : public SerialLink {
public:
    explicit SerialPortLink(std::string path) : path_(std::move(path)) {}
    ~SerialPortLink() override { Close(); }

    bool Open(std::string& error) override {
        Close();
        port_ = std::make_unique<QSerialPort>();
        port_->setPortName(QString::fromStdString(path_));
        if (!port_->open(QIODevice::ReadWrite)) {
            error = OpenFailure(port_->error(), port_->errorString().toStdString());
            port_.reset();
            return false;
        }
        // The analyzers are USB CDC devices: the rate is not used, but a pseudo terminal or a
        // real serial line wants one.
        port_->setBaudRate(QSerialPort::Baud115200);
        port_->setDataBits(QSerialPort::Data8);
        port_->setParity(QSerialPort::NoParity);
        port_->setStopBits(QSerialPort::OneStop);
        port_->setFlowControl(QSerialPort::NoFlowControl);
        return true;
    }

    void Close() override {
        if (port_) {
            port_->close();
            port_.reset();
        }
    }

    bool IsOpen() const override { return port_ && port_->isOpen(); }

    bool Write(std::string_view bytes, int timeoutMs, std::string& error) override {
        if (!IsOpen()) {
            error = "The port " + path_ + " is not open.";
            return false;
        }
        if (port_->write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size())) {
            error = "Writing to " + path_ + " failed: " + port_->errorString().toStdString() + ".";
            return false;
        }
        QElapsedTimer timer;
        timer.start();
        while (port_->bytesToWrite() > 0) {
            if (!Slice(timer, timeoutMs, error, "writing to")) {
                return false;
            }
            port_->waitForBytesWritten(SliceMs(timer, timeoutMs));
        }
        return true;
    }

    bool ReadSome(std::string& out, int timeoutMs, std::string& error) override {
        if (!IsOpen()) {
            error = "The port " + path_ + " is not open.";
            return false;
        }
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            if (port_->bytesAvailable() > 0) {
                const QByteArray bytes = port_->readAll();
                out.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
                return true;
            }
            if (!Slice(timer, timeoutMs, error, "waiting for")) {
                return false;
            }
            if (!port_->waitForReadyRead(SliceMs(timer, timeoutMs)) &&
                port_->error() != QSerialPort::NoError &&
                port_->error() != QSerialPort::TimeoutError) {
                error = "Reading from " + path_ + " failed: " + port_->errorString().toStdString() +
                        ".";
                port_->clearError();
                return false;
            }
        }
    }

    void Discard() override {
        if (IsOpen()) {
            port_->clear(QSerialPort::Input);
            port_->readAll();
        }
    }

private:
    static int SliceMs(const QElapsedTimer& timer, int timeoutMs) {
        const qint64 left = std::max<qint64>(timeoutMs - timer.elapsed(), 0);
        return static_cast<int>(std::clamp<qint64>(left, 1, kWaitSliceMs));
    }

    // False with the reason when the wait is over: the operator ended it, or time ran out.
    bool Slice(const QElapsedTimer& timer, int timeoutMs, std::string& error, const char* doing) {
        if (WaitHook() && WaitHook()()) {
            error = IDriverWait::kAbortedText;
            return false;
        }
        if (timer.elapsed() >= timeoutMs) {
            error = std::string("Timed out ") + doing + " the analyzer on " + path_ + " after " +
                    std::to_string(timeoutMs) + " ms.";
            return false;
        }
        return true;
    }

    std::string OpenFailure(QSerialPort::SerialPortError code, const std::string& text) const {
        switch (code) {
            case QSerialPort::PermissionError:
                return "Permission to open " + path_ +
                       " was denied (or another program holds it open). Install the program's "
                       "package, whose udev rules give the user at the desktop access to the "
                       "NanoVNA's port, then unplug and plug in the analyzer; or add your user "
                       "to the dialout group (sudo usermod -aG dialout $USER), then log out and "
                       "in again.";
            case QSerialPort::DeviceNotFoundError:
                return "There is no serial port " + path_ +
                       ". Is the analyzer plugged in and switched on?";
            default:
                return "The serial port " + path_ + " cannot be opened: " + text + ".";
        }
    }

    std::string path_;
    std::unique_ptr<QSerialPort> port_;
};

}  // namespace

std::unique_ptr<SerialLink> MakeSerialPortLink(const std::string& path) {
    return std::make_unique<SerialPortLink>(path);
}

}  // namespace kv
