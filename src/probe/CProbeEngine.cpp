#include "probe/CProbeEngine.h"

#include <algorithm>
#include <cmath>

#include "instrument/IDriverWait.h"
#include "instrument/IListSweep.h"
#include "instrument/PrintableText.h"
#include "probe/FrequencyList.h"
#include "probe/FrequencySegments.h"
#include "probe/Units.h"

namespace kv {

namespace {

// The sweep starts no lower than 200 MHz and stops no higher than 20 GHz, whatever the analyzer
// could do: the probe model is not valid outside this band.
constexpr double kLowestStartHz = 2e8;
constexpr double kHighestStopHz = 2e10;

// Attempts to make the analyzer accept the sweep before giving up.
constexpr int kVerifyAttempts = 4;

// The record that keeps an instrument's identification text has room for this many characters.
constexpr std::size_t kInstrumentNameLength = 200;

const char* const kRangeCaption = "Frequency out of range";
const char* const kNoListSweep =
    "The selected instrument sweeps linear and logarithmic sweeps only, not a list of frequencies.";

// Every point of one list within 1 Hz of its partner in the other (differences truncated to whole
// hertz, as the start and stop of a sweep are compared).
bool WithinOneHertz(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!(std::fabs(std::trunc(a[i] - b[i])) <= 1.0)) {
            return false;
        }
    }
    return true;
}

}  // namespace

CProbeEngine::CProbeEngine() {
    LoadProbeCoefficients();
}

CProbeEngine::~CProbeEngine() = default;

void CProbeEngine::SetDriver(IInstrumentDriver* driver) {
    driver_ = driver;
    instrumentName.clear();
    if (driver_ == nullptr) {
        return;
    }
    WatchWaits(driver_);
    driver_->Initialize();
    driver_->GetInstrumentName(instrumentName);
    // The name is a C text of at most 200 characters wherever it is kept (setup files compare
    // it over those 200), so a longer answer or one with an embedded terminator is cut.
    instrumentName = instrumentName.substr(0, instrumentName.find('\0'));
    if (instrumentName.size() > kInstrumentNameLength) {
        instrumentName.resize(kInstrumentNameLength);
    }
}

int CProbeEngine::PointCount() const {
    return static_cast<int>(frequencies.size());
}

Answer CProbeEngine::Ask(const std::string& text, const std::string& caption, Buttons buttons,
                         Icon icon) {
    if (ui_ == nullptr) {
        return UnattendedAnswer(buttons);
    }
    return ui_->Message(text, caption, buttons, icon);
}

// ---- Instrument limits and the sweep ----

CProbeEngine::Preparation CProbeEngine::PrepareInstrument() {
    Preparation preparation;
    if (driver_ == nullptr) {
        return preparation;
    }
    // A wait window already up belongs to the caller, which closes it; it shows the steps too.
    const bool showWait = waitDlg_ == nullptr;
    if (SetupStep("Setting up instrument.") && driver_->Initialize() == 0 &&
        SetupStep("Presetting the analyzer.")) {
        // After a failed preset the analyzer is in no known state: nothing more is sent.
        preparation.preset = driver_->Preset() == 0;
        if (preparation.preset && SetupStep("Reading the analyzer's limits.")) {
            ReadInstrumentLimits();
            FitSweepToInstrument();
            preparation.fitted = true;
        }
    }
    if (showWait) {
        HideWait();
    }
    return preparation;
}

bool CProbeEngine::SetupStep(const std::string& text) {
    ShowWait(text, PrintableText(instrumentName));
    return !WaitCancelled();
}

void CProbeEngine::ReadInstrumentLimits() {
    minPoints = 3;
    if (driver_ == nullptr) {
        return;
    }
    driver_->BeginLimitQuery();
    int points = maxPoints;
    double lowest = minFrequency;
    double highest = maxFrequency;
    driver_->GetMaxPoints(points);
    driver_->GetMinFrequency(lowest);
    driver_->GetMaxFrequency(highest);
    // Limits that bound no sweep (an analyzer that answers 0 Hz for its highest frequency, fewer
    // points than any sweep has) would fit every sweep into nothing: the last ones stay.
    if (points >= minPoints) {
        maxPoints = points;
    }
    if (lowest >= 0.0 && highest > lowest && std::isfinite(highest)) {
        minFrequency = lowest;
        maxFrequency = highest;
    }
}

