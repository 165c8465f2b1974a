#pragma once

// The one document: every setting of a measurement setup, the probe engine, the four traces, the
// chart and table formats, the annotations, and the reference to the analyzer driver. Its
// operations take what they act on (a chart format, a page); the command table (CommandTable.h)
// turns the main window's menu commands into them, and the setup file is its image.

#include <array>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/CPlotFormat.h"
#include "display/CTrace.h"
#include "display/ChartFormats.h"
#include "display/DisplaySheets.h"
#include "display/LogFont.h"
#include "display/TimeChart.h"
#include "display/TimeSeries.h"
#include "display/TraceValues.h"
#include "doc/MeasurementSeries.h"
#include "instrument/ComponentRegistry.h"
#include "instrument/IInstrumentDriver.h"
#include "persist/ProbeFiles.h"
#include "persist/ProfileStore.h"
#include "persist/SetupImage.h"
#include "probe/CProbeEngine.h"
#include "probe/CalibrationSheet.h"
#include "probe/ReferenceLiquids.h"
#include "probe/Units.h"
#include "probefit/ProbeFit.h"

namespace kv {

class OperatorUi;

// A fitted probe whose reading of the liquid still deviates from it by more than this (relative
// to |e|) at some point measured something else: the probe was not in the liquid, or the liquid
// is not the one named.
inline constexpr double kMaxFittedDeviation = 0.1;

// What a characterisation of the probe came to: the fit (when the liquid was measured) and, when
// done, the probe it gave.
struct Characterisation {
    Outcome outcome;
    std::optional<ProbeFit> fit;
    CharacterisedProbe probe;
};

inline constexpr const char* kFileMagic = kSetupMagic;
inline constexpr const char* kSiblingFileMagic = kSetupSiblingMagic;
inline constexpr const char* kDefaultsFileName = "47310.dft";
inline constexpr const char* kNeedsInstrumentText = "This function requires an instrument.";
inline constexpr const char* kNeedsInstrumentCaption = "Instrument";
// The data-file save dialog's check box for the u(e') and u(e'') columns.
inline constexpr const char* kIncludeUncertaintyText = "Include uncertainty";
// The program's setting of "Uncertainty Band" ("0" off; on otherwise).
inline constexpr const char* kProfileUncertaintyBand = "UNCERTAINTY BAND";
inline constexpr const char* kNoBudgetText = "No uncertainty budget is known at ";

// What a view is asked to do when the document changed.
enum class UpdateHint { All, ScrollToMarker };

class DocumentView {
public:
    virtual ~DocumentView() = default;
    virtual void OnDocumentUpdate(UpdateHint hint) = 0;
};

// The document's stored settings (DocumentSettings: the session's flags, trace math and marker,
// sheet pages and sweep, and the display settings' annotations, styles and time stamps) are its
// base, one value that a setup file's section is copied into and out of; their names are the
// document's own.
class CKv4731xDoc : public DocumentSettings {
public:
    CKv4731xDoc(OperatorUi& ui, IComponentRegistry& registry, ProfileStore& profile);
    ~CKv4731xDoc();
    CKv4731xDoc(const CKv4731xDoc&) = delete;
    CKv4731xDoc& operator=(const CKv4731xDoc&) = delete;

    // ---------------------------------------------------------------- lifetime
    // Called whenever the views become visible; the first call runs the first-show sequence
    // (connect the instrument, read the defaults file, write one when none was valid).
    void OnViewsShown();
    // The chart view was created: it registers, and the document selects chart format e' and
    // table format real and imaginary through their commands. The default fonts were assigned
    // once when the document was made, from the stock system font, whichever front end runs.
    void RegisterChartView(DocumentView* view);
    void RegisterTableView(DocumentView* view) { RegisterView(view); }
    // Anything else that follows the document's updates (the main frame's status bar).
    void RegisterView(DocumentView* view);
    void UnregisterView(DocumentView* view);
    void UpdateAllViews(UpdateHint hint);

