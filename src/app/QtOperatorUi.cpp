#include "app/QtOperatorUi.h"
#include "app/SeriesDialog.h"
#include "persist/SeriesRecorder.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>

#include "app/BudgetDialog.h"
#include "app/CCalType.h"
#include "app/CSetup.h"
#include "app/CUserStds.h"
#include "app/CXscale.h"
#include "app/CYscale.h"
#include "app/CharacteriseDialogs.h"
#include "app/ComponentSettingsDialog.h"
#include "app/DisplayDialogs.h"
#include "app/GpibSelectDialog.h"
#include "app/MeasureWindow.h"
#include "app/PromptWindow.h"
#include "app/PropertySheet.h"
#include "app/TextConversion.h"
#include "app/TraceChoiceDialog.h"
#include "app/ViewOutputs.h"
#include "display/ScaleSheet.h"

namespace kv {

namespace {

// A modal window asks for an answer: it gets the ordinary arrow even while an operation shows the
// wait cursor.
class ArrowCursor {
public:
    explicit ArrowCursor(int waitDepth) : active_(waitDepth > 0) {
        if (active_) {
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        }
    }
    ~ArrowCursor() {
        if (active_) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    ArrowCursor(const ArrowCursor&) = delete;
    ArrowCursor& operator=(const ArrowCursor&) = delete;

private:
    bool active_;
};

QMessageBox::Icon BoxIcon(Icon icon) {
    switch (icon) {
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::Warning:
            return QMessageBox::Warning;
        case Icon::Stop:
            return QMessageBox::Critical;
        case Icon::Question:
            return QMessageBox::Question;
        case Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons BoxButtons(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return QMessageBox::Ok;
        case Buttons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case Buttons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
        case Buttons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton FirstButton(Buttons buttons) {
    switch (FirstAnswer(buttons)) {
        case Answer::Yes:
            return QMessageBox::Yes;
        case Answer::Retry:
            return QMessageBox::Retry;
        default:
            return QMessageBox::Ok;
    }
}

Answer AnswerOf(int button) {
    switch (button) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Retry:
            return Answer::Retry;
        default:
            return Answer::Cancel;
    }
}

int ShowBox(QWidget* parent, const QString& text, const QString& caption, Buttons buttons,
            Icon icon) {
    QMessageBox box(BoxIcon(icon),
                    caption.isEmpty() ? QStringLiteral("Tarvel Technologies 47310C") : caption,
                    text, BoxButtons(buttons), parent);
    box.setDefaultButton(FirstButton(buttons));
    if (buttons == Buttons::Ok) {
        box.setEscapeButton(QMessageBox::Ok);
    }
    return box.exec();
}

// A sheet of two pages over a copy of `values`, opened on `page`: on OK the copy and the active
// page go back, on Cancel nothing changes.
template <typename FirstPage, typename SecondPage, typename Values>
bool RunTwoPageSheet(QWidget* parent, int waitDepth, const char* name, const char* caption,
                     const char* firstTitle, const char* secondTitle, Values& values, int& page) {
    Values edited = values;
    PropertySheet dialog(QLatin1String(caption), parent);
    dialog.setObjectName(QLatin1String(name));
    dialog.AddPage(new FirstPage(edited), QLatin1String(firstTitle));
    dialog.AddPage(new SecondPage(edited), QLatin1String(secondTitle));
    dialog.SetActivePage(page);
    ArrowCursor arrow(waitDepth);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    values = edited;
    page = dialog.ActivePage();
    return true;
}

}  // namespace

QtOperatorUi::PaintScope::PaintScope(QtOperatorUi* ui) : ui_(ui) {
    if (ui_ != nullptr) {
        ++ui_->painting_;
    }
}

QtOperatorUi::PaintScope::~PaintScope() {
    if (ui_ != nullptr) {
        --ui_->painting_;
    }
}

Answer QtOperatorUi::Message(const std::string& text, const std::string& caption, Buttons buttons,
                             Icon icon) {
    if (painting_ > 0) {
        deferred_.push_back({FromCore(text), FromCore(caption), buttons, icon});
        if (!deferredPosted_) {
            deferredPosted_ = true;
            QTimer::singleShot(0, context_.get(), [this] { ShowDeferred(); });
        }
        return FirstAnswer(buttons);
    }
    // The selection dialog's commands ask questions midway: show their state behind the box.
    if (activeSelect_ != nullptr) {
        activeSelect_->SyncFromModel();
    }
    ArrowCursor arrow(waitDepth_);
    return AnswerOf(ShowBox(main_, FromCore(text), FromCore(caption), buttons, icon));
}

void QtOperatorUi::ShowDeferred() {
    deferredPosted_ = false;
    while (!deferred_.empty()) {
        const DeferredMessage m = deferred_.front();
        deferred_.erase(deferred_.begin());
        ArrowCursor arrow(waitDepth_);
        ShowBox(main_, m.text, m.caption, m.buttons, m.icon);
    }
}

void QtOperatorUi::Beep() {
    QApplication::beep();
}

void QtOperatorUi::BeginWaitCursor() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ++waitDepth_;
}

void QtOperatorUi::EndWaitCursor() {
    if (waitDepth_ > 0) {
        --waitDepth_;
        QGuiApplication::restoreOverrideCursor();
    }
}

void QtOperatorUi::PumpMessages() {
    // The bus search changes the dialog's state between passes: show it before painting.
    if (activeSelect_ != nullptr) {
        activeSelect_->SyncFromModel();
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (quit_) {
        return;
    }
    // Wait a little for input, so that a polling loop does not keep a core busy; any event ends
    // the wait at once.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(kPumpWaitMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

std::unique_ptr<CMeasureDlg> QtOperatorUi::CreateMeasureDlg() {
    return std::make_unique<MeasureWindow>(main_);
}

std::unique_ptr<CPromptDlg> QtOperatorUi::CreatePromptDlg() {
    return std::make_unique<PromptWindow>(main_);
}

bool QtOperatorUi::EditFrequencyPage(FrequencyPage& page) {
    FrequencyPage edited = page;
    PropertySheet sheet(QStringLiteral("Calibration"), main_);
    sheet.setObjectName(QStringLiteral("FrequencySheet"));
    sheet.AddPage(new CSetup(edited), QStringLiteral("Set Frequency"));
    ArrowCursor arrow(waitDepth_);
    if (sheet.exec() != QDialog::Accepted) {
        return false;
    }
    page = edited;
    return true;
}

bool QtOperatorUi::RunGpibSelect(CGpibSelectDlg& model) {
    GpibSelectDialog dialog(model, main_);
    activeSelect_ = &dialog;
    ArrowCursor arrow(waitDepth_);
    const bool ok = dialog.exec() == QDialog::Accepted;
    activeSelect_ = nullptr;
    return ok;
}

bool QtOperatorUi::EditComponentSettings(const std::string& title,
                                         std::vector<SettingDescription>& settings) {
    QWidget* parent = main_;
    if (activeSelect_ != nullptr) {
        parent = activeSelect_.data();
    }
    ComponentSettingsDialog dialog(title, settings, parent);
    ArrowCursor arrow(waitDepth_);
    return dialog.exec() == QDialog::Accepted;
}

int QtOperatorUi::ChooseTrace(const std::string& caption, const std::array<bool, 4>& enabled) {
    TraceChoiceDialog dialog(FromCore(caption), enabled, main_);
    ArrowCursor arrow(waitDepth_);
    if (dialog.exec() != QDialog::Accepted) {
        return -1;
    }
    return dialog.Choice();
}

std::optional<std::string> QtOperatorUi::RunFileDialog(const FileDialogRequest& request, bool save,
                                                       FileDialogOption* option) {
    QString caption = FromCore(request.caption);
    if (caption.isEmpty()) {
        caption = save ? QStringLiteral("Save As") : QStringLiteral("Open");
    }
    QString start = PathFromCore(request.fileName);
    if (start.isEmpty()) {
        start = QDir::currentPath();
    }
    QFileDialog dialog(main_, caption, start, QtFileFilter(request.filter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(FromCore(request.defaultExtension));
    // Asking before a file is overwritten is QFileDialog's default; it is kept on.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    // A check box goes below the file name, which only Qt's own dialog has room for.
    QCheckBox* box = nullptr;
    if (option != nullptr) {
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        box = new QCheckBox(FromCore(option->text), &dialog);
        box->setObjectName(QStringLiteral("FileDialogOption"));
        box->setChecked(option->checked);
        box->setEnabled(option->enabled);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            grid->addWidget(box, grid->rowCount(), 0, 1, -1);
        }
    }
    ArrowCursor arrow(waitDepth_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    if (box != nullptr) {
        option->checked = box->isChecked();
    }
    return PathToCore(dialog.selectedFiles().constFirst());
}

std::optional<std::string> QtOperatorUi::GetOpenFileName(const FileDialogRequest& request) {
    return RunFileDialog(request, false);
}

std::optional<std::string> QtOperatorUi::GetSaveFileName(const FileDialogRequest& request) {
    return RunFileDialog(request, true);
}

std::optional<std::string> QtOperatorUi::GetSaveFileNameWithOption(const FileDialogRequest& request,
                                                                   FileDialogOption& option) {
    return RunFileDialog(request, true, &option);
}

void QtOperatorUi::ShowBudget(const BudgetSheet& sheet) {
    ArrowCursor arrow(waitDepth_);
    BudgetDialog dialog(sheet, main_);
    dialog.exec();
}

bool QtOperatorUi::EditScaleSheet(ScaleSheet& sheet, int& page) {
    return RunTwoPageSheet<CXscale, CYscale>(main_, waitDepth_, "ScaleSheet", "Scale",
                                             "Horizonal Scale", "Vertical Scale", sheet, page);
}

bool QtOperatorUi::EditCalibrationSheet(CalibrationSheet& sheet, int& page) {
    return RunTwoPageSheet<CCalType, CUserStds>(main_, waitDepth_, "CalibrationSheet",
                                                "Calibration", "Calibration type",
                                                "User Defined Standards", sheet, page);
}

bool QtOperatorUi::AskSeries(SeriesPage& page) {
    ArrowCursor arrow(waitDepth_);
    SeriesDialog dialog(
        page,
        [this] {
            return GetSaveFileName({"Record", kSeriesFileFilter, kSeriesFileExtension, ""});
        },
        main_);
    return dialog.exec() == QDialog::Accepted;
}

void QtOperatorUi::SeriesRunningChanged(bool running) {
    if (seriesRunningSink_) {
        seriesRunningSink_(running);
    }
}

void QtOperatorUi::ShowSeriesProgress(const SeriesProgress& progress) {
    if (seriesProgressSink_) {
        seriesProgressSink_(QString::fromStdString(SeriesProgressText(progress)));
    }
}

bool QtOperatorUi::AskCharacterisation(CharacterisePage& page) {
    ArrowCursor arrow(waitDepth_);
    CharacteriseDialog dialog(page, main_);
    return dialog.exec() == QDialog::Accepted;
}

bool QtOperatorUi::ShowCharacterisation(const CharacterisationReport& report) {
    ArrowCursor arrow(waitDepth_);
    CharacterisationDialog dialog(report, main_);
    return dialog.exec() == QDialog::Accepted;
}

void QtOperatorUi::AddRecentFile(const std::string& path) {
    if (recentSink_) {
        recentSink_(path);
    }
}

bool QtOperatorUi::EditDisplaySheet(DisplaySheet& sheet, int& page) {
    ArrowCursor arrow(waitDepth_);
    return RunDisplaySheet(main_, sheet, page);
}

bool QtOperatorUi::EditDisplayOptions(DisplayOptionsSheet& sheet, int& page) {
    ArrowCursor arrow(waitDepth_);
    return RunDisplayOptionsSheet(main_, sheet, page);
}

void QtOperatorUi::PrintView(ViewKind view, bool preview) {
    if (outputs_ != nullptr) {
        ArrowCursor arrow(waitDepth_);
        outputs_->Print(view, preview);
    }
}

void QtOperatorUi::PrinterSetup() {
    if (outputs_ != nullptr) {
        ArrowCursor arrow(waitDepth_);
        outputs_->PageSetup();
    }
}

bool QtOperatorUi::CopyChartToClipboard() {
    return outputs_ != nullptr && outputs_->CopyChart();
}

bool QtOperatorUi::CopyTextToClipboard(const std::string& text) {
    return ViewOutputs::CopyText(text);
}

std::string QtOperatorUi::ExportView(ViewKind view, const std::string& path) {
    if (outputs_ == nullptr) {
        return "There is no view to export.";
    }
    return outputs_->Export(view, path);
}

void QtOperatorUi::ShowStatusText(const std::string& text) {
    if (statusSink_) {
        statusSink_(FromCore(text));
    }
}

void QtOperatorUi::CommandStatesChanged() {
    if (commandStateSink_) {
        commandStateSink_();
    }
}

}  // namespace kv
