// Prints, previews, the page set-up, clipboard copies and exports of the window front end, on a
// machine without a printer (printing goes to PDF). Any Qt warning fails the test.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <memory>
#include <string>

#include "AppTestSupport.h"
#include "app/CMainFrame.h"
#include "app/CPlot.h"
#include "app/CTable.h"
#include "app/QtOperatorUi.h"
#include "app/ViewOutputs.h"
#include "doc/CKv4731xDoc.h"
#include "doc/CommandIds.h"
#include "persist/ProfileStore.h"
#include "render/render.h"
#include "support/FakeRegistry.h"

namespace kv::test {
namespace {

std::vector<std::string> g_warnings;

// The offscreen platform says what it cannot do with windows (raise, size hints); those are
// not the printing's.
void Record(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg &&
        !message.startsWith(QStringLiteral("This plugin does not support"))) {
        g_warnings.push_back(message.toStdString());
    }
}

// The text of each page of a PDF, by pdftotext (poppler-utils) in its layout mode; the number of
// pages by pdfinfo. Both tools are required.
QStringList PdfPages(const QString& pdf) {
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    EXPECT_FALSE(pdfinfo.isEmpty()) << "pdfinfo (poppler-utils) is needed";
    EXPECT_FALSE(pdftotext.isEmpty()) << "pdftotext (poppler-utils) is needed";
    if (pdfinfo.isEmpty() || pdftotext.isEmpty()) {
        return {};
    }
    QProcess info;
    info.start(pdfinfo, {pdf});
    EXPECT_TRUE(info.waitForFinished());
    const auto count = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)\\n"))
                           .match(QString::fromLatin1(info.readAllStandardOutput()));
    EXPECT_TRUE(count.hasMatch());
    QProcess text;
    text.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(text.waitForFinished());
    QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) {
        pages.pop_back();
    }
    EXPECT_EQ(pages.size(), count.captured(1).toInt());
    return pages;
}

class ViewOutputsTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = TempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        // A remembered selection: the first show connects the fake analyzer without asking.
        profile.values[kProfileCardClsid] = kFakeCardClsid;
        profile.values[kProfileInstrumentClsid] = kFakeInstrumentClsid;
        doc = std::make_unique<CKv4731xDoc>(ui, registry, profile);
        doc->defaultsPath = folder + "/47310.dft";
        frame = std::make_unique<CMainFrame>(*doc, &ui, nullptr);
        frame->resize(1000, 600);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        Settle(20);
        // A 201-point measurement in the Data trace.
        doc->Engine().sweep.numPoints = 201;
        doc->Engine().frequencies.resize(201);
        CTrace& data = doc->Trace(kDataTrace);
        data.permittivity.clear();
        for (int i = 0; i < 201; ++i) {
            doc->Engine().frequencies[static_cast<std::size_t>(i)] = 2e8 + 1e8 * i;
            data.permittivity.push_back(CComplex(30.0 - 0.1 * i, 12.0));
        }
        data.frequencies = doc->Engine().frequencies;
        data.valid = data.displayed = true;
        doc->SetPathName(folder + "/run.tst");
        g_warnings.clear();
        previous_ = qInstallMessageHandler(Record);
    }
    void TearDown() override {
        qInstallMessageHandler(previous_);
        for (const std::string& warning : g_warnings) {
            ADD_FAILURE() << "Qt warned: " << warning;
        }
        frame.reset();
        doc.reset();
    }

    std::string folder;
    QtOperatorUi ui;
    FakeRegistry registry;
    MemoryProfileStore profile;
    std::unique_ptr<CKv4731xDoc> doc;
    std::unique_ptr<CMainFrame> frame;
    QtMessageHandler previous_ = nullptr;
};

TEST_F(ViewOutputsTest, CopiesFollowTheActivePane) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    frame->SetActiveView(frame->Table());
    frame->DispatchCommand(ID_EDIT_COPY);
    EXPECT_EQ(clipboard->text().toStdString(), doc->TableCopyText());

    // The chart as drawn at its last size on screen, also when only the table is shown.
    const QSize chartSize = frame->Chart()->LastScreenSize();
    ASSERT_FALSE(chartSize.isEmpty());
    frame->DispatchCommand(ID_VIEW_TABLE_ONLY);
    frame->SetActiveView(frame->Chart());
    frame->DispatchCommand(ID_EDIT_COPY);
    const QImage copied = clipboard->image();
    EXPECT_EQ(copied.size(), chartSize);
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32),
              RenderChartImage(*doc, chartSize).convertToFormat(QImage::Format_RGB32));
}

