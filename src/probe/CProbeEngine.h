#pragma once

// The probe engine: frequency sweep, calibration settings and standards, the probe model, the
// calibration and sample measurement procedures, all per-point arrays and the result of the last
// measurement. It talks to the analyzer through the attached driver (every call is skipped
// without one) and to the operator through EngineUi. It never calls its document: each operation
// tells what happened through what it returns (an Outcome, a sweep verification, the new result
// in `result`), and the document applies that once.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "instrument/IInstrumentDriver.h"
#include "numerics/CComplex.h"
#include "probe/CMeasureDlg.h"
#include "probe/CPromptDlg.h"
#include "probe/CalibrationSheet.h"
#include "probe/EngineUi.h"
#include "probe/FrequencyPage.h"
#include "probe/MeasurementResult.h"
#include "probe/Outcome.h"
#include "probe/ProbeModel.h"
#include "probe/Sweep.h"
#include "probe/Uncertainty.h"
#include "probe/UncertaintyBudget.h"

namespace kv {

// The message every verification of the instrument's sweep passes.
inline constexpr const char* kSetupChangedMessage = "The setup has been changed by the instrument.";

// What a verification of the analyzer's sweep came to.
struct SweepVerification {
    // The analyzer reported the sweep asked of it, at the first attempt or after the engine took
    // the analyzer's own.
    bool accepted = false;
    // The analyzer's sweep, when the engine took it: the calibration no longer holds, and no
    // trace belongs to the sweep any more. The document takes it into its own settings.
    std::optional<Sweep> adopted;
};

class CProbeEngine {
public:
    CProbeEngine();
    ~CProbeEngine();
    CProbeEngine(const CProbeEngine&) = delete;
    CProbeEngine& operator=(const CProbeEngine&) = delete;

    // ---- Links (not owned, not saved) ----
    // Stores the driver and empties instrumentName; with a driver calls Initialize (result
    // ignored) and GetInstrumentName. The driver's waits are watched (WatchWaits), the last
    // driver's no longer; the engine must be given a null driver before it goes.
    void SetDriver(IInstrumentDriver* driver);
    void SetUi(EngineUi* ui) { ui_ = ui; }
    IInstrumentDriver* Driver() const { return driver_; }

    // ---- Sweep ----
    // Initialises and presets the analyzer, then reads its limits and fits the sweep into them.
    // `preset` is false when the preset failed (nothing further was sent); an analyzer that fails
    // to initialise is left alone. `fitted` tells that the sweep was fitted to the limits read.
    struct Preparation {
        bool preset = true;
        bool fitted = false;
    };
    Preparation PrepareInstrument();
    void ReadInstrumentLimits();
    void FitSweepToInstrument();
    double StartHz() const;
    double StopHz() const;
    void SetStart(double hz);
    void SetStop(double hz);
    void SetNumPoints(int points) { sweep.numPoints = points; }
    void SetSweepType(SweepKind type) { sweep.sweepType = type; }
    void BuildFrequencyList();
    void SetupInstrument();
    // Reads the sweep back from the analyzer and, while it differs, takes the analyzer's and
    // sends it again (four attempts); then tells the operator what changed or failed.
    SweepVerification VerifyInstrumentSetup(const std::string& message);
    // False when the attached analyzer does not offer a logarithmic sweep.
    bool LogSweepAvailable() const;
    // The "Set Frequency" page as the sweep stands, the log sweep offered when the analyzer has it.
    FrequencyPage CurrentSweepPage() const;
    // The "Set Frequency" dialog until its page passes its checks and the analyzer's limits:
    // nothing when the operator cancelled, else the page to take (TakeSweep). A list sweep opens
    // with the rows that give it (RowsOfList); the page's rows become its list (Leave).
    std::optional<FrequencyPage> EditFrequency();
    // The checks of a filled-in page without the dialog: the page's own, then the analyzer's
    // limits; a refusal has been shown.
    Outcome CheckSweep(const FrequencyPage& page);
    // True when the page's sweep is refused (the message has been shown).
    bool ValidateFrequency(const FrequencyPage& page);
    // A checked page becomes the sweep: the calibration no longer holds, the frequency list is
    // made anew. SendSweep then sets the analyzer up for it.
    void TakeSweep(const FrequencyPage& page);
    SweepVerification SendSweep();
    // The sweep of a data file's frequency list (its first and last frequency and its number of
    // points, spaced as `kind` when that gives the file's list, else the other way, else the list
    // itself): taken uncalibrated, sent to the analyzer and verified. Nothing, with the reason
    // shown, when the list is one the analyzer cannot sweep.
    std::optional<SweepVerification> AdoptSweepOf(const std::vector<double>& fileFrequencies,
                                                  SweepKind kind);
    void ShowWait(const std::string& text, const std::string& caption);
    void HideWait();
    // Shows the Cancel button of the wait window that is up.
    void OfferCancel();
    // Cancel of the wait window was pressed, or the operator asked the program to end.
    bool WaitCancelled() const;

