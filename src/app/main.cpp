// kv47310: the window front end of the probe measurement program.

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/CKv4731xApp.h"
#include "app/CommandLineInfo.h"

namespace {

constexpr const char* kUsage =
    "Usage: kv47310 [file]\n"
    "  file          a setup file (.tst) or a data file (.prn) to open\n"
    "  -Embedding, -Automation\n"
    "                accepted for document containers; there are none on this system, so the\n"
    "                program ends at once\n"
    "Without a display, use kv47310-cli.\n";

QStringList RawArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    // The switches that end the program are looked at before a display is needed.
    const kv::CommandLineInfo early = kv::CommandLineInfo::Parse(RawArguments(argc, argv));
    if (early.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (early.StartedByContainer()) {
        std::fputs(
            "kv47310: started for embedding or automation; document containers are not "
            "available on this system, so the program ends. Start kv47310 without -Embedding "
            "or -Automation to use it.\n",
            stderr);
        return 0;
    }
    if (!kv::CKv4731xApp::DisplayAvailable(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"),
                                           std::getenv("WAYLAND_DISPLAY"))) {
        std::fputs(
            "kv47310: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so the "
            "window cannot be opened. Use kv47310-cli to work from a terminal, or set "
            "QT_QPA_PLATFORM.\n",
            stderr);
        return 0;
    }

    QApplication application(argc, argv);
    // Lets the desktop match the window with the installed desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("local.kv47310.kv47310"));
    kv::CKv4731xApp::ConfigureProcess();
    // Qt has taken its own options (-platform, -style, ...) out of the arguments by now.
    const kv::CommandLineInfo commandLine =
        kv::CommandLineInfo::Parse(application.arguments().mid(1));
    for (const QString& unknown : commandLine.unknownSwitches) {
        std::fprintf(stderr, "kv47310: unknown option %s ignored\n",
                     unknown.toLocal8Bit().constData());
    }

    kv::CKv4731xApp app;
    if (!app.InitInstance(commandLine)) {
        return 1;
    }
    return application.exec();
}
