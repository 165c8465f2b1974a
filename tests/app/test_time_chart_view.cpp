// The time chart in the window: its View toggle and pane, its settings in the program's settings,
// and its export.

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QTest>
#include <memory>
#include <string>

#include "AppTestSupport.h"
#include "app/CMainFrame.h"
#include "app/CPlot.h"
#include "app/CTable.h"
#include "app/CTimeChart.h"
#include "app/TimeChartSettingsStore.h"
#include "app/ViewOutputs.h"
#include "doc/CKv4731xDoc.h"
#include "doc/CommandIds.h"
#include "persist/ProfileStore.h"
#include "support/FakeRegistry.h"
#include "support/ScriptedUi.h"

namespace kv::test {
namespace {

class TimeChartView : public ::testing::Test {
protected:
    void SetUp() override {
        folder = QString::fromStdString(
            TempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        doc = std::make_unique<CKv4731xDoc>(ui, registry, profile);
        doc->defaultsPath = (folder + QStringLiteral("/47310.dft")).toStdString();
    }
    void TearDown() override {
        frame.reset();
        doc.reset();
    }

    // The program's settings, private to the test.
    std::unique_ptr<QSettings> Settings() {
        return std::make_unique<QSettings>(folder + QStringLiteral("/settings.ini"),
                                           QSettings::IniFormat);
    }

    QString folder;
    ScriptedUi ui;
    FakeRegistry registry;
    MemoryProfileStore profile;
    std::unique_ptr<CKv4731xDoc> doc;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(TimeChartView, SettingsRoundTripAndUnreadableValuesKeepTheirDefaults) {
    TimeChartSettings saved;
    saved.shown = true;
    saved.quantity = TimeChartQuantity::LossTangent;
    saved.frequencies = {1.23456789e9, 0, 915e6, 2.45e9};
    saved.autoscale = false;
    saved.scale = {-5, 7200.5, -0.125, 0.1};
    SaveTimeChartSettings(*Settings(), saved);
    EXPECT_EQ(LoadTimeChartSettings(*Settings()), saved);

    // Nothing stored: the defaults. A frequency that is no number and limits that do not
    // increase keep theirs.
    const TimeChartSettings defaults;
    QFile::remove(folder + QStringLiteral("/settings.ini"));
    EXPECT_EQ(LoadTimeChartSettings(*Settings()), defaults);
    {
        auto settings = Settings();
        settings->setValue(QStringLiteral("Time Chart/Frequency2"), QStringLiteral("2 GHz"));
        settings->setValue(QStringLiteral("Time Chart/Frequency3"), QStringLiteral("3e9"));
        settings->setValue(QStringLiteral("Time Chart/TimeFrom"), QStringLiteral("10"));
        settings->setValue(QStringLiteral("Time Chart/TimeTo"), QStringLiteral("5"));
    }
    const TimeChartSettings read = LoadTimeChartSettings(*Settings());
    EXPECT_EQ(read.frequencies, (std::array<double, 4>{0, 0, 3e9, 0}));
    EXPECT_EQ(read.scale, defaults.scale);
}

TEST_F(TimeChartView, ViewToggleShowsThePaneAndKeepsItInTheSettings) {
    frame = std::make_unique<CMainFrame>(*doc, nullptr, nullptr);
    auto settings = Settings();
    frame->SetSettings(settings.get());
    frame->resize(1000, 700);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    Settle(50);

    QAction* toggle = frame->Action(ID_VIEW_TIME_CHART);
    ASSERT_NE(toggle, nullptr);
    EXPECT_TRUE(toggle->isCheckable());
    EXPECT_TRUE(toggle->isEnabled());
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE(frame->TimeChart()->isVisible());

    frame->DispatchCommand(ID_VIEW_TIME_CHART);
    EXPECT_TRUE(frame->TimeChart()->isVisible());
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_TRUE(toggle->isEnabled());
    EXPECT_EQ(frame->ActiveView(), frame->TimeChart());
    EXPECT_TRUE(LoadTimeChartSettings(*Settings()).shown);
    // Three panes: F6 goes round them, Shift+F6 back.
    frame->DispatchCommand(ID_NEXT_PANE);
    EXPECT_EQ(frame->ActiveView(), static_cast<QWidget*>(frame->Chart()));
    frame->DispatchCommand(ID_PREV_PANE);
    frame->DispatchCommand(ID_PREV_PANE);
    EXPECT_EQ(frame->ActiveView(), static_cast<QWidget*>(frame->Table()));
    // "Add Marker Frequency" waits for the marker.
    doc->markerOn = false;
    frame->UpdateCommandStates();
    EXPECT_FALSE(frame->Action(ID_TIME_CHART_MARKER_FREQUENCY)->isEnabled());
    doc->markerOn = true;
    frame->UpdateCommandStates();
    EXPECT_TRUE(frame->Action(ID_TIME_CHART_MARKER_FREQUENCY)->isEnabled());

    // Hidden again while it is the active pane: the chart takes over.
    frame->SetActiveView(frame->TimeChart());
    frame->DispatchCommand(ID_VIEW_TIME_CHART);
    EXPECT_FALSE(frame->TimeChart()->isVisible());
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(frame->ActiveView(), static_cast<QWidget*>(frame->Chart()));
    EXPECT_FALSE(LoadTimeChartSettings(*Settings()).shown);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(TimeChartView, ExportsAtTheSizeOnScreen) {
    TimeChartSettings settings;
    settings.shown = true;
    settings.frequencies = {1e9, 0, 0, 0};
    doc->SetTimeChart(settings);
    MeasurementResult result;
    result.frequencies = {1e9};
    result.permittivity = {CComplex(30, 20)};
    for (int i = 0; i < 3; ++i) {
        doc->timeSeries.Append(i, 10.0 * i, result);
    }
    frame = std::make_unique<CMainFrame>(*doc, nullptr, nullptr);
    frame->resize(1000, 700);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    Settle(50);
    const QSize onScreen = frame->TimeChart()->LastScreenSize();
    ASSERT_FALSE(onScreen.isEmpty());

    const std::string png = (folder + QStringLiteral("/series.png")).toStdString();
    EXPECT_EQ(frame->Outputs().Export(ViewKind::TimeChart, png), "");
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), onScreen);
    const std::string pdf = (folder + QStringLiteral("/series.pdf")).toStdString();
    EXPECT_EQ(frame->Outputs().Export(ViewKind::TimeChart, pdf), "");
    QFile file(QString::fromStdString(pdf));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(5), QByteArray("%PDF-"));
    EXPECT_EQ(frame->Outputs().Export(ViewKind::TimeChart, png + ".bmp"),
              "Unsupported file type: choose a .png, .svg or .pdf file.");
    EXPECT_EQ(frame->Outputs().DefaultPdfName(ViewKind::TimeChart),
              QDir::current().absoluteFilePath(QStringLiteral("time-chart.pdf")));
}

}  // namespace
}  // namespace kv::test