    // ---- Waits on the analyzer ----
    // Hands a driver that offers IDriverWait the engine's hook (or, with `watch` false, takes it
    // back): while the driver waits on the analyzer, the operator's events are let through, and
    // Abort in the measure window, Cancel in the wait window or a request to end the program ends
    // the wait. An operation whose reading was ended so ends as the operator's abort does.
    void WatchWaits(IInstrumentDriver* driver, bool watch = true);

    // ---- Standards ----
    CComplex StandardReflection(int index, double f) const {
        return StandardReflection(model, index, f);
    }
    // The same with another probe model in place of the engine's (a trial of a characterisation
    // fit): the engine stays as it is.
    CComplex StandardReflection(const ProbeModel& with, int index, double f) const;
    // The same for the settings of `sheet` (a draw of the standards' parameters).
    static CComplex StandardReflectionOf(const CalibrationSheet& sheet, const ProbeModel& with,
                                         int index, double f);
    static CComplex RefreshReflectionOf(const CalibrationSheet& sheet, const ProbeModel& with,
                                        double f);
    CComplex StandardPermittivity(int index, double f) const;
    // The expected reflection of the refresh standard at f (air, the short or water).
    CComplex RefreshReflection(double f) const;

    // ---- Probe model ----
    void LoadProbeCoefficients() { model.LoadProbeCoefficients(calSettings.probeType); }
    // The probe model with these scales (the calibration's probe type). A calibration in force is
    // computed anew from the standards' readings with the new model and sent to the analyzer, so
    // that the next measurement is corrected for the probe now in use.
    void SetProbeScales(double frequencyScale, double coefficientScale);
    CComplex ProbeAdmittance(double f, CComplex eps, CComplex& y) const {
        return model.ProbeAdmittance(f, eps, y);
    }
    void ComputePermittivity(const double* frequencies, const CComplex* reflections,
                             CComplex* permittivity, double* sensitivityOut, int count) const {
        model.ComputePermittivity(frequencies, reflections, permittivity, sensitivityOut, count);
    }

    // ---- Calibration ----
    // Refused without a calibration to refresh; aborted at a prompt; failed when a reading failed
    // (the engine then keeps the calibration it had).
    Outcome PerformCalibration();
    Outcome RefreshCalibration();
    void Prompt(const std::string& prompt, const std::string& measuring, int steps);
    bool WaitForOperator();
    void EndPrompt();
    void ShowStatus(const std::string& text);
    // Returns the number of points whose standards' readings determine no terms.
    int ComputeCalibration();
    // False when the system is singular to machine precision: the readings determine no terms,
    // and the point gets zero terms.
    bool SolveErrorTerms(double f, CComplex m1, CComplex m2, CComplex m3, CComplex& e00,
                         CComplex& e11, CComplex& e01e10) const {
        return SolveErrorTerms(model, f, m1, m2, m3, e00, e11, e01e10);
    }
    // The same with the standards' reflections of another probe model.
    bool SolveErrorTerms(const ProbeModel& with, double f, CComplex m1, CComplex m2, CComplex m3,
                         CComplex& e00, CComplex& e11, CComplex& e01e10) const;
    bool ShortingBlockOk() const;
    void ApplyRefresh();
    std::string StandardPrompt(int k) const;
    std::string StandardTitle(int k) const;
    std::string RefreshStdPrompt() const;
    std::string RefreshStdTitle() const;

    // ---- Sample measurement ----
    // Refused without a calibration (or, on trigger, by an analyzer without one); aborted at the
    // prompt or by Cancel of the wait; failed when the reading failed (the Data trace stays).
    Outcome Measure();
    Outcome MeasureOnTrigger();
    // One measurement of a series: the sample is at the probe already, so no prompt is shown (the
    // analyzer's title says "Measuring sample..."). Refused without a calibration; aborted when
    // the operator ended the sweep's wait; failed, with the message shown, when the reading failed
    // (the last result stays).
    Outcome MeasureUnprompted();
    // A reading of something other than the sample (a reference liquid) after the prompt `prompt`
    // ("Measuring ..." as `measuring`): refused, aborted and failed as Measure is, but the last
    // sample and the result stay as they were. `reading` is set only when done.
    Outcome MeasureReading(const std::string& prompt, const std::string& measuring,
                           std::vector<CComplex>& reading);
    // The uncertainty budget of the result's point `point`; nothing when the result has no
    // uncertainty or no such point.
    std::optional<UncertaintyBudget> BudgetAt(std::size_t point) const;
    // Arms the external trigger and waits for it: done when it came.
    Outcome WaitForTrigger();

