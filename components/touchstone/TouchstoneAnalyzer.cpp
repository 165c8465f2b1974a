#include "TouchstoneAnalyzer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "probe/FrequencyList.h"

namespace kv {

namespace {

// The titles of the program's prompts that tell which standard is at the probe.
constexpr const char* kLoadTitle = "Measuring the load.";
constexpr const char* kAirTitle = "Measuring air.";
constexpr const char* kShortTitle = "Measuring the shorting block.";
constexpr const char* kWaterTitle = "Measuring water.";

bool Near(double a, double b) {
    return std::fabs(a - b) <= std::max(1.0, 1e-6 * std::fabs(b));
}

// The first point at which two lists differ by more than max(1 Hz, 1e-6 f), or -1.
long FirstDifference(const std::vector<double>& a, std::span<const double> b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (!Near(a[i], b[i])) {
            return static_cast<long>(i);
        }
    }
    return a.size() == b.size() ? -1 : static_cast<long>(std::min(a.size(), b.size()));
}

// The program's own sweep list from start to stop.
std::vector<double> ProgramList(double start, double stop, int points, SweepKind kind) {
    return FrequencyList(SweepBetween(start, stop, points, kind));
}

// "2.0000025 GHz": ten significant digits in the largest unit below the frequency.
std::string Hz(double f) {
    const char* unit = f >= 1e9 ? "GHz" : f >= 1e6 ? "MHz" : f >= 1e3 ? "kHz" : "Hz";
    const double scale = f >= 1e9 ? 1e9 : f >= 1e6 ? 1e6 : f >= 1e3 ? 1e3 : 1.0;
    char text[48];
    std::snprintf(text, sizeof text, "%.10g %s", f / scale, unit);
    return text;
}

// "point 5 (2.3 GHz in the file, 2.31 GHz in the sweep)"
std::string PointText(long i, std::span<const double> file, std::span<const double> other,
                      const char* otherName, const char* fileName = "the file") {
    std::string text = "point " + std::to_string(i + 1) + " (";
    text += static_cast<std::size_t>(i) < file.size() ? Hz(file[static_cast<std::size_t>(i)])
                                                      : std::string("none");
    text += std::string(" in ") + fileName + ", ";
    text += static_cast<std::size_t>(i) < other.size() ? Hz(other[static_cast<std::size_t>(i)])
                                                       : std::string("none");
    return text + " in " + otherName + ")";
}

}  // namespace

TouchstoneAnalyzer::TouchstoneAnalyzer(std::map<std::string, std::string> files) {
    for (auto& [key, path] : files) {
        if (!path.empty()) {
            paths_[key] = path;
        }
    }
}

int TouchstoneAnalyzer::Load() {
    if (loaded_) {
        return 0;
    }
    if (paths_.empty()) {
        return Fail(
            "No Touchstone file is named: set the files in the TouchstoneFiles settings "
            "or with the terminal's file options.");
    }
    std::map<std::string, File> files;
    const File* first = nullptr;
    for (const char* key : kTouchstoneFileKeys) {
        const auto path = paths_.find(key);
        if (path == paths_.end()) {
            continue;
        }
        const TouchstoneParse parse = ReadTouchstoneFile(path->second);
        if (!parse.ok) {
            return Fail(TouchstoneErrorText(path->second, parse));
        }
        File& file = files[key];
        file.path = path->second;
        file.data = parse.data;
        if (first == nullptr) {
            first = &file;
            continue;
        }
        const long i = FirstDifference(file.data.frequencies, first->data.frequencies);
        if (i >= 0) {
            return Fail(
                "The frequencies of " + file.path + " are not those of " + first->path + ": " +
                PointText(i, file.data.frequencies, first->data.frequencies, first->path.c_str()) +
                ".");
        }
        if (file.data.referenceOhms != first->data.referenceOhms) {
            return Fail("The reference resistance of " + file.path + " is not that of " +
                        first->path + ".");
        }
    }
    // The files' frequencies are the sweep as written, whatever their spacing; a sweep of the
    // program's own is offered as such.
    const std::vector<double>& f = first->data.frequencies;
    const int n = static_cast<int>(f.size());
    const bool log =
        n >= 11 && (n - 1) % 10 == 0 &&
        FirstDifference(f, ProgramList(f.front(), f.back(), n, SweepKind::Linear)) >= 0 &&
        FirstDifference(f, ProgramList(f.front(), f.back(), n, SweepKind::Logarithmic)) < 0;
    files_ = std::move(files);
    axis_ = f;
    logSweep_ = log;
    sweep_ = axis_;
    loaded_ = true;
    ClearError();
    return 0;
}

int TouchstoneAnalyzer::CheckInstrument() {
    return Load();
}

int TouchstoneAnalyzer::OpenInstrument(const std::string&, const std::string&) {
    return Load();
}

int TouchstoneAnalyzer::Preset() {
    calibrating_ = false;
    position_ = 0;
    terms_.Clear();
    return 0;
}

