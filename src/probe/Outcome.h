#pragma once

// What an operation of the engine or the document did: it ran to its end, it was refused before
// it changed anything, the operator aborted it, or it failed on the way (a reading, a file). The
// texts in `why` are the ones the operator was shown, so a front end without windows can say
// them again.

#include <string>
#include <utility>

namespace kv {

struct Outcome {
    enum class Kind { Done, Refused, Aborted, Failed };

    Kind kind = Kind::Done;
    std::string why;  // empty when done

    static Outcome Finished() { return {}; }
    static Outcome Refusal(std::string text) { return {Kind::Refused, std::move(text)}; }
    static Outcome Abort(std::string text) { return {Kind::Aborted, std::move(text)}; }
    static Outcome Failure(std::string text) { return {Kind::Failed, std::move(text)}; }

    bool Done() const { return kind == Kind::Done; }
    // True only when done, so that a caller asking "did it work?" reads as before.
    explicit operator bool() const { return Done(); }
};

}  // namespace kv