void CProbeEngine::FitSweepToInstrument() {
    // The analyzer's whole range is a linear or a logarithmic sweep; a list is not stretched.
    if (sweep.sweepType == SweepKind::List) {
        sweep.sweepType = SweepKind::Linear;
        sweep.list.clear();
    }
    const double start = std::max(minFrequency, kLowestStartHz);
    const double stop = std::min(maxFrequency, kHighestStopHz);
    SetStart(start);
    SetStop(stop);
    SetNumPoints(sweep.numPoints);
    BuildFrequencyList();
}

double CProbeEngine::StartHz() const {
    return sweep.StartHz();
}

double CProbeEngine::StopHz() const {
    return sweep.StopHz();
}

void CProbeEngine::SetStart(double hz) {
    sweep.startValue = hz;
    sweep.startUnit = ScaleHzToUnit(sweep.startValue);
}

void CProbeEngine::SetStop(double hz) {
    sweep.stopValue = hz;
    sweep.stopUnit = ScaleHzToUnit(sweep.stopValue);
}

void CProbeEngine::BuildFrequencyList() {
    frequencies = FrequencyList(sweep);
}

void CProbeEngine::SetupInstrument() {
    // A list the analyzer cannot sweep (one a setup file brought) is never sent: the linear sweep
    // between its ends takes its place, and the verification reports the sweep as changed.
    if (sweep.sweepType == SweepKind::List && driver_ != nullptr) {
        const auto* lists = dynamic_cast<const IListSweep*>(driver_);
        const std::string refusal =
            lists == nullptr ? std::string(kNoListSweep) : lists->ListRefusal(sweep.list);
        if (!refusal.empty()) {
            HideWait();
            Ask(refusal +
                    "\nThe linear sweep between its first and last frequency is used instead.",
                PrintableText(instrumentName));
            sweep = SweepBetween(StartHz(), StopHz(), std::min(sweep.numPoints, maxPoints),
                                 SweepKind::Linear);
            calibrated = false;
            listReplaced_ = true;
        }
    }
    ShowWait("Setting up Instrument", PrintableText(instrumentName));
    WaitCursor cursor(ui_);
    BuildFrequencyList();
    if (driver_ != nullptr) {
        driver_->SetFrequencyList(frequencies, PointCount(), SweepTypeCode(sweep.sweepType));
    }
}

SweepVerification CProbeEngine::VerifyInstrumentSetup(const std::string& message) {
    SweepVerification result;
    {
        WaitCursor cursor(ui_);
        BuildFrequencyList();
        for (int attempt = 0; attempt < kVerifyAttempts; ++attempt) {
            // An analyzer that reads back its list is compared point by point, whatever the kind
            // of sweep; any other by its start, stop and number of points.
            auto* lists = dynamic_cast<IListSweep*>(driver_);
            if (lists != nullptr) {
                std::vector<double> read;
                const bool readBack = lists->GetFrequencyList(read) == 0;
                if (readBack && WithinOneHertz(read, frequencies)) {
                    result.accepted = true;
                    break;
                }
                // A list the analyzer could not report, or one that is no sweep, is never taken.
                if (!readBack || CheckFrequencyList(read)) {
                    break;
                }
                sweep = SweepOfList(read, sweep.sweepType, 1.0);
            } else {
                // A driver that writes nothing reads as a match.
                double start = StartHz();
                double stop = StopHz();
                int points = sweep.numPoints;
                bool read = true;
                if (driver_ != nullptr) {
                    read = driver_->GetStartFrequency(start) == 0;
                    read = driver_->GetStopFrequency(stop) == 0 && read;
                    read = driver_->GetNumberOfPoints(points) == 0 && read;
                }
                if (points == sweep.numPoints && std::fabs(std::trunc(StartHz() - start)) <= 1.0 &&
                    std::fabs(std::trunc(StopHz() - stop)) <= 1.0) {
                    result.accepted = true;
                    break;
                }
                // A sweep the analyzer could not report, or one no sweep can be (nothing above 0
                // Hz, a stop below the start, no points), is never taken: the analyzer was not
                // set up.
                if (!read || !(start > 0.0) || !(stop >= start) || points < 1) {
                    break;
                }
                SetStart(start);
                SetStop(stop);
                sweep.numPoints = points;
            }
            // The instrument knows what it can do: take its sweep. The error terms were made for
            // the old one, so the calibration no longer holds.
            result.adopted = sweep;
            calibrated = false;
            BuildFrequencyList();
            SetupInstrument();
        }
    }
    HideWait();
    if (listReplaced_) {
        listReplaced_ = false;
        result.adopted = sweep;
    }
    if (result.adopted) {
        Ask(message, PrintableText(instrumentName));
    }
    if (!result.accepted) {
        Ask("Could not set the instrument to the desired settings.", PrintableText(instrumentName));
    }
    return result;
}

