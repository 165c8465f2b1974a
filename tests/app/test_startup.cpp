// Start-up: the command line, the display check and the program's exit without a display or
// when started for embedding; the most-recently-used list; text and number conversions; the
// About box and the help page.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QTextBrowser>

#include "AppTestSupport.h"
#include "app/AboutDialog.h"
#include "app/CKv4731xApp.h"
#include "app/CommandLineInfo.h"
#include "app/HelpWindow.h"
#include "app/RecentFileList.h"
#include "app/TextConversion.h"

namespace kv::test {
namespace {

TEST(CommandLineTest, SwitchesAndTheFileName) {
    auto info = CommandLineInfo::Parse({"-Embedding"});
    EXPECT_TRUE(info.embedding);
    EXPECT_TRUE(info.StartedByContainer());
    EXPECT_TRUE(info.fileName.isEmpty());

    info = CommandLineInfo::Parse({"/embedding"});
    EXPECT_TRUE(info.embedding);
    info = CommandLineInfo::Parse({"/AUTOMATION"});
    EXPECT_TRUE(info.automation);
    EXPECT_FALSE(info.embedding);
    info = CommandLineInfo::Parse({"-aUtOmAtIoN"});
    EXPECT_TRUE(info.automation);

    // "/" begins a path here.
    info = CommandLineInfo::Parse({"/home/op/run1.tst", "/tmp/second.tst"});
    EXPECT_FALSE(info.StartedByContainer());
    EXPECT_EQ(info.fileName.toStdString(), "/home/op/run1.tst");

    info = CommandLineInfo::Parse({"-Embeddingx", "run.prn"});
    EXPECT_FALSE(info.embedding);
    EXPECT_EQ(info.unknownSwitches, QStringList({"-Embeddingx"}));
    EXPECT_EQ(info.fileName.toStdString(), "run.prn");

    info = CommandLineInfo::Parse({"--", "-odd name.tst"});
    EXPECT_EQ(info.fileName.toStdString(), "-odd name.tst");
    EXPECT_TRUE(CommandLineInfo::Parse({"--help"}).help);
}

TEST(CommandLineTest, DisplayCheck) {
    EXPECT_FALSE(CKv4731xApp::DisplayAvailable(nullptr, nullptr, nullptr));
    EXPECT_FALSE(CKv4731xApp::DisplayAvailable("", "", ""));
    EXPECT_TRUE(CKv4731xApp::DisplayAvailable(nullptr, ":0", nullptr));
    EXPECT_TRUE(CKv4731xApp::DisplayAvailable(nullptr, nullptr, "wayland-0"));
    EXPECT_TRUE(CKv4731xApp::DisplayAvailable("offscreen", nullptr, nullptr));
}

struct ProgramRun {
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    std::string standardError;
};

ProgramRun RunProgram(const QStringList& arguments, bool withDisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (withDisplay) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QString::fromStdString(TempFolder("run")));
    process.start(QStringLiteral(KV_APP_EXE), arguments);
    ProgramRun run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.status = process.exitStatus();
    run.standardError = process.readAllStandardError().toStdString();
    return run;
}

TEST(StartupTest, WithoutADisplayTheProgramPointsToTheTerminalFrontEnd) {
    const ProgramRun run = RunProgram({}, false);
    EXPECT_EQ(run.status, QProcess::NormalExit);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.standardError.find("no display"), std::string::npos) << run.standardError;
    EXPECT_NE(run.standardError.find("kv47310-cli"), std::string::npos) << run.standardError;
}

TEST(StartupTest, EmbeddingAndAutomationEndWithoutAWindow) {
    for (const char* option : {"-Embedding", "/Automation"}) {
        const ProgramRun run = RunProgram({QLatin1String(option)}, true);
        EXPECT_EQ(run.status, QProcess::NormalExit) << option;
        EXPECT_EQ(run.exitCode, 0) << option;
        EXPECT_NE(run.standardError.find("embedding or automation"), std::string::npos)
            << run.standardError;
    }
}