    // ---- Uncertainty ----
    // The calibration's part of every later measurement's uncertainty: the covariance of the
    // error terms at each point, from the standards' scatter, the water's temperature, the user
    // standards' parameters and a refresh. Computed after a calibration, a refresh, a change of
    // probe and a load; empty without a calibration.
    void ComputeCalibrationUncertainty();
    // result.uncertaintyE1/E2 of the result computed from the sample's reading (FillResult does
    // it at every measurement): the calibration's part and the sample's scatter propagated to e'
    // and e''. Nothing without a calibration.
    void FillUncertainty();
    // Whether anything an extended setup file keeps differs from a plain one's: an uncertainty
    // input away from its default, or a reading's known scatter.
    bool HoldsUncertainty() const;
    // The standard deviations of e' and e'' at each point of the result over `draws` draws of
    // every input (the readings from normal distributions with their covariance, the
    // temperature and the parameters with their standard uncertainties), the whole chain
    // computed anew for each: the Monte Carlo check of the propagation. Points invalid in a draw
    // are left out of it; 9999 where no draw gave the point. Empty without a calibration or a
    // result.
    struct MonteCarloResult {
        std::vector<double> e1;
        std::vector<double> e2;
    };
    MonteCarloResult MonteCarlo(int draws, std::uint64_t seed = 1) const;

    // ---- Setup file ----
    // After a setup file's section was read: restore the calibration into the same instrument,
    // or drop it with a message when it belongs to another; set up and verify otherwise.
    // storedName is the instrument name record as read (up to 200 bytes).
    // Returns the verification's result, when there was one.
    std::optional<SweepVerification> AfterLoad(const std::string& storedName);
    // Whether a stored instrument name record (up to 200 bytes) names the attached analyzer,
    // compared exactly.
    bool SameInstrument(const std::string& storedName) const;

    // ---- Instrument ----
    // After a reconnect to the same analyzer: the calibrated sweep back (when it lies within the
    // analyzer's limits and the error terms fit it), the calibration state restored and the
    // terms downloaded again; calibrated then. False, changing nothing, otherwise.
    // The sweep is then the calibrated one again, for the charts too.
    bool ResumeCalibration(const Sweep& calibratedSweep);

    // ---- Instrument ----
    std::string instrumentName;
    double minFrequency = 2e8;
    double maxFrequency = 2e10;
    int minPoints = 3;
    int maxPoints = 1601;
    CalState calState{};
    std::uint16_t calStateSize = 0;

    // ---- Sweep (saved) ----
    Sweep sweep;
    bool setChartScale = true;
    std::vector<double> frequencies;

    // ---- Calibration settings and standards (saved, but physicalCorrection) ----
    CalibrationSheet calSettings;
    ProbeModel model;

    // ---- Per-point arrays (saved) ----
    std::vector<CComplex> stdMeasured1;
    std::vector<CComplex> stdMeasured2;
    std::vector<CComplex> stdMeasured3;
    std::vector<CComplex> refreshMeasured;
    std::vector<CComplex> errorDirectivity;
    std::vector<CComplex> errorSourceMatch;
    std::vector<CComplex> errorTracking;
    std::vector<CComplex> sampleMeasured;
    // The last sample measurement (or the data file read into the Data trace); its sensitivity is
    // saved.
    MeasurementResult result;

    // ---- Uncertainty (kept by an extended setup file) ----
    // The scatter of each standard's reading, of the refresh's and of the sample's. A reading
    // taken during a calibration is raw; the refresh and the sample come corrected, and their
    // measured scatter is that of corrected values (their stated noise is the raw reading's).
    std::array<ReadingScatter, 3> stdScatter{};
    ReadingScatter refreshScatter;
    ReadingScatter sampleScatter;
    // A refresh changed the terms since the calibration.
    bool refreshed = false;
    std::vector<TermCovariance> termCovariance;