    // Open step: a path containing ".prn" or ".PRN" is loaded as a data file and the step reports
    // false, so that the setup stays; any other path is read as a setup file.
    bool OnOpenDocument(const std::string& path);
    // Writes the setup file (SaveSetupFile); false (with a message) when it cannot be written.
    bool OnSaveDocument(const std::string& path);
    // Asks whether to save a modified setup before it is closed; false means the operator
    // cancelled and the setup must stay.
    bool SaveModified();
    // The whole open of a named file (Open, the recent-file list, a dropped file, the command
    // line): asks to save a modified setup, runs the open step and, when a setup file was read,
    // takes its name and adds it to the recent-file list. False when nothing was opened (a data
    // file, which goes into a trace, never opens as the document).
    bool OpenDocumentFile(const std::string& path);

    // ---------------------------------------------------------------- commands
    // True while a command or an open of the document runs: whatever the operator can still
    // reach meanwhile (through the message pump of a wait) must not change the setup under it.
    bool Busy() const { return busyDepth_ > 0; }

    // ---------------------------------------------------------------- operations
    // What the menu commands do once their dialogs are answered, for a front end that has the
    // values already (the terminal). Each says what happened; the messages are shown as the menu
    // command shows them, and a finished one sets the status text the menu command sets.
    //
    // A new sweep from a filled-in page (log sweep only where the analyzer offers it): the traces
    // are invalidated and the setup modified.
    Outcome SetSweep(const FrequencyPage& page);
    // The calibration settings as the "Calibration" sheet shows them, and a change of them (the
    // probe's coefficients follow).
    CalibrationSheet CalibrationSettings() const;
    void ConfigureCalibration(const CalibrationSheet& sheet);
    // Refused without an analyzer ("This function requires an instrument.").
    Outcome PerformCalibration();
    Outcome RefreshCalibration();
    // A sample measurement now, or on the analyzer's external trigger.
    Outcome Measure(bool onExternalTrigger = false);
    // Characterises the probe with a reference liquid at a temperature (Celsius) it is offered
    // at: prompts for the liquid ("Insert probe into <liquid> at <T> C."), measures it without
    // touching the last sample and fits the probe model's frequency scale, and its coefficient
    // scale after a load/air/short calibration, over the points within the liquid's frequency
    // range. A fit that leaves a deviation above kMaxFittedDeviation is refused as well.
    // A good fit becomes the engine's probe with its deviation after the fit (the calibration
    // recomputed with it, the setup modified), and the probe is returned under `name`; a refused
    // fit fails with its reason and leaves the probe as it was. Refused for a name a probe cannot
    // have, without an analyzer, without a calibration, and for a temperature the liquid is not
    // offered at.
    Characterisation CharacteriseProbe(const ReferenceLiquid& liquid, double temperatureC,
                                       const std::string& name);
    // A probe to measure with: a stock type (0 A, 1 B) and the scales of its model (both 1 for
    // the stock probe). A calibration in force is computed anew for it; the setup is modified.
    // `relativeDeviation` is a characterised probe's remaining relative deviation after its fit
    // (a type B term of the uncertainty; 0 for a stock probe).
    void UseProbe(int stockType, double frequencyScale, double coefficientScale,
                  double relativeDeviation = 0.0);
    // Puts a reference liquid's permittivity at a temperature (Celsius) on the current frequencies
    // into a memory (1 to 3): valid, displayed and labelled "< <id> <T> C", the setup modified.
    // The model is computed at every point, also outside the liquid's frequency range (the chart
    // shows where it leads), and only a point it cannot be computed at holds 9999 in both parts.
    // When the Data trace holds a valid measurement, the message "Reference Liquid" then gives
    // the comparison of the measurement with the liquid over the points within that range (the
    // numbers of the terminal's --check). Refused, with a message, for a temperature the liquid
    // is not offered at and for a trace that is not a memory.
    Outcome PutReferenceLiquid(const ReferenceLiquid& liquid, double temperatureC, int memory);
    // "Reference Liquid...": asks the liquid, its temperature and the memory on a page of plain
    // values, again after a refusal, and puts the liquid into the memory.
    void OnReferenceLiquid();
    // The files the library of reference liquids is read from; empty: ReferenceLiquidPaths().
    std::vector<std::string> referenceLiquidPaths;
    // "Characterise Probe...": the dialog of the liquid, its temperature and the probe's name
    // (asked again after a refusal), the characterisation, and its result with Save (into the
    // probe library; a refused save shows why and the result again) or Cancel (the probe as it
    // was before). A refused characterisation changes nothing.
    void OnCharacteriseProbe();
    // The probe library the window saves to and lists (empty: ProbeLibraryFolder()).
    std::string probeLibraryFolder;
    std::string ProbeFolder() const;
    // Writes a trace (Data with the sensitivity column when it is included); refused for a trace
    // that holds no valid data.
    Outcome SaveDataFile(const std::string& path, int trace = kDataTrace);
    // Writes the setup file; the setup is then unmodified.
    Outcome SaveSetupFile(const std::string& path);
    // Reads a setup file into the document, which is then unmodified; a data-file path is refused.
    Outcome OpenSetupFile(const std::string& path);
    // Writes the defaults file ("Save as default").
    Outcome SaveDefaults();

