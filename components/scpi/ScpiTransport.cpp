#include "ScpiTransport.h"

#include <QDeadlineTimer>

namespace kv {

RawSocketTransport::RawSocketTransport(std::string host, int port)
    : host_(std::move(host)), port_(port) {}

RawSocketTransport::~RawSocketTransport() {
    Close();
}

bool RawSocketTransport::Open(std::string& error) {
    Close();
    socket_ = std::make_unique<QTcpSocket>();
    socket_->connectToHost(QString::fromStdString(host_), static_cast<quint16>(port_));
    if (!socket_->waitForConnected(kConnectTimeoutMs)) {
        error = "No connection to " + host_ + " port " + std::to_string(port_) + ": " +
                socket_->errorString().toStdString() + ".";
        socket_.reset();
        return false;
    }
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

void RawSocketTransport::Close() {
    if (socket_) {
        socket_->abort();
        socket_.reset();
    }
    buffer_.clear();
}

bool RawSocketTransport::IsOpen() const {
    return socket_ && socket_->state() == QAbstractSocket::ConnectedState;
}

bool RawSocketTransport::Write(const std::string& message, std::string& error) {
    if (!IsOpen()) {
        error = "The connection to the analyzer is closed.";
        return false;
    }
    const std::string line = message + "\n";
    if (socket_->write(line.data(), static_cast<qint64>(line.size())) !=
        static_cast<qint64>(line.size())) {
        error = "Sending to the analyzer failed: " + socket_->errorString().toStdString() + ".";
        return false;
    }
    while (socket_->bytesToWrite() > 0) {
        if (!socket_->waitForBytesWritten(kConnectTimeoutMs)) {
            error = "Sending to the analyzer failed: " + socket_->errorString().toStdString() + ".";
            return false;
        }
    }
    return true;
}

bool RawSocketTransport::Read(ScpiAnswer& answer, long long indefiniteBytes, int timeoutMs,
                              std::string& error) {
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        std::size_t consumed = 0;
        const ScpiParse r = ParseScpiAnswer(buffer_.data(), buffer_.size(), indefiniteBytes,
                                            kMaxAnswerBytes, answer, consumed, error);
        if (r == ScpiParse::Complete) {
            buffer_.erase(0, consumed);
            return true;
        }
        if (r == ScpiParse::Malformed) {
            error = "The analyzer's answer does not read: " + error;
            return false;
        }
        if (!socket_) {
            error = "The connection to the analyzer is closed.";
            return false;
        }
        if (socket_->bytesAvailable() == 0) {
            if (socket_->state() != QAbstractSocket::ConnectedState) {
                error = "The analyzer closed the connection" +
                        std::string(buffer_.empty() ? "" : " in the middle of an answer") + ".";
                return false;
            }
            const qint64 left = deadline.remainingTime();
            if (left <= 0 || !socket_->waitForReadyRead(static_cast<int>(left))) {
                if (socket_->state() != QAbstractSocket::ConnectedState) {
                    error = "The analyzer closed the connection" +
                            std::string(buffer_.empty() ? "" : " in the middle of an answer") + ".";
                } else {
                    char seconds[32];
                    std::snprintf(seconds, sizeof seconds, "%g", timeoutMs / 1000.0);
                    error = "The analyzer did not answer within " + std::string(seconds) + " s.";
                }
                return false;
            }
        }
        const QByteArray bytes = socket_->readAll();
        buffer_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
}

}  // namespace kv