    // ---- State ----
    bool calibrated = false;
    int operatorResponse = 0;

private:
    // Per-point arrays are sized to the frequency list, so that no array is read or written past
    // its end when the list is shorter than numPoints (a log sweep before verification).
    int PointCount() const;
    void FillResult();
    // One input of the budget at a point, by its effect on the error terms: each part an
    // independent complex input (its covariance) and the terms' derivatives by it.
    struct TermInput {
        std::string name;
        std::string note;
        bool stated = false;
        std::vector<std::pair<std::array<Cplx, 3>, Cov2>> parts;
    };
    // The calibration's inputs at point i (empty when its terms cannot be solved); notes of the
    // point go to `notes` when given.
    std::vector<TermInput> CalibrationInputsAt(std::size_t i,
                                               std::vector<std::string>* notes = nullptr) const;
    // The covariance of the sample's corrected reflection at point i from its scatter, the raw
    // reading m rebuilt with the terms t.
    Cov2 SampleCovarianceAt(std::size_t i, Cplx m, const std::array<Cplx, 3>& t) const;
    // The prompt, the operator's answer and one reading, handed to `take` before the prompt ends;
    // refused without a calibration, aborted or failed as Measure is.
    Outcome ReadAtPrompt(const std::string& prompt, const std::string& measuring,
                         const std::function<void(std::vector<CComplex>&&)>& take);
    // A message box; without an operator interface the unattended answer (UnattendedAnswer).
    Answer Ask(const std::string& text, const std::string& caption, Buttons buttons = Buttons::Ok,
               Icon icon = Icon::None);
    // The reflection (1 - y) / (1 + y) that the probe model gives for eps at f.
    CComplex ModelReflection(double f, CComplex eps) const {
        return ModelReflection(model, f, eps);
    }
    static CComplex ModelReflection(const ProbeModel& with, double f, CComplex eps);
    // The calibration-state length handed to the driver: never more than the block holds.
    std::uint16_t CalStateLength() const;
    // One sweep into `trace`, sized to the sweep: MeasureTrace, or ReadTrace when `read` (the
    // sweep an external trigger started). False when the driver reports a failure, or when the
    // sweep holds readings that are no reflection (see UnusableReadings).
    bool TakeTrace(std::vector<CComplex>& trace, bool read = false);
    // After a reading failed: shows why (the unusable readings, or the driver's own text of what
    // went wrong, or a plain one), and returns the failure with that text.
    Outcome ReportFailedReading(const std::string& caption);
    // Ends the prompt sequence on the analyzer and closes the measure window, as an abort does.
    void AbortPrompt();
    // The wait hook: pumps the operator's events and answers whether the operator aborted.
    bool OperatorAbortsWait();
    // Shows a step of setting the analyzer up in the wait window; false when it was cancelled.
    bool SetupStep(const std::string& text);

    // What "Perform Cal..." changes before its last step: the standards' readings, the error
    // terms and whether the engine is calibrated.
    struct CalibrationBackup {
        std::vector<CComplex> stdMeasured1;
        std::vector<CComplex> stdMeasured2;
        std::vector<CComplex> stdMeasured3;
        std::vector<CComplex> errorDirectivity;
        std::vector<CComplex> errorSourceMatch;
        std::vector<CComplex> errorTracking;
        bool calibrated = false;
        std::array<ReadingScatter, 3> stdScatter;
        ReadingScatter refreshScatter;
        bool refreshed = false;
        std::vector<TermCovariance> termCovariance;
    };
    CalibrationBackup BackUpCalibration() const;
    // After an abort: puts the calibration back as it was before the command. The analyzer was
    // told to begin a calibration and now measures uncorrected, so a calibration that was in
    // force is downloaded again.
    void AbandonCalibration(CalibrationBackup&& before);
    // A standard's reading failed: the calibration ends as if aborted, with the driver's text.
    Outcome FailCalibration(CalibrationBackup&& before);
    // Why the analyzer's limits refuse the page's sweep; empty when they do not.
    std::string FrequencyRefusal(const FrequencyPage& page) const;
    // The rows the list sweep was last set from on the "Set Frequency" page, offered again when
    // the page opens on the list they give (RowsOfList).
    std::vector<FrequencySegment> listRows_;

    // Why the last TakeTrace refused a sweep the driver returned; empty otherwise.
    std::string unusableReadings_;
    // The scatter of the last TakeTrace's reading.
    ReadingScatter lastScatter_;
    // The result the last FillUncertainty belongs to (a data file read into the result has no
    // budget here).
    std::vector<CComplex> budgetOf_;
    IInstrumentDriver* driver_ = nullptr;
    EngineUi* ui_ = nullptr;
    std::unique_ptr<CMeasureDlg> measureDlg_;
    std::unique_ptr<CPromptDlg> waitDlg_;
    // The hook ended a wait of the driver since the last reading began (TakeTrace).
    bool waitAborted_ = false;
    // SetupInstrument put a linear sweep in place of a list the analyzer cannot sweep; the next
    // verification reports it as the analyzer's.
    bool listReplaced_ = false;
    bool inWaitHook_ = false;
};

}  // namespace kv