int TouchstoneAnalyzer::SetFrequencyList(std::span<const double> frequencies, int count, int) {
    const std::size_t n =
        std::min(frequencies.size(), static_cast<std::size_t>(std::max(count, 0)));
    sweep_.assign(frequencies.begin(), frequencies.begin() + static_cast<std::ptrdiff_t>(n));
    return 0;
}

bool TouchstoneAnalyzer::CorrectionOn() const {
    return !calibrating_ && !terms_.Empty() && terms_.Size() == sweep_.size();
}

std::string TouchstoneAnalyzer::CurrentKey() const {
    if (calibrating_) {
        static const char* const air[] = {"air", "short", "water"};
        static const char* const load[] = {"load", "air", "short"};
        static const char* const user[] = {"standard1", "standard2", "standard3"};
        if (position_ < 1 || position_ > 3) {
            return {};
        }
        const char* const* keys = kind_ == "load" ? load : kind_ == "air" ? air : user;
        return keys[position_ - 1];
    }
    // A refresh shows the title of the standard it measures.
    if (title_ == kAirTitle) {
        return "air";
    }
    if (title_ == kShortTitle) {
        return "short";
    }
    if (title_ == kWaterTitle) {
        return "water";
    }
    return "sample";
}

int TouchstoneAnalyzer::MeasureTrace(std::span<CComplex> trace) {
    if (Load() != 0) {
        return kNotDone;
    }
    const std::string key = CurrentKey();
    const auto file = files_.find(key);
    if (file == files_.end()) {
        return Fail("No Touchstone file is named for the " + (key.empty() ? "reading" : key) +
                    " (setting TouchstoneFiles/" + key + ", terminal option --" + key + ").");
    }
    const std::vector<double>& f = file->second.data.frequencies;
    if (const long i = FirstDifference(f, sweep_); i >= 0) {
        return Fail("The frequencies of " + file->second.path +
                    " are not those of the sweep: " + PointText(i, f, sweep_, "the sweep") + ".");
    }
    lastTrace_ = file->second.data.s11;
    if (CorrectionOn()) {
        for (std::size_t i = 0; i < lastTrace_.size(); ++i) {
            lastTrace_[i] = terms_.Correct(i, lastTrace_[i]);
        }
    }
    std::copy_n(lastTrace_.begin(), std::min(trace.size(), lastTrace_.size()), trace.begin());
    ClearError();
    return 0;
}

int TouchstoneAnalyzer::ReadTrace(std::span<CComplex> trace) {
    if (lastTrace_.empty()) {
        return Fail("No sweep has been taken.");
    }
    std::copy_n(lastTrace_.begin(), std::min(trace.size(), lastTrace_.size()), trace.begin());
    return 0;
}

int TouchstoneAnalyzer::DownloadCalibration(std::span<const CComplex> directivity,
                                            std::span<const CComplex> sourceMatch,
                                            std::span<const CComplex> tracking) {
    terms_.Assign(directivity, sourceMatch, tracking);
    calibrating_ = false;
    return 0;
}

int TouchstoneAnalyzer::BeginCalibration() {
    calibrating_ = true;
    position_ = 0;
    kind_.clear();
    return 0;
}

int TouchstoneAnalyzer::ShowTitle(const std::string& text) {
    title_ = text;
    return 0;
}

int TouchstoneAnalyzer::ArmOperatorResponse() {
    if (calibrating_) {
        ++position_;
        if (position_ == 1) {
            kind_ = title_ == kLoadTitle ? "load" : title_ == kAirTitle ? "air" : "standard1";
        }
    }
    return 0;
}

int TouchstoneAnalyzer::GetStartFrequency(double& hz) {
    if (Load() != 0) {
        return kNotDone;
    }
    hz = axis_.front();
    return 0;
}

int TouchstoneAnalyzer::GetStopFrequency(double& hz) {
    if (Load() != 0) {
        return kNotDone;
    }
    hz = axis_.back();
    return 0;
}

int TouchstoneAnalyzer::GetNumberOfPoints(int& points) {
    if (Load() != 0) {
        return kNotDone;
    }
    points = static_cast<int>(axis_.size());
    return 0;
}

std::string TouchstoneAnalyzer::ListRefusal(std::span<const double> frequencies) const {
    if (!loaded_) {
        const std::string why = LastError();
        return why.empty() ? std::string("The Touchstone files have not been read.") : why;
    }
    const long i = FirstDifference(axis_, frequencies);
    if (i < 0) {
        return {};
    }
    return "The Touchstone files hold only their own frequencies, " + std::to_string(axis_.size()) +
           " points from " + Hz(axis_.front()) + " to " + Hz(axis_.back()) +
           ": the list differs at " + PointText(i, frequencies, axis_, "the files", "the list") +
           ".";
}

int TouchstoneAnalyzer::GetFrequencyList(std::vector<double>& frequencies) {
    if (Load() != 0) {
        return kNotDone;
    }
    frequencies = axis_;
    return 0;
}

int TouchstoneAnalyzer::GetInstrumentName(std::string& name) {
    name = kName;
    return 0;
}

}  // namespace kv
