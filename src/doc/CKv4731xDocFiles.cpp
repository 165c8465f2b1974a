// Setup files, data files and the defaults file of the document.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "doc/CKv4731xDoc.h"
#include "doc/OperatorUi.h"
#include "instrument/PrintableText.h"
#include "persist/DataFile.h"
#include "persist/EngineSection.h"
#include "persist/FileIo.h"
#include "persist/RecordImages.h"
#include "persist/SetupImage.h"

namespace kv {

namespace {

// No values: the uncertainty columns of a trace without them.
const std::vector<double> kNone{};

constexpr const char* kAppTitle = "Tarvel Technologies 47310C";
constexpr const char* kReadingSetupCaption = "Reading Setup file";
constexpr const char* kSavingSetupCaption = "Save Setup File";
constexpr const char* kNotSetupFileText =
    "Improper file type.  This file is not a setup file for this program.";
constexpr const char* kSaveDataCaption = "Save data";
constexpr const char* kReadingDataCaption = "Reading data file";
constexpr const char* kOpenDataCaption = "Open Data File";
constexpr const char* kOtherSweepQuestion =
    "The data in this file was made over a different frequency range than the current setup.  "
    "The settings will be changed to match this file.";
constexpr const char* kNoSensitivityText =
    "Sensitivity data was not included in this file.  Select a trace other than Data.";

std::string ReadErrorText(const std::string& path, FileStatus status) {
    if (status == FileStatus::NotFound) {
        return path + " was not found.";
    }
    if (status == FileStatus::NotAFile) {
        return path + " is not a file (a directory, a device or a pipe) and is not read.";
    }
    if (status == FileStatus::TooLarge) {
        return path + " is larger than " + std::to_string(kMaxFileBytes / (1024 * 1024)) +
               " MB and is not read.";
    }
    return "An unexpected error occurred while reading " + path + ".";
}

constexpr const char* kDefaultsNotWrittenText = "Could not open default file.";

std::string WriteErrorText(const std::string& path) {
    return "An unexpected error occurred while writing " + path + ".";
}

// The name the save question gives a document: its file name, or "Untitled".
std::string DocumentTitle(const std::string& path) {
    if (path.empty()) {
        return "Untitled";
    }
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The setup image of the document as it stands.
std::vector<std::uint8_t> SetupImageOf(const CKv4731xDoc& doc) {
    DocumentSection d;
    static_cast<DocumentSettings&>(d) = doc;
    d.instrumentName = doc.CurrentInstrumentName();
    d.tableFormatCode = doc.CurrentTableFormat() == TableFormat::RealTangent ? 1 : 0;
    d.chartFormatCode = static_cast<std::uint16_t>(RecordOf(doc.CurrentChartFormat()));

    SetupImageSource source;
    source.document = &d;
    for (int i = 0; i < kTraceCount; ++i) {
        source.traces[static_cast<std::size_t>(i)] = &doc.Trace(i);
    }
    for (int i = 0; i < kFormatCount; ++i) {
        source.formats[static_cast<std::size_t>(i)] = &doc.Format(i);
    }
    source.engine = &doc.Engine();

    return WriteSetupImage(source);
}

}  // namespace

// ------------------------------------------------------------------------- open, save, close

bool CKv4731xDoc::OnOpenDocument(const std::string& path) {
    if (IsDataFilePath(path)) {
        // A data file goes into a trace; the setup stays the document.
        LoadDataFile(path);
        return false;
    }
    return OpenSetupFile(path).Done();
}

bool CKv4731xDoc::OnSaveDocument(const std::string& path) {
    return SaveSetupFile(path).Done();
}

bool CKv4731xDoc::SaveModified() {
    if (!IsModified()) {
        return true;
    }
    const Answer answer = ui_.Message("Save changes to " + DocumentTitle(pathName_) + "?",
                                      kAppTitle, Buttons::YesNoCancel, Icon::Warning);
    if (answer == Answer::Cancel) {
        return false;
    }
    if (answer == Answer::No) {
        return true;
    }
    std::string path = pathName_;
    if (path.empty()) {
        FileDialogRequest request;
        request.filter = kSetupFileFilter;
        request.defaultExtension = kSetupFileExtension;
        request.fileName = "Untitled.tst";
        const auto chosen = ui_.GetSaveFileName(request);
        if (!chosen) {
            return false;
        }
        path = *chosen;
    }
    if (!OnSaveDocument(path)) {
        return false;
    }
    if (path != pathName_) {
        SetPathName(path);
        ui_.AddRecentFile(path);
    }
    return true;
}

bool CKv4731xDoc::OpenDocumentFile(const std::string& path) {
    if (Busy()) {
        return false;  // a dropped or recent file waits until the running operation ends
    }
    // A data file goes into a trace and leaves the setup in place: nothing to save first.
    if (!IsDataFilePath(path) && !SaveModified()) {
        return false;
    }
    if (!OnOpenDocument(path)) {
        return false;
    }
    SetPathName(path);
    ui_.AddRecentFile(path);
    return true;
}

// -------------------------------------------------------------------------------- setup files

Outcome CKv4731xDoc::LoadSetupFile(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    const FileStatus status = ReadWholeFile(path, bytes);
    if (status != FileStatus::Ok) {
        if (messagesEnabled) {
            ui_.Message(ReadErrorText(path, status), kReadingSetupCaption, Buttons::Ok);
        }
        return Outcome::Failure(ReadErrorText(path, status));
    }

    // The whole image is read before anything of the document changes, so a refused or damaged
    // file leaves the document exactly as it was.
    SetupImage image;
    switch (ReadSetupImage(bytes, image)) {
        case SetupReadResult::NotSetupFile:
            if (messagesEnabled) {
                ui_.Message(kNotSetupFileText, kReadingSetupCaption, Buttons::Ok);
            } else {
                defaultsValid = false;
            }
            return Outcome::Refusal(kNotSetupFileText);
        case SetupReadResult::Damaged:
            if (messagesEnabled) {
                ui_.Message(ReadErrorText(path, FileStatus::ReadFailed), kReadingSetupCaption,
                            Buttons::Ok);
            } else {
                defaultsValid = false;
            }
            return Outcome::Failure(ReadErrorText(path, FileStatus::ReadFailed));
        case SetupReadResult::Ok:
            break;
    }

    const DocumentSection& d = image.document;
    const std::string current = CurrentInstrumentName();
    if (messagesEnabled && d.instrumentName.find(current) == std::string::npos) {
        const Answer answer =
            ui_.Message("This setup file was not created by the currently selected instrument, '" +
                            PrintableText(current) + "'. It was created by '" +
                            PrintableText(d.instrumentName) + "'.",
                        kReadingSetupCaption, Buttons::OkCancel);
        if (answer == Answer::Cancel) {
            return Outcome::Abort("The setup file of another instrument was not loaded.");
        }
    }
    // A file made on another analyzer brings no calibration this one can use.
    if (messagesEnabled && !engine_->SameInstrument(d.instrumentName) &&
        !ConfirmDiscardCalibration()) {
        return Outcome::Abort("The setup file of another instrument was not loaded.");
    }

    messagesEnabled = true;
    static_cast<DocumentSettings&>(*this) = d;

    // The format codes select through the format operations, so that the views follow; a code
    // without a format selects nothing.
    if (d.tableFormatCode <= 1) {
        SelectTableFormat(d.tableFormatCode == 1 ? TableFormat::RealTangent
                                                 : TableFormat::RealImaginary);
    }
    if (d.chartFormatCode < kChartFormatCount) {
        if (const auto format = ChartFormatAt(d.chartFormatCode)) {
            SelectChartFormat(*format);
        }
    }

    for (int i = 0; i < kTraceCount; ++i) {
        RestoreLabel(i);
        TakeTraceRecord(Trace(i), image.traces[static_cast<std::size_t>(i)]);
    }
    for (int i = 0; i < kFormatCount; ++i) {
        Format(i) = std::move(image.formats[static_cast<std::size_t>(i)]);
    }

    // No setup file keeps a trace's uncertainty; the last result's is the one the engine section
    // gives back, if any.
    for (int i = 0; i < kTraceCount; ++i) {
        Trace(i).uncertaintyE1.clear();
        Trace(i).uncertaintyE2.clear();
    }
    engine_->result.uncertaintyE1.clear();
    engine_->result.uncertaintyE2.clear();
    TakeEngineSection(*engine_, *image.engine);
    // The Data trace as read is the last result, with the sensitivity the engine section kept.
    engine_->result.frequencies = Trace(kDataTrace).frequencies;
    engine_->result.permittivity = Trace(kDataTrace).permittivity;
    TakeResultUncertainty();
    if (const auto verification = engine_->AfterLoad(image.storedName)) {
        ApplyVerification(*verification);
    }
    UpdateAllViews();
    return Outcome::Finished();
}

Outcome CKv4731xDoc::StoreSetupFile(const std::string& path) {
    if (WriteFileAtomically(path, SetupImageOf(*this)) != FileStatus::Ok) {
        ui_.Message(WriteErrorText(path), kSavingSetupCaption, Buttons::Ok);
        return Outcome::Failure(WriteErrorText(path));
    }
    return Outcome::Finished();
}

// --------------------------------------------------------------------------------- data files

void CKv4731xDoc::OnSaveDataFile() {
    std::array<bool, kTraceCount> valid{};
    bool any = false;
    for (int i = 0; i < kTraceCount; ++i) {
        valid[static_cast<std::size_t>(i)] = TraceValid(i);
        any = any || TraceValid(i);
    }
    if (!any) {
        ui_.Message("None of the traces are valid.", kSaveDataCaption, Buttons::Ok);
        return;
    }
    const int chosen = ui_.ChooseTrace("Select trace to be stored.", valid);
    if (chosen < 0 || chosen >= kTraceCount || !valid[static_cast<std::size_t>(chosen)]) {
        return;
    }
    FileDialogRequest request;
    request.filter = kDataFileFilter;
    request.defaultExtension = kDataFileExtension;
    // The u(e') and u(e'') columns are offered for the Data trace's uncertainty; a trace without
    // one is saved without them, and the operator's last choice stays for the next save.
    FileDialogOption option{kIncludeUncertaintyText, chosen == kDataTrace && DataHasUncertainty(),
                            includeUncertainty};
    const auto path = ui_.GetSaveFileNameWithOption(request, option);
    if (!path) {
        return;
    }
    const bool remembered = option.enabled ? option.checked : includeUncertainty;
    includeUncertainty = option.enabled && option.checked;
    const bool saved = SaveDataFile(*path, chosen).Done();
    includeUncertainty = remembered;
    if (saved) {
        ui_.AddRecentFile(*path);
    }
}

Outcome CKv4731xDoc::SaveDataFile(const std::string& path, int trace) {
    if (!TraceValid(trace)) {
        return Outcome::Refusal("The trace holds no valid data.");
    }
    // The uncertainty columns are those of the Data trace's result: another trace gets 9999
    // there, as a point without them.
    const MeasurementResult& r = engine_->result;
    const bool own = trace == kDataTrace;
    const std::string text =
        includeUncertainty ? FormatDataFileWithUncertainty(
                                 engine_->frequencies, Trace(trace).permittivity, r.sensitivity,
                                 own ? r.uncertaintyE1 : kNone, own ? r.uncertaintyE2 : kNone)
                           : FormatDataFile(engine_->frequencies, Trace(trace).permittivity,
                                            includeSensitivity ? &r.sensitivity : nullptr);
    if (WriteFileAtomically(path, text) != FileStatus::Ok) {
        ui_.Message(WriteErrorText(path), kSaveDataCaption, Buttons::Ok);
        return Outcome::Failure(WriteErrorText(path));
    }
    return Outcome::Finished();
}

void CKv4731xDoc::OnOpenDataFile() {
    FileDialogRequest request;
    request.filter = kDataFileFilter;
    request.defaultExtension = kDataFileExtension;
    const auto path = ui_.GetOpenFileName(request);
    if (path) {
        LoadDataFile(*path);
    }
}

void CKv4731xDoc::LoadDataFile(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    const FileStatus status = ReadWholeFile(path, bytes);
    if (status != FileStatus::Ok) {
        ui_.Message(ReadErrorText(path, status), kReadingDataCaption, Buttons::Ok);
        return;
    }
    const DataFileParse parse =
        ParseDataFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    switch (parse.status) {
        case DataFileStatus::NotDataFile:
            // The answer changes nothing.
            ui_.Message("Improper file type.", kReadingDataCaption, Buttons::OkCancel);
            return;
        case DataFileStatus::BadLine:
            // Nothing of a file with a line that does not read is taken: a value silently kept
            // from the line before would be a wrong result.
            ui_.Message("Line " + std::to_string(parse.line) + " of " + path +
                            " does not hold the numbers its header names.",
                        kReadingDataCaption, Buttons::Ok);
            return;
        case DataFileStatus::NoData:
            ui_.Message(path + " holds no data.", kReadingDataCaption, Buttons::Ok);
            return;
        case DataFileStatus::Ok:
            break;
    }
    const DataFileContents& file = parse.contents;

    for (;;) {
        const int chosen = ui_.ChooseTrace("Select trace to store data", {true, true, true, true});
        if (chosen < 0 || chosen >= kTraceCount) {
            return;
        }
        if (!SameFrequencies(file.frequencies, engine_->frequencies)) {
            if (ui_.Message(kOtherSweepQuestion, kOpenDataCaption, Buttons::OkCancel) ==
                Answer::Cancel) {
                return;
            }
            // Adopt the file's sweep: the other traces no longer belong to it. A list the
            // analyzer cannot sweep loads nothing.
            const auto verification = engine_->AdoptSweepOf(file.frequencies, sweep.sweepType);
            if (!verification) {
                return;
            }
            for (int i = 1; i < kTraceCount; ++i) {
                Trace(i).valid = false;
            }
            reservedFlag7 = false;
            ApplyVerification(*verification);
            sweep = engine_->sweep;
            ApplySweepToCharts();
            SetModified();
        }
        if (chosen == kDataTrace) {
            if (!file.hasSensitivity) {
                ui_.Message(kNoSensitivityText, kOpenDataCaption, Buttons::Ok);
                continue;
            }
            engine_->result = {file.frequencies, file.permittivity, file.sensitivity,
                               file.uncertaintyE1, file.uncertaintyE2};
        }
        CTrace record;
        record.frequencies = file.frequencies;
        record.permittivity = file.permittivity;
        record.valid = true;
        // A trace the operator just loaded is shown at once: loading a file to look at it and
        // finding nothing drawn would read as a failed load.
        record.displayed = true;
        RestoreLabel(chosen);
        Trace(chosen).CopyFrom(record);
        if (chosen == kDataTrace) {
            TakeResultUncertainty();
        }
        SetModified();
        UpdateAllViews();
        return;
    }
}

// ------------------------------------------------------------------------------ defaults file

void CKv4731xDoc::ReadDefaultsFile() {
    // No defaults file (or one that cannot be read) is no error: first show writes one.
    std::vector<std::uint8_t> bytes;
    if (ReadWholeFile(defaultsPath, bytes) != FileStatus::Ok) {
        defaultsValid = false;
        return;
    }
    // At first show the messages are off and the defaults become the starting point of an
    // unchanged setup; "Reset defaults" replaces the setup, which is then a change to save.
    const bool command = messagesEnabled;
    const bool wasModified = IsModified();
    const bool loaded = LoadSetupFile(defaultsPath).Done();
    defaultsValid = loaded;
    SetModified(command ? (wasModified || loaded) : wasModified);
}

Outcome CKv4731xDoc::WriteDefaultsFile() {
    if (WriteFileAtomically(defaultsPath, SetupImageOf(*this)) != FileStatus::Ok) {
        ui_.Message(kDefaultsNotWrittenText, "Save defaults", Buttons::Ok);
        return Outcome::Failure(kDefaultsNotWrittenText);
    }
    return Outcome::Finished();
}

}  // namespace kv
