#pragma once

// A serial link for the tests: the terminal at a path, opened raw, with poll/read/write. (The
// program's own link goes through Qt Serial Port.)

#include "SerialLink.h"

namespace kv::test {

class PtyTestLink : public SerialLink {
public:
    explicit PtyTestLink(std::string path) : path_(std::move(path)) {}
    ~PtyTestLink() override { Close(); }

    bool Open(std::string& error) override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    bool Write(std::string_view bytes, int timeoutMs, std::string& error) override;
    bool ReadSome(std::string& out, int timeoutMs, std::string& error) override;
    void Discard() override;

private:
    // Waits for `events` in slices, asking the hook between them.
    bool Wait(short events, int timeoutMs, std::string& error);

    std::string path_;
    int fd_ = -1;
};

}  // namespace kv::test