    // ---------------------------------------------------------------- series
    // "Measure Continuously": the dialog of the series (asked again after a refusal), then the
    // series.
    void OnMeasureContinuously();
    // Measures again and again without a prompt as `plan` says, each result shown in the views
    // and appended to `timeSeries` (cleared at the start) and to the plan's file. It ends with
    // its count or duration, or after the sweep in progress when StopSeries was called, the
    // operator interface asked it to stop (SeriesStopRequested) or the program is ending. A
    // failed reading or a failed write ends it with its message shown, the last good result
    // staying shown; an existing file is refused before anything is measured. Done with the
    // number of records in `records` unless something failed. Every command that changes the
    // setup is refused meanwhile (Busy).
    struct SeriesEvents {
        // After each record: its index and time (seconds since the start).
        std::function<void(int index, double seconds, const SeriesProgress&)> recorded;
        // Slots given up because a measurement overran them (interval series).
        std::function<void(long slots, double seconds)> skipped;
    };
    Outcome MeasureSeries(const SeriesPlan& plan, const SeriesEvents& events = {});
    void StopSeries() { seriesStopRequested_ = true; }
    bool SeriesRunning() const { return seriesRunning_; }
    // The records the last series made.
    int SeriesRecords() const { return seriesRecords_; }
    // When the calibration in force was made or refreshed in this session (0: unknown, such as
    // a calibration read from a setup file). No file keeps it.
    std::time_t calibrationTime = 0;

    // ---------------------------------------------------------------- display sheets
    // The "Display" sheet on `page` (-1: the last one shown).
    void OnDisplaySheet(int page);
    // The "Display options" sheet on `page` (-1: the last one shown), or the sheet of the four
    // trace pages only.
    void OnDisplayOptions(int page);
    void OnTraceOptions();
    DisplayOptionsSheet DisplayOptionsValues() const;

    // ---------------------------------------------------------------- printing and clipboard
    // The text of the table copy: the shown annotations, the header line and a row per point,
    // with the sensitivity column when it is included, then the Data trace's u(e') and u(e'')
    // ("% 9.4f") while the table shows them.
    std::string TableCopyText() const;
    void OnCopyChart();
    void OnCopyTable();
    void OnExport(ViewKind view);

    // ---------------------------------------------------------------- Touchstone export
    // True when the last sample's reflection belongs to the current sweep.
    bool HasSampleReflection() const;
    // The last sample's S11 as a version 1 Touchstone file: corrected as measured, or with
    // `beforeCorrection` the reading before correction (the error terms applied backwards; the
    // reading itself when there are no terms for the sweep). Empty without a sample, and when a
    // value is not a finite number (a file holds numbers only).
    std::string SampleTouchstoneText(bool beforeCorrection) const;
    // Writes that text to `path`; refused without a sample, failed when a value is not a number or
    // the file cannot be written.
    Outcome WriteSampleTouchstone(const std::string& path, bool beforeCorrection) const;
    // "Export Touchstone...": asks a file name and writes the corrected S11.
    void OnExportTouchstone();

    // ---------------------------------------------------------------- instrument
    // Connects the selected analyzer (the selection dialog first when nothing is selected),
    // showing each step in the wait window with Cancel; a failure asks Retry or Cancel with "The
    // selected instrument could not be initialized" and a second line naming the analyzer, the
    // card, the addresses and the driver's reason. A calibration in force survives when the same
    // analyzer (by its identification) answers. False without a connection; connectCancelled
    // tells when the operator ended it.
    bool Connect();
    bool connectCancelled = false;
    // The selection dialog; true when the analyzer's own settings were changed in it.
    bool Select();
    bool HasInstrument() const { return driver_ != nullptr; }
    IInstrumentDriver* Driver() const { return driver_.get(); }
    std::string CurrentInstrumentName() const { return engine_->instrumentName; }
    void ReadProfile();
    void WriteProfile();

