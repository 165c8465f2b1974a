#include "doc/CKv4731xDoc.h"

#include <algorithm>

#include "doc/CGpibSelectDlg.h"
#include "doc/OperatorUi.h"
#include "instrument/InstrumentDriverBase.h"
#include "instrument/PrintableText.h"
#include "probe/FrequencyList.h"

namespace kv {

namespace {

constexpr const char* kConnectFailedText = "The selected instrument could not be initialized";
constexpr const char* kConnectFailedCaption = "IEEE 488 Interface";
constexpr const char* kConnectingText = "Connecting to the analyzer.";
constexpr const char* kIdentifyingText = "Identifying the analyzer.";

}  // namespace

CKv4731xDoc::CKv4731xDoc(OperatorUi& ui, IComponentRegistry& registry, ProfileStore& profile)
    : ui_(ui), registry_(registry), profile_(profile), engine_(std::make_unique<CProbeEngine>()) {
    engine_->SetUi(&ui_);
    fileMagic = kFileMagic;

    dateStamp = timeStamp = std::time(nullptr);
    // The traces first: the default fonts include theirs.
    for (int i = 0; i < kTraceCount; ++i) {
        traces_[static_cast<std::size_t>(i)] = CTrace(kTraceLabels[i], kTraceColours[i]);
    }
    AssignDefaultFonts(StockSystemFont());
    formats_ = DefaultFormatRecords();
    currentChartFormat_ = ChartFormat::E1;
    currentTableFormat_ = TableFormat::RealImaginary;

    // A new document's engine starts from the document's frequency settings.
    engine_->sweep = sweep;
    engine_->BuildFrequencyList();

    // The addresses start as "0" and "16" and the CLSIDs empty (member initialisers); the
    // profile then replaces them, an empty address by its default.
    ReadProfile();
}

CKv4731xDoc::~CKv4731xDoc() {
    // The engine must not keep a link to a driver that is released with the document, nor the
    // driver a hook into the engine.
    engine_->WatchWaits(driver_.get(), false);
    engine_->SetDriver(nullptr);
    engine_.reset();
    driver_.reset();
}

// ------------------------------------------------------------------------------------ lifetime

void CKv4731xDoc::OnViewsShown() {
    if (!firstShowDone) {
        FirstShow();
    }
}

void CKv4731xDoc::FirstShow() {
    WaitCursor wait(&ui_);
    // The operator's events pass while the analyzer is set up (Cancel works): the commands wait
    // as during any other operation.
    struct Busy {
        CKv4731xDoc& doc;
        explicit Busy(CKv4731xDoc& d) : doc(d) {
            if (doc.busyDepth_++ == 0) {
                doc.ui_.CommandStatesChanged();
            }
        }
        ~Busy() {
            if (--doc.busyDepth_ == 0) {
                doc.ui_.CommandStatesChanged();
            }
        }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;
    } busy(*this);
    if (Connect()) {
        engine_->SetupInstrument();
        engine_->HideWait();
    }

    messagesEnabled = false;
    ReadDefaultsFile();
    dateStamp = timeStamp = std::time(nullptr);
    messagesEnabled = true;

    // The defaults file may have replaced engine settings: attach again.
    engine_->SetDriver(driver_.get());

    if (!defaultsValid) {
        WriteDefaultsFile();
    }
    firstShowDone = true;
    UpdateAllViews();
}

void CKv4731xDoc::AssignDefaultFonts(const LogFont& systemFont) {
    LogFont base = systemFont;
    base.SetFaceName(kDefaultFaceName);

    title.font = base;
    title.font.height = static_cast<std::int32_t>(base.height * 1.5);
    title.font.width = static_cast<std::int32_t>(base.width * 1.5);
    subtitle.font = base;
    tableFont = base;
    scaleFont = base;
    parameterFont = base;
    timeDateFont = base;
    timeDateFont.height = static_cast<std::int32_t>(base.height * 0.6);
    timeDateFont.width = static_cast<std::int32_t>(base.width * 0.6);
    for (auto& trace : traces_) {
        trace.font = base;
    }
}

void CKv4731xDoc::RegisterChartView(DocumentView* view) {
    RegisterView(view);
    SelectChartFormat(ChartFormat::E1);
    SelectTableFormat(TableFormat::RealImaginary);
}

void CKv4731xDoc::RegisterView(DocumentView* view) {
    if (view != nullptr && std::find(views_.begin(), views_.end(), view) == views_.end()) {
        views_.push_back(view);
    }
}

void CKv4731xDoc::UnregisterView(DocumentView* view) {
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void CKv4731xDoc::UpdateAllViews(UpdateHint hint) {
    for (DocumentView* view : views_) {
        view->OnDocumentUpdate(hint);
    }
}

// ------------------------------------------------------------------------------------ commands

bool CKv4731xDoc::RequireInstrument() {
    if (driver_ != nullptr) {
        return true;
    }
    ui_.Message(kNeedsInstrumentText, kNeedsInstrumentCaption, Buttons::Ok);
    return false;
}

void CKv4731xDoc::SelectChartFormat(ChartFormat format) {
    if (format != currentChartFormat_) {
        currentChartFormat_ = format;
        UpdateAllViews();
        SetModified();
    }
}

void CKv4731xDoc::SelectTableFormat(TableFormat format) {
    if (format != currentTableFormat_) {
        currentTableFormat_ = format;
        UpdateAllViews();
        SetModified();
    }
}

void CKv4731xDoc::OnSetFrequency() {
    if (const auto page = engine_->EditFrequency()) {
        ApplySweepPage(*page);
    }
}

void CKv4731xDoc::OnResetDefaults() {
    // The defaults replace the calibration along with everything else.
    if (!ConfirmDiscardCalibration()) {
        return;
    }
    discardConfirmed_ = true;
    ReadDefaultsFile();
    // The defaults' own stamps are those of the day they were saved.
    if (defaultsValid) {
        dateStamp = timeStamp = std::time(nullptr);
    }
    discardConfirmed_ = false;
    UpdateAllViews();
}

void CKv4731xDoc::OnFileSave() {
    if (pathName_.empty()) {
        OnFileSaveAs();
        return;
    }
    OnSaveDocument(pathName_);
}

void CKv4731xDoc::OnFileSaveAs() {
    FileDialogRequest request;
    request.filter = kSetupFileFilter;
    request.defaultExtension = kSetupFileExtension;
    request.fileName = pathName_;
    const auto path = ui_.GetSaveFileName(request);
    if (!path) {
        return;
    }
    if (OnSaveDocument(*path)) {
        SetPathName(*path);
        ui_.AddRecentFile(*path);
    }
}

void CKv4731xDoc::OnConfigureCal() {
    CalibrationSheet sheet = CalibrationSettings();
    for (const CharacterisedProbe& p : ListProbes(ProbeFolder()).probes) {
        sheet.probes.push_back(
            {p.name, p.stockType, p.frequencyScale, p.coefficientScale, p.after.rms});
    }
    int page = calSheetPage;
    if (!ui_.EditCalibrationSheet(sheet, page)) {
        return;
    }
    ConfigureCalibration(sheet);
    calSheetPage = page;
}

void CKv4731xDoc::OnGpibInstrument() {
    WaitCursor wait(&ui_);
    const std::array<std::string, 6> before = {cardClsid,           instrumentClsid,
                                               cardAddress,         instrumentAddress,
                                               rememberedCardClsid, rememberedInstrumentClsid};
    const bool settingsChanged = Select();
    const bool sameSelection = cardClsid == before[0] && instrumentClsid == before[1] &&
                               cardAddress == before[2] && instrumentAddress == before[3];
    if (driver_ != nullptr && sameSelection && !settingsChanged) {
        // Nothing to connect anew: the connection and its calibration stay.
        UpdateAllViews();
        return;
    }
    if (!sameSelection) {
        if (!ConfirmDiscardCalibration()) {
            cardClsid = before[0];
            instrumentClsid = before[1];
            cardAddress = before[2];
            instrumentAddress = before[3];
            rememberedCardClsid = before[4];
            rememberedInstrumentClsid = before[5];
            return;
        }
        engine_->calibrated = false;
    }
    Connect();
    VerifyInstrumentSetup();
    firstShowDone = true;
    UpdateAllViews();
}

// ---------------------------------------------------------------------------------- instrument

void CKv4731xDoc::ReadProfile() {
    cardClsid = profile_.Read(kProfileCardClsid);
    instrumentClsid = profile_.Read(kProfileInstrumentClsid);
    // An empty bus address reads as the default one; a card that reads texts keeps an empty
    // one (a network card's default port, for one).
    bool textCard = false;
    bool busCard = false;
    std::vector<ComponentInfo> cards;
    if (!cardClsid.empty() && registry_.List(kGpibCardCategory, cards)) {
        for (const ComponentInfo& c : cards) {
            textCard = textCard || (c.clsid == cardClsid && c.addresses == AddressKind::Text);
            busCard = busCard || (c.clsid == cardClsid && c.addresses == AddressKind::Numbers);
        }
    }
    const std::string instrument = profile_.Read(kProfileInstrumentAddress);
    const std::string card = profile_.Read(kProfileCardAddress);
    instrumentAddress = instrument.empty() && !textCard ? std::string("16") : instrument;
    cardAddress = card.empty() && !textCard ? std::string("7") : card;
    // Addresses kept for a card that reads texts (a host and a port) mean nothing on a bus card.
    if (busCard && !AddressesFit(AddressKind::Numbers, cardAddress, instrumentAddress)) {
        DefaultAddresses(AddressKind::Numbers, cardAddress, instrumentAddress);
    }
    rememberedCardClsid = cardClsid;
    rememberedInstrumentClsid = instrumentClsid;
    uncertaintyBand = profile_.Read(kProfileUncertaintyBand) != "0";
}

void CKv4731xDoc::WriteProfile() {
    profile_.Write(kProfileCardClsid, cardClsid);
    profile_.Write(kProfileInstrumentClsid, instrumentClsid);
    profile_.Write(kProfileInstrumentAddress, instrumentAddress);
    profile_.Write(kProfileCardAddress, cardAddress);
}

void CKv4731xDoc::ReleaseDriver() {
    // The engine keeps only a link: clear it before the reference goes.
    engine_->WatchWaits(driver_.get(), false);
    engine_->SetDriver(nullptr);
    driver_.reset();
}

bool CKv4731xDoc::ConfirmDiscardCalibration() {
    if (driver_ == nullptr || !engine_->calibrated || discardConfirmed_) {
        return true;
    }
    return ui_.ConfirmDiscardCalibration();
}

std::string CKv4731xDoc::ComponentName(const char* category, const std::string& clsid) const {
    std::vector<ComponentInfo> list;
    if (registry_.List(category, list)) {
        for (const ComponentInfo& c : list) {
            if (c.clsid == clsid) {
                return c.name;
            }
        }
    }
    return clsid.empty() ? std::string("(none)") : clsid;
}

std::string CKv4731xDoc::ConnectionLine(const std::string& reason) const {
    auto shown = [](const std::string& address) {
        return address.empty() ? std::string("(none)") : "\"" + address + "\"";
    };
    return PrintableText(ComponentName(kInstrumentCategory, instrumentClsid) + " on " +
                         ComponentName(kGpibCardCategory, cardClsid) + ", card address " +
                         shown(cardAddress) + ", instrument address " + shown(instrumentAddress) +
                         ": " + reason);
}

bool CKv4731xDoc::Connect() {
    connectCancelled = false;
    // A calibration in force is kept when the same analyzer answers again (a reconnect after a
    // change of its settings, a retry): the preset clears the analyzer's correction, so the
    // error terms are downloaded again.
    const bool wasCalibrated = engine_->calibrated && driver_ != nullptr;
    const std::string previousName = engine_->instrumentName;
    const Sweep calibratedSweep = engine_->sweep;
    for (;;) {
        ReleaseDriver();
        if (cardClsid.empty() || instrumentClsid.empty()) {
            Select();
        }

        std::shared_ptr<IInstrumentDriver> driver;
        const CreateResult created = registry_.CreateDriver(instrumentClsid, driver);
        // Every step says what it does, and Cancel (or a request to end the program) ends it,
        // a wait on the analyzer included.
        engine_->ShowWait(kConnectingText, kConnectFailedCaption);
        engine_->OfferCancel();
        engine_->WatchWaits(driver.get());
        const auto step = [this](const char* text) {
            engine_->ShowWait(text, kConnectFailedCaption);
            return !engine_->WaitCancelled();
        };
        // Why the connection failed, in the driver's words when it has some.
        auto reasonOf = [&driver](const char* fallback) {
            const auto* errors = dynamic_cast<const IDriverErrors*>(driver.get());
            const std::string said = errors != nullptr ? errors->LastError() : std::string();
            return said.empty() ? std::string(fallback) : said;
        };
        std::string reason;
        if (created != CreateResult::Ok || driver == nullptr) {
            reason = created == CreateResult::NoInterface
                         ? "the component is not an analyzer driver."
                         : "the component could not be created.";
        } else if (driver->SelectGpibCard(cardClsid) != 0) {
            reason = reasonOf("the analyzer does not work with this card.");
        } else if (driver->SetAddresses(cardAddress, instrumentAddress) != 0) {
            reason = reasonOf("the addresses were refused.");
        } else if (driver->CheckInstrument() != 0) {
            reason = reasonOf("no instrument answered at these addresses.");
        } else if (!step(kIdentifyingText) ||
                   driver->OpenInstrument(cardAddress, instrumentAddress) != 0) {
            reason = reasonOf("the instrument could not be opened.");
        } else if (!engine_->WaitCancelled()) {
            driver_ = std::move(driver);
            engine_->SetDriver(driver_.get());
            if (driver_->SupportsReverseMeasurement() != 0) {
                reverseUnsupported = false;
            } else {
                reverseUnsupported = true;
                forwardOnly = true;
            }
            // Preparing presets the analyzer, which clears whatever correction it held: error
            // terms the engine still has no longer belong to what the analyzer delivers, unless
            // they are downloaded again into the same analyzer.
            const CProbeEngine::Preparation prepared = engine_->PrepareInstrument();
            engine_->calibrated = false;
            if (prepared.fitted) {
                ApplySweepToCharts();
            }
            if (prepared.preset && !engine_->WaitCancelled()) {
                engine_->HideWait();
                WriteProfile();
                if (wasCalibrated && !previousName.empty() &&
                    engine_->instrumentName == previousName &&
                    engine_->ResumeCalibration(calibratedSweep)) {
                    ApplySweepToCharts();
                }
                return true;
            }
            // A failed preset leaves the analyzer in no known state: no connection.
            driver = driver_;
            reason = reasonOf("the analyzer could not be preset.");
            ReleaseDriver();
        }
        if (engine_->WaitCancelled()) {
            // The operator ended the connection: nothing of it stays, and nobody is asked.
            engine_->HideWait();
            driver.reset();
            ReleaseDriver();
            connectCancelled = true;
            return false;
        }
        engine_->HideWait();
        const std::string text = std::string(kConnectFailedText) + "\n" + ConnectionLine(reason);

        if (created != CreateResult::NotCreated) {
            // A component that was created but would not connect: forget the selection, so
            // that the next attempt shows the dialog.
            cardClsid.clear();
            instrumentClsid.clear();
        }
        driver.reset();
        if (ui_.Message(text, kConnectFailedCaption, Buttons::RetryCancel, Icon::Warning) !=
            Answer::Retry) {
            ReleaseDriver();
            return false;
        }
    }
}

bool CKv4731xDoc::Select() {
    CGpibSelectDlg dialog(registry_, ui_);
    dialog.cardAddress = cardAddress;
    dialog.instrumentAddress = instrumentAddress;
    dialog.rememberedCardClsid = rememberedCardClsid;
    dialog.rememberedInstrumentClsid = rememberedInstrumentClsid;
    dialog.Initialize();

    std::string card = rememberedCardClsid;
    std::string instrument = rememberedInstrumentClsid;
    if (ui_.RunGpibSelect(dialog)) {
        card = dialog.CardClsid();
        instrument = dialog.InstrumentClsid();
        cardAddress = dialog.cardAddress;
        instrumentAddress = dialog.instrumentAddress;
    }
    cardClsid = rememberedCardClsid = card;
    instrumentClsid = rememberedInstrumentClsid = instrument;
    return dialog.settingsChanged;
}

// ----------------------------------------------------------------------------- engine dispatch

void CKv4731xDoc::SetupInstrument() {
    if (driver_ != nullptr) {
        engine_->SetupInstrument();
    }
}

void CKv4731xDoc::VerifyInstrumentSetup() {
    SetupInstrument();
    if (driver_ != nullptr) {
        const auto& f = engine_->frequencies;
        driver_->SetFrequencyList(f, static_cast<int>(f.size()),
                                  SweepTypeCode(engine_->sweep.sweepType));
    }
    ApplyVerification(engine_->VerifyInstrumentSetup(kSetupChangedMessage));
}

void CKv4731xDoc::ApplyVerification(const SweepVerification& verification) {
    if (verification.adopted) {
        InvalidateAllTraces();
        sweep = *verification.adopted;
        SetChartSweep(sweep, false);
    }
}

void CKv4731xDoc::ApplySweepPage(const FrequencyPage& page) {
    engine_->TakeSweep(page);
    if (page.setChartScale) {
        sweep = engine_->sweep;
        ApplySweepToCharts();
    }
    ApplyVerification(engine_->SendSweep());
    SweepEdited();
}

// --------------------------------------------------------------------------------------- texts

std::string CKv4731xDoc::PointFrequencyText(int i) const {
    const auto& f = engine_->frequencies;
    if (i < 0 || static_cast<std::size_t>(i) >= f.size()) {
        return "???????";
    }
    return FrequencyText(f[static_cast<std::size_t>(i)], FrequencyForm::Fixed);
}

std::string CKv4731xDoc::ReferenceTag() const {
    const int r = std::clamp(referenceTrace, 0, kTraceCount - 1);
    return "[" + Trace(r).label + "]";
}

std::string CKv4731xDoc::ChartParameterLabel() const {
    std::string label = CurrentChart().name;
    if (mathMode == TraceMath::Divide) {
        label += " / " + ReferenceTag();
    } else if (mathMode == TraceMath::Subtract) {
        label += " - " + ReferenceTag();
    }
    return label;
}

std::string CKv4731xDoc::TraceMathLegend() const {
    if (mathMode == TraceMath::Divide) {
        return "Listed measurements are divided by " + ReferenceTag();
    }
    if (mathMode == TraceMath::Subtract) {
        return "Listed measurements have " + ReferenceTag() + " subtracted from them";
    }
    return {};
}

// -------------------------------------------------------------------------------------- traces

bool CKv4731xDoc::TraceDisplayedAndValid(int index) const {
    return index >= 0 && index < kTraceCount && Trace(index).DisplayedAndValid();
}

bool CKv4731xDoc::AnyTraceDisplayedAndValid() const {
    for (int i = 0; i < kTraceCount; ++i) {
        if (TraceDisplayedAndValid(i)) {
            return true;
        }
    }
    return false;
}

bool CKv4731xDoc::TraceValid(int index) const {
    return index >= 0 && index < kTraceCount && Trace(index).valid;
}

// --------------------------------------------------------------------------- results and sweeps

void CKv4731xDoc::InvalidateAllTraces() {
    for (auto& trace : traces_) {
        trace.displayed = false;
        trace.valid = false;
    }
}

void CKv4731xDoc::SetChartSweep(const Sweep& s, bool offerToo) {
    for (int i = 0; i < kFormatRecordCount; ++i) {
        if (!kFormatRows[i].chart || kFormatRows[i].coleCole) {
            continue;
        }
        CPlotFormat& f = Format(i);
        f.current.xMin = f.defaults.xMin = s.startValue;
        f.current.xMax = f.defaults.xMax = s.stopValue;
        f.minUnit = f.defaultMinUnit = s.startUnit;
        f.maxUnit = f.defaultMaxUnit = s.stopUnit;
        f.xLog = ChartAxisLogarithmic(s) ? 1 : 0;
        if (offerToo) {
            f.offer.xMin = s.startValue;
            f.offer.xMax = s.stopValue;
            f.offerMinUnit = s.startUnit;
            f.offerMaxUnit = s.stopUnit;
        }
    }
}

void CKv4731xDoc::ApplySweepToCharts() {
    SetChartSweep(engine_->sweep, true);
    UpdateAllViews();
}

void CKv4731xDoc::ShowMeasurement() {
    const MeasurementResult& result = engine_->result;
    CTrace& data = traces_[kDataTrace];
    data.frequencies = result.frequencies;
    data.permittivity = result.permittivity;
    TakeResultUncertainty();
    // Unchecked "Update on measurement" keeps the stamps the operator set.
    if (timeDateUpdate) {
        dateStamp = timeStamp = std::time(nullptr);
    }
    data.valid = true;
    data.displayed = true;
    UpdateAllViews();
    ui_.PumpMessages();
}

}  // namespace kv