TEST_F(ViewOutputsTest, PrintingToPdfWritesBesideTheSetupFile) {
    ViewOutputs& out = frame->Outputs();
    ASSERT_TRUE(out.PrintsToFile());
    const QString pdf = QString::fromStdString(folder + "/run-table.pdf");
    EXPECT_EQ(out.DefaultPdfName(ViewKind::Table), pdf);
    OnNextModal<QPrintDialog>([&](QPrintDialog* dialog) {
        EXPECT_EQ(dialog->printer()->outputFileName(), pdf);
        dialog->accept();
    });
    frame->DispatchCommand(ID_PRINT_TABLE);
    ASSERT_TRUE(QFileInfo::exists(pdf));
    // Every row once, the column titles at the top of every page, as the PDF's own text says.
    const QStringList pages = PdfPages(pdf);
    ASSERT_GT(pages.size(), 1);
    QStringList rows;
    for (const QString& page : pages) {
        EXPECT_TRUE(page.contains(QRegularExpression(QStringLiteral("^Frequency\\s+e'\\s+e''$"),
                                                     QRegularExpression::MultilineOption)))
            << page.toStdString();
        for (const QString& line : page.split(QLatin1Char('\n'))) {
            if (line.contains(QStringLiteral("MHz")) || line.contains(QStringLiteral("GHz"))) {
                rows.push_back(
                    line.split(QLatin1Char(' '), Qt::SkipEmptyParts).mid(0, 2).join(' '));
            }
        }
    }
    ASSERT_EQ(rows.size(), 201);
    for (int i = 0; i < 201; ++i) {
        EXPECT_EQ(rows[i].toStdString(), doc->PointFrequencyText(i)) << i;
    }

    // The chart is one page, beside the setup file too.
    OnNextModal<QPrintDialog>([](QPrintDialog* dialog) {
        EXPECT_EQ(dialog->maxPage(), 1);
        dialog->accept();
    });
    frame->DispatchCommand(ID_PRINT_CHART);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(folder + "/run-chart.pdf")));
}

TEST_F(ViewOutputsTest, PreviewAndPageSetupWithoutASystemPrinter) {
    bool shown = false;
    OnNextModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* dialog) {
        shown = true;
        dialog->reject();
    });
    frame->DispatchCommand(ID_PRINT_TABLE_PREVIEW);
    EXPECT_TRUE(shown);
    // The previewed pane took the focus first.
    EXPECT_EQ(frame->ActiveView(), static_cast<QWidget*>(frame->Table()));

    // The page set-up of a PDF printer is the program's own: landscape A4.
    OnNextModal<QDialog>([](QDialog* dialog) {
        auto* orientation = dialog->findChild<QComboBox*>(QStringLiteral("orientation"));
        ASSERT_NE(orientation, nullptr);
        orientation->setCurrentIndex(1);
        dialog->accept();
    });
    frame->DispatchCommand(ID_FILE_PRINT_SETUP);
    EXPECT_EQ(frame->Outputs().Printer().pageLayout().orientation(), QPageLayout::Landscape);

    // A paper size the set-up does not list stays chosen through OK.
    frame->Outputs().Printer().setPageSize(QPageSize(QPageSize::B5));
    OnNextModal<QDialog>([](QDialog* dialog) {
        auto* size = dialog->findChild<QComboBox*>(QStringLiteral("pageSize"));
        ASSERT_NE(size, nullptr);
        EXPECT_EQ(size->currentText(), QPageSize(QPageSize::B5).name());
        dialog->accept();
    });
    frame->DispatchCommand(ID_FILE_PRINT_SETUP);
    EXPECT_EQ(frame->Outputs().Printer().pageLayout().pageSize().id(), QPageSize::B5);

    // Exported documents are written on that page: B5 landscape, 250 x 176 mm.
    const std::string pdf = folder + "/export.pdf";
    EXPECT_EQ(frame->Outputs().Export(ViewKind::Table, pdf), "");
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {QString::fromStdString(pdf)});
    ASSERT_TRUE(info.waitForFinished());
    const QString text = QString::fromLatin1(info.readAllStandardOutput());
    // 250 mm = 708.66 pt, 176 mm = 498.9 pt.
    EXPECT_TRUE(text.contains(
        QRegularExpression(QStringLiteral("Page size:\\s+70[89](\\.\\d+)? x 49[89]"))))
        << text.toStdString();
}

TEST_F(ViewOutputsTest, CtrlPPrintsTheActivePaneAndPlainPrintsKeepTheFocus) {
    // The table active: Ctrl+P prints the table, on its pages.
    frame->SetActiveView(frame->Table());
    const int tablePages = frame->Outputs().PageCount(ViewKind::Table);
    ASSERT_GT(tablePages, 1);
    QString printed;
    int maxPage = 0;
    OnNextModal<QPrintDialog>([&](QPrintDialog* dialog) {
        printed = dialog->printer()->docName();
        maxPage = dialog->maxPage();
        dialog->reject();
    });
    QTest::keyClick(frame->Table(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printed, QStringLiteral("47310C Table"));
    EXPECT_EQ(maxPage, tablePages);

    // "Print Chart" from the table pane leaves the keyboard focus on the table.
    OnNextModal<QPrintDialog>([&](QPrintDialog* dialog) {
        printed = dialog->printer()->docName();
        dialog->reject();
    });
    frame->DispatchCommand(ID_PRINT_CHART);
    EXPECT_EQ(printed, QStringLiteral("47310C Chart"));
    EXPECT_EQ(frame->ActiveView(), static_cast<QWidget*>(frame->Table()));
}

}  // namespace
}  // namespace kv::test