    // ---------------------------------------------------------------- engine dispatch
    // Sets the analyzer up for the engine's sweep (nothing without an analyzer).
    void SetupInstrument();
    // Sets the analyzer up, sends the frequency list and verifies the sweep it reports.
    void VerifyInstrumentSetup();
    // The engine owns the sweep, the calibration and the last result; the document applies what
    // its operations return.
    CProbeEngine& Engine() { return *engine_; }
    const CProbeEngine& Engine() const { return *engine_; }
    // The last sample measurement (or data file read into the Data trace): frequencies,
    // permittivity and sensitivity, one place for every view and front end.
    const MeasurementResult& Result() const { return engine_->result; }
    bool LogSweepAvailable() const { return engine_->LogSweepAvailable(); }

    // ---------------------------------------------------------------- texts
    // Fixed frequency text of point i of the current list, or "???????" past its end.
    std::string PointFrequencyText(int i) const;
    // "[" + the reference trace's label + "]".
    std::string ReferenceTag() const;
    // The current chart format's name, with " / [ref]" or " - [ref]" under trace math.
    std::string ChartParameterLabel() const;
    // The table's trace-math legend; empty with math off.
    std::string TraceMathLegend() const;

    // ---------------------------------------------------------------- traces
    CTrace& Trace(int index) { return traces_[static_cast<std::size_t>(index)]; }
    const CTrace& Trace(int index) const { return traces_[static_cast<std::size_t>(index)]; }
    bool TraceDisplayedAndValid(int index) const;
    bool AnyTraceDisplayedAndValid() const;
    bool TraceValid(int index) const;

    // ---------------------------------------------------------------- formats
    CPlotFormat& Format(int index) { return formats_[static_cast<std::size_t>(index)]; }
    const CPlotFormat& Format(int index) const { return formats_[static_cast<std::size_t>(index)]; }
    ChartFormat CurrentChartFormat() const { return currentChartFormat_; }
    TableFormat CurrentTableFormat() const { return currentTableFormat_; }
    CPlotFormat& CurrentChart() { return Format(RecordOf(currentChartFormat_)); }
    const CPlotFormat& CurrentChart() const { return Format(RecordOf(currentChartFormat_)); }
    // A change of format updates the views and marks the document modified; choosing the current
    // one changes nothing (the menus' check marks follow the current formats).
    void SelectChartFormat(ChartFormat format);
    void SelectTableFormat(TableFormat format);

    // ---------------------------------------------------------------- views (chart and table)
    // Number of points the views iterate over: the current number of points of the sweep.
    int ViewPointCount() const;
    // Value of point i of trace t in the current chart format, trace math applied.
    double XValue(int trace, int point) const;
    double YValue(int trace, int point) const;
    // Cell text of trace t, point i, column 0 or 1 in the current table format, trimmed.
    std::string CellText(int trace, int point, int column) const;
    // The table copy's row of point i (frequency, then two columns per shown trace, four with
    // permeability).
    std::string CopyRowText(int point, bool permeability = false) const;
    // The table copy's header fields, one for each field of its rows.
    std::vector<std::string> CopyTitles(bool permeability, bool sensitivity) const;
    // The title of column c (0 or 1) of trace t in the table view: the table format's column
    // title, preceded by the trace's caption when two or more traces are shown.
    std::string ColumnTitle(int trace, int column) const;
    // The uncertainty of the Data trace: whether it has one for every point, whether the table
    // and its copy show it (the band is on, the Data trace displayed and valid with an
    // uncertainty, trace math off), and the columns' titles and cells (c: 0 u(e'), 1 u(e'')).
    bool DataHasUncertainty() const;
    bool UncertaintyColumnsShown() const;
    std::string UncertaintyTitle(int column) const;
    std::string UncertaintyText(int point, int column) const;
    // The band's extent at point i of trace t in the current chart format (see ChartUncertainty);
    // none while the band is off.
    std::optional<UncertaintyExtent> BandAt(int trace, int point) const;
    // "Uncertainty Band": shows or hides the band and the table's uncertainty columns; the choice
    // is kept in the program's settings, not in the setup.
    void ToggleUncertaintyBand();
    // "Budget...": the uncertainty budget at the marker's point (the first point while the marker
    // was never placed), or a message when the engine has none there.
    void OnUncertaintyBudget();
    // The chart commands.
    void Autoscale();
    void SetScale(int page);  // page 0 horizontal, 1 vertical, -1 the last one shown
    void DefaultScale();
    void ToggleMarker();
    // Paint-time checks: a logarithmic axis whose limits cannot be drawn is corrected with a
    // message; trace math with an invalid reference is turned off with a message.
    void CheckLogLimits();
    void CheckReference();
    // The marker placed by a click (turned on, check mark set; a click in the chart also scrolls
    // the table to it) or moved by a key (stays as it is), both views redrawn.
    void PlaceMarker(int index, bool scrollTable = true);
    enum class MarkerKey { Home, End, Up, Down };
    void MoveMarker(MarkerKey key);

