#include "LibreVnaTrace.h"

#include <charconv>
#include <cmath>

namespace kv {

namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : p_(text.data()), end_(text.data() + text.size()) {
        while (end_ > p_ && (end_[-1] == '\r' || end_[-1] == ' ' || end_[-1] == '\t')) {
            --end_;
        }
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\t')) {
            ++p_;
        }
        begin_ = p_;
    }
    bool AtEnd() const { return p_ == end_; }
    bool Take(char c) {
        if (p_ < end_ && *p_ == c) {
            ++p_;
            return true;
        }
        return false;
    }
    // A number as the GUI prints it; `finite` tells NaN and infinities apart from no number.
    bool Number(double& v, bool& finite) {
        const char* start = p_;
        const auto [ptr, ec] = std::from_chars(p_, end_, v);
        if (ec != std::errc() || ptr == start) {
            // from_chars does not take a leading '+'.
            if (p_ < end_ && *p_ == '+' && p_ + 1 < end_ && p_[1] != '-' && p_[1] != '+') {
                ++p_;
                if (Number(v, finite)) {
                    return true;
                }
            }
            p_ = start;
            return false;
        }
        p_ = ptr;
        finite = std::isfinite(v);
        return true;
    }
    std::size_t Offset() const { return static_cast<std::size_t>(p_ - begin_); }
    std::string Rest() const { return std::string(p_, end_); }

private:
    const char* p_;
    const char* end_;
    const char* begin_;
};

}  // namespace

bool ParseLibreVnaTrace(const std::string& text, std::vector<LibreVnaPoint>& points,
                        std::string& error) {
    points.clear();
    Reader r(text);
    if (r.Rest() == "EMPTY") {
        error = "The trace holds no data (the LibreVNA GUI answered EMPTY).";
        return false;
    }
    if (r.AtEnd()) {
        error = "The trace data are empty.";
        return false;
    }
    static const char* const kParts[] = {"frequency", "real part", "imaginary part"};
    for (;;) {
        if (!r.Take('[')) {
            error = "The trace data do not read at byte " + std::to_string(r.Offset() + 1) +
                    ": a point \"[frequency,re,im]\" was expected.";
            points.clear();
            return false;
        }
        double v[3] = {0, 0, 0};
        for (int i = 0; i < 3; ++i) {
            bool finite = true;
            if ((i > 0 && !r.Take(',')) || !r.Number(v[i], finite)) {
                error = "The trace data do not read at byte " + std::to_string(r.Offset() + 1) +
                        ": the " + kParts[i] + " of point " + std::to_string(points.size() + 1) +
                        " is missing.";
                points.clear();
                return false;
            }
            if (!finite) {
                error = "The " + std::string(kParts[i]) + " of point " +
                        std::to_string(points.size() + 1) +
                        " is not a number (NaN): the LibreVNA GUI has no valid reading there.";
                points.clear();
                return false;
            }
        }
        if (!r.Take(']')) {
            error = "The trace data do not read at byte " + std::to_string(r.Offset() + 1) +
                    ": point " + std::to_string(points.size() + 1) + " does not end with ']'.";
            points.clear();
            return false;
        }
        points.push_back({v[0], v[1], v[2]});
        if (r.AtEnd()) {
            return true;
        }
        if (!r.Take(',')) {
            error = "The trace data do not read at byte " + std::to_string(r.Offset() + 1) +
                    ": a comma was expected after point " + std::to_string(points.size()) + ".";
            points.clear();
            return false;
        }
    }
}

}  // namespace kv