bool CProbeEngine::LogSweepAvailable() const {
    return driver_ == nullptr || driver_->QueryLogSweepSupport() != kLogSweepNotOffered;
}

FrequencyPage CProbeEngine::CurrentSweepPage() const {
    FrequencyPage page;
    page.sweep = sweep;
    page.setChartScale = setChartScale;
    const bool logSweep = LogSweepAvailable();
    if (!logSweep && sweep.sweepType == SweepKind::Logarithmic) {
        page.sweep.sweepType = SweepKind::Linear;
    }
    page.logSweepEnabled = logSweep;
    return page;
}

std::optional<FrequencyPage> CProbeEngine::EditFrequency() {
    if (ui_ == nullptr) {
        return std::nullopt;
    }
    FrequencyPage page = CurrentSweepPage();
    if (page.sweep.sweepType == SweepKind::List) {
        page.segments = RowsOfList(page.sweep.list, listRows_);
    }
    for (;;) {
        if (!ui_->EditFrequencyPage(page)) {
            return std::nullopt;
        }
        if (const auto refusal = page.Leave()) {
            Ask(refusal->text, refusal->caption);
            continue;
        }
        if (!ValidateFrequency(page)) {
            return page;
        }
    }
}

Outcome CProbeEngine::CheckSweep(const FrequencyPage& page) {
    if (const auto refusal = page.LeaveCheck()) {
        Ask(refusal->text, refusal->caption);
        return Outcome::Refusal(refusal->text);
    }
    if (const std::string refusal = FrequencyRefusal(page); !refusal.empty()) {
        Ask(refusal, kRangeCaption);
        return Outcome::Refusal(refusal);
    }
    return Outcome::Finished();
}

void CProbeEngine::TakeSweep(const FrequencyPage& page) {
    sweep = page.sweep;
    // A page filled in from a list sweep and set to another kind still holds the old list,
    // which no other kind of sweep has (a setup file holding it would not be read back).
    if (sweep.sweepType != SweepKind::List) {
        sweep.list.clear();
    }
    listRows_ =
        sweep.sweepType == SweepKind::List ? page.segments : std::vector<FrequencySegment>{};
    calibrated = false;
    setChartScale = page.setChartScale;
    BuildFrequencyList();
}

SweepVerification CProbeEngine::SendSweep() {
    WaitCursor cursor(ui_);
    SetupInstrument();
    return VerifyInstrumentSetup(kSetupChangedMessage);
}