    // ---------------------------------------------------------------- time chart
    // The time chart's settings: the program's settings keep them, no setup file does. Setting
    // them gives the series its frequencies (records already taken keep their values) and
    // redraws the views; the setup is not modified.
    const TimeChartSettings& TimeChart() const { return timeChart_; }
    void SetTimeChart(const TimeChartSettings& settings);
    // The marker's frequency (of the current sweep) into the first unused slot, or into the last
    // slot when all four are used; false when the marker is off or already there.
    bool AddMarkerFrequencyToTimeChart();
    // A series about to start follows the marker's frequency (else the middle of the sweep) on
    // the time chart when no frequency is chosen, so that it never shows nothing.
    void FollowAFrequencyWhenNoneIsChosen();
    // Autoscale on; or off, the limits drawn last kept as the time chart's scale.
    void ToggleTimeChartAutoscale();
    // Limits typed for the time chart: autoscale goes off; false (nothing changes) for limits
    // that are not finite and increasing.
    bool SetTimeChartScale(const TimeChartBounds& bounds);
    // A record was appended to timeSeries: the views are redrawn.
    void SeriesRecordAdded();

    // ---------------------------------------------------------------- files
    // Setup files: read with the magic and instrument checks, applied only when the whole image
    // was read (aborted when the operator cancels at the instrument question); written through a
    // temporary file.
    Outcome LoadSetupFile(const std::string& path);
    Outcome StoreSetupFile(const std::string& path);
    // Data files: the "Open Data File..." and "Save Data File..." commands, and the load of a
    // named data file (the open step's ".prn" path).
    void OnOpenDataFile();
    void OnSaveDataFile();
    void LoadDataFile(const std::string& path);
    // Defaults file: read at first show (silently) and by "Reset defaults"; written at first
    // show when none was valid and by "Save as default".
    void ReadDefaultsFile();
    Outcome WriteDefaultsFile();

    // ---------------------------------------------------------------- state
    bool IsModified() const { return modified_; }
    void SetModified(bool modified = true) { modified_ = modified; }
    const std::string& PathName() const { return pathName_; }
    void SetPathName(const std::string& path) { pathName_ = path; }

    // All four traces hold no valid data and are not displayed (their arrays stay).
    void InvalidateAllTraces();
    void UpdateAllViews() { UpdateAllViews(UpdateHint::All); }

    // Where the defaults file lives (the working directory unless a test says otherwise).
    std::string defaultsPath = kDefaultsFileName;

    // ------------------------------------------------ data model (names as the program uses them)
    // Identity and selection.
    std::string fileMagic = kFileMagic;
    std::string cardAddress = "0";
    std::string instrumentAddress = "16";
    std::string cardClsid;
    std::string instrumentClsid;
    std::string rememberedCardClsid;
    std::string rememberedInstrumentClsid;

    // Flags that no file keeps.
    bool messagesEnabled = true;
    bool defaultsValid = false;
    bool reverseUnsupported = false;
    bool firstShowDone = false;
    // The next data file saved gets the u(e') and u(e'') columns (and the sensitivity column):
    // the save dialog's check box, the terminal's --uncertainty with --out.
    bool includeUncertainty = false;
    // The records of the series being measured (or the last one), for the time chart; no file
    // keeps them.
    TimeSeries timeSeries;
    // The chart's band of +-2u and the table's u(e') and u(e'') columns are shown (the program's
    // settings keep it; no setup file does).
    bool uncertaintyBand = true;