TEST(RecentFilesTest, EightLatestFirstKeptInTheSettings) {
    const std::string folder = TempFolder("recent");
    QSettings settings(QString::fromStdString(folder + "/profile.ini"), QSettings::IniFormat);
    RecentFileList list(&settings);
    for (int i = 1; i <= 9; ++i) {
        list.Add(QStringLiteral("/data/run%1.tst").arg(i));
    }
    ASSERT_EQ(list.Entries().size(), 8);
    EXPECT_EQ(list.Entries().first().toStdString(), "/data/run9.tst");
    EXPECT_EQ(list.Entries().last().toStdString(), "/data/run2.tst");
    list.Add(QStringLiteral("/data/run5.tst"));
    EXPECT_EQ(list.Entries().first().toStdString(), "/data/run5.tst");
    EXPECT_EQ(list.Entries().size(), 8);
    EXPECT_EQ(list.Entries().count(QStringLiteral("/data/run5.tst")), 1);

    EXPECT_EQ(settings.value(QStringLiteral("Recent File List/File1")).toString().toStdString(),
              "/data/run5.tst");
    RecentFileList again(&settings);
    again.Load();
    EXPECT_EQ(again.Entries(), list.Entries());
    again.Remove(0);
    EXPECT_EQ(again.Entries().first().toStdString(), "/data/run9.tst");
    EXPECT_FALSE(settings.contains(QStringLiteral("Recent File List/File8")));

    EXPECT_EQ(RecentFileList::MenuText(0, QStringLiteral("/data/R&D.tst")).toStdString(),
              "&1 /data/R&&D.tst");
}

TEST(TextConversionTest, FileFiltersInQtForm) {
    EXPECT_EQ(QtFileFilter("kv4731x Files (*.prn)|*.prn|All Files (*.*)|*.*||").toStdString(),
              "kv4731x Files (*.prn);;All Files (*)");
    EXPECT_EQ(QtFileFilter("Kv47310 Files (*.tst)|*.tst|All Files (*.*)|*.*||").toStdString(),
              "Kv47310 Files (*.tst);;All Files (*)");
    EXPECT_EQ(QtFileFilter("Pictures|*.png;*.bmp||").toStdString(), "Pictures (*.png *.bmp)");
}

TEST(TextConversionTest, NumbersAsTheFieldsTakeThem) {
    double v = -1;
    EXPECT_TRUE(ParseNumber(QStringLiteral(" 12 "), v));
    EXPECT_EQ(v, 12.0);
    EXPECT_TRUE(ParseNumber(QStringLiteral("5.e-002"), v));
    EXPECT_EQ(v, 0.05);
    EXPECT_TRUE(ParseNumber(QStringLiteral("-1.5E3"), v));
    EXPECT_EQ(v, -1500.0);
    v = 7;
    for (const char* bad : {"", "1,5", "0x10", "inf", "nan", "1e999", "12 GHz", "."}) {
        EXPECT_FALSE(ParseNumber(QLatin1String(bad), v)) << bad;
    }
    EXPECT_EQ(v, 7.0);  // untouched by a refusal

    int n = 0;
    EXPECT_TRUE(ParseInteger(QStringLiteral("1601"), n));
    EXPECT_EQ(n, 1601);
    EXPECT_FALSE(ParseInteger(QStringLiteral("99999999999"), n));
    EXPECT_FALSE(ParseInteger(QStringLiteral("3.0"), n));
}

TEST(TextConversionTest, CoreTextsKeepTheirCharacters) {
    EXPECT_EQ(FromCore("Title"), QStringLiteral("Title"));
    EXPECT_EQ(FromCore("\xc2\xb5m"), QString::fromUtf8("\xc2\xb5m"));  // UTF-8 micro sign
    EXPECT_EQ(FromCore("25\xb0"
                       "C"),
              QString::fromLatin1("25\xb0"
                                  "C"));  // Latin-1 degree
}

TEST(HelpAndAboutTest, OwnHelpPageAndAboutCaption) {
    QFile page(QStringLiteral(":/help/kv47310.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    EXPECT_TRUE(html.contains(QStringLiteral("Tarvel Technologies 47310C")));
    EXPECT_TRUE(html.contains(QStringLiteral("kv47310-cli")));

    HelpWindow help(nullptr);
    EXPECT_TRUE(help.Browser()->toPlainText().contains(QStringLiteral("Perform Cal")));

    AboutDialog about(nullptr);
    EXPECT_EQ(about.windowTitle().toStdString(), "About 47310C");
}

}  // namespace
}  // namespace kv::test