std::optional<SweepVerification> CProbeEngine::AdoptSweepOf(
    const std::vector<double>& fileFrequencies, SweepKind kind) {
    // The linear or the logarithmic sweep whose list the file's is, the preferred one first; a
    // list that is neither is taken as it is, where the analyzer sweeps it.
    Sweep adopted = SweepOfList(fileFrequencies, kind, kFrequencyTolerance);
    if (adopted.sweepType == SweepKind::List) {
        FrequencyPage page;
        page.sweep = adopted;
        std::string refusal = CheckFrequencyList(adopted.list).value_or(FrequencyRefusal(page));
        if (!refusal.empty()) {
            Ask(refusal, kRangeCaption);
            return std::nullopt;
        }
    }
    sweep = std::move(adopted);
    BuildFrequencyList();
    calibrated = false;
    if (driver_ != nullptr) {
        driver_->SetFrequencyList(frequencies, PointCount(), SweepTypeCode(sweep.sweepType));
    }
    return VerifyInstrumentSetup(kSetupChangedMessage);
}

std::string CProbeEngine::FrequencyRefusal(const FrequencyPage& page) const {
    const double start = page.sweep.StartHz();
    const double stop = page.sweep.StopHz();
    if (start < minFrequency) {
        return "The start frequency must be greater than " + FormatFrequency(minFrequency);
    }
    if (start > maxFrequency) {
        return "The start frequency must be less than " + FormatFrequency(maxFrequency);
    }
    if (stop < minFrequency) {
        return "The stop frequency must be greater than " + FormatFrequency(minFrequency);
    }
    if (stop > maxFrequency) {
        return "The stop frequency must be less than " + FormatFrequency(maxFrequency);
    }
    // A list may hold two points; a sweep no fewer than the analyzer's least.
    const bool list = page.sweep.sweepType == SweepKind::List;
    const int fewest = list ? static_cast<int>(kMinListFrequencies) : minPoints;
    if (page.sweep.numPoints < fewest) {
        return "The number of points must be greater than " + std::to_string(fewest);
    }
    if (page.sweep.numPoints > maxPoints) {
        return "The number of points must be less than " + std::to_string(maxPoints);
    }
    if (list && driver_ != nullptr) {
        const auto* lists = dynamic_cast<const IListSweep*>(driver_);
        if (lists == nullptr) {
            return kNoListSweep;
        }
        return lists->ListRefusal(page.sweep.list);
    }
    return {};
}

bool CProbeEngine::ValidateFrequency(const FrequencyPage& page) {
    const std::string refusal = FrequencyRefusal(page);
    if (refusal.empty()) {
        return false;
    }
    Ask(refusal, kRangeCaption);
    return true;
}

void CProbeEngine::ShowWait(const std::string& text, const std::string& caption) {
    if (ui_ == nullptr) {
        return;
    }
    if (waitDlg_ == nullptr) {
        waitDlg_ = ui_->CreatePromptDlg();
        if (waitDlg_ == nullptr) {
            return;
        }
    }
    waitDlg_->Show(text, caption);
    ui_->PumpMessages();
}

void CProbeEngine::HideWait() {
    if (waitDlg_ != nullptr) {
        waitDlg_->Close();
        waitDlg_.reset();
    }
}

void CProbeEngine::OfferCancel() {
    if (waitDlg_ != nullptr) {
        waitDlg_->RevealCancel();
    }
}

bool CProbeEngine::WaitCancelled() const {
    return (waitDlg_ != nullptr && waitDlg_->Cancelled()) ||
           (ui_ != nullptr && ui_->QuitRequested());
}

void CProbeEngine::WatchWaits(IInstrumentDriver* driver, bool watch) {
    if (auto* waits = dynamic_cast<IDriverWait*>(driver)) {
        waits->SetWaitHook(watch ? DriverWaitHook([this] { return OperatorAbortsWait(); })
                                 : DriverWaitHook());
    }
}

bool CProbeEngine::OperatorAbortsWait() {
    // A command the pump lets through may wait on the analyzer itself: its waits do not pump
    // again.
    if (ui_ != nullptr && !inWaitHook_) {
        inWaitHook_ = true;
        ui_->PumpMessages();
        inWaitHook_ = false;
    }
    const bool abort = (measureDlg_ != nullptr && measureDlg_->AbortPressed()) || WaitCancelled();
    waitAborted_ = waitAborted_ || abort;
    return abort;
}

}  // namespace kv