    // Used by the chart view's line width (belongs to the chart view; 1 at every start).
    int chartLineWidth = 1;

private:
    friend bool RunDocumentCommand(CKv4731xDoc& doc, int id);
    // Marks the document busy for a command, or for an operation that waits for the operator or
    // the analyzer when it is called directly; the menus are told when that begins and ends.
    class BusyScope {
    public:
        explicit BusyScope(CKv4731xDoc& doc);
        ~BusyScope();
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        CKv4731xDoc& doc_;
    };
    // After a new sweep: the traces no longer belong to it, and the setup changed.
    void SweepEdited();
    void FirstShow();
    // Title x1.5, time and date x0.6, every other font as the system font, face "Time New Roman".
    void AssignDefaultFonts(const LogFont& systemFont);
    // Shows "This function requires an instrument." when no driver is attached.
    bool RequireInstrument();
    void ReleaseDriver();
    // "This discards the current calibration. Continue?" when a calibration is in force; true
    // to go on.
    bool ConfirmDiscardCalibration();
    std::string ComponentName(const char* category, const std::string& clsid) const;
    // The second line of a failed connection: analyzer, card, addresses and the reason.
    std::string ConnectionLine(const std::string& reason) const;
    void OnFileSave();
    void OnFileSaveAs();
    void OnConfigureCal();
    void OnGpibInstrument();
    void OnSetFrequency();
    void OnResetDefaults();
    void ApplyDisplayOptions(const DisplayOptionsSheet& sheet);
    void ApplyTraceStyles(const DisplayOptionsSheet& sheet);
    // The six frequency charts take a sweep as their horizontal range (current and default, and
    // the autoscale offer when asked).
    void SetChartSweep(const Sweep& sweep, bool offerToo);
    // The engine's sweep becomes the frequency charts' range, the autoscale offer included.
    void ApplySweepToCharts();
    // After the engine verified the analyzer's sweep: a sweep it took from the analyzer becomes
    // the document's frequency settings and the frequency charts' current and default range, and
    // no trace belongs to it.
    void ApplyVerification(const SweepVerification& verification);
    // A checked "Set Frequency" page: the engine takes the sweep ("Set Chart Scale": the
    // document's frequency settings and the charts follow it, redrawn before the analyzer is set
    // up), the analyzer is set up and the sweep verified; the traces no longer belong to it.
    void ApplySweepPage(const FrequencyPage& page);
    // A sample measurement finished: its result becomes the Data trace (valid and displayed, the
    // time stamps renewed when they follow measurements), and the views show it.
    void ShowMeasurement();
    // The Data trace takes the result's uncertainty when it has one for each of its points, and
    // has none otherwise.
    void TakeResultUncertainty();

    OperatorUi& ui_;
    IComponentRegistry& registry_;
    ProfileStore& profile_;
    std::unique_ptr<CProbeEngine> engine_;
    std::shared_ptr<IInstrumentDriver> driver_;
    std::array<CTrace, kTraceCount> traces_;
    std::array<CPlotFormat, kFormatRecordCount> formats_;
    ChartFormat currentChartFormat_ = ChartFormat::E1;
    TableFormat currentTableFormat_ = TableFormat::RealImaginary;
    std::vector<DocumentView*> views_;
    bool modified_ = false;
    std::string pathName_;
    int busyDepth_ = 0;
    // The series: running, asked to stop, its records, the page of its dialog as last used.
    bool seriesRunning_ = false;
    bool seriesStopRequested_ = false;
    int seriesRecords_ = 0;
    SeriesPage seriesPage_;
    // Set while the operator already agreed to give up the calibration.
    bool discardConfirmed_ = false;
    TimeChartSettings timeChart_;
    // A memory labelled for a reference liquid: the label it had before and the liquid's label.
    // A memory that takes other values gets its label back, unless the operator changed it.
    struct LiquidLabel {
        std::string before;
        std::string liquid;
    };
    std::array<std::optional<LiquidLabel>, kTraceCount> liquidLabels_;
    void RestoreLabel(int trace);
    // The last answers of "Reference Liquid..." (identifier, temperature text, memory 1 to 3).
    std::string lastLiquid_;
    std::string lastLiquidTemperature_;
    int lastLiquidMemory_ = 1;
};

}  // namespace kv
