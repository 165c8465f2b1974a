// kv47310-cli: the program's document driven from a terminal.

#include <QCoreApplication>
#include <QGuiApplication>

#include <clocale>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/ListSweepOptions.h"
#include "cli/MeasureRun.h"
#include "cli/TerminalUi.h"
#include "instrument/PluginRegistry.h"
#include "persist/SettingsProfileStore.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    auto options = kv::ParseCliOptions(args, error);
    if (!options) {
        std::fprintf(stderr, "kv47310-cli: %s\n\n%s", error.c_str(), kv::CliUsage());
        return kv::kExitUsage;
    }
    if (options->command == kv::CliOptions::Command::Help ||
        options->command == kv::CliOptions::Command::None) {
        std::fputs(kv::CliUsage(), stdout);
        return kv::kExitOk;
    }
    // The frequencies of --segments or --list are read before anything is connected: a list
    // that is refused is bad input.
    if (!kv::ReadSweepList(*options, stderr)) {
        return kv::kExitUsage;
    }

    // Pictures are drawn offscreen: no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    // Qt takes the user's locale; numbers in files and on the terminal always use a point.
    std::setlocale(LC_NUMERIC, "C");
    QCoreApplication::setOrganizationName("Local AppWizard-Generated Applications");
    QCoreApplication::setApplicationName("Tarvel Technologies 47310C");

    kv::PluginRegistry registry;
    if (options->command == kv::CliOptions::Command::Components) {
        return kv::RunComponents(registry, stdout, stderr);
    }
    kv::SettingsProfileStore profile;
    int status = kv::kExitOk;
    switch (options->command) {
        case kv::CliOptions::Command::Sweep:
            status = kv::RunSweep(*options, registry, profile, stdout, stderr);
            break;
        case kv::CliOptions::Command::Watch:
            // A series that Ctrl-C or SIGTERM ended has ended normally: its status stands.
            return kv::RunWatch(*options, registry, profile, stderr);
        case kv::CliOptions::Command::Characterise:
            status = kv::RunCharacterise(*options, registry, profile, stdout, stderr);
            break;
        default:
            status = kv::RunMeasure(*options, registry, profile, stdout, stderr);
            break;
    }
    // SIGINT or SIGTERM ended whatever waited; every file written before is whole, and none was
    // begun after.
    if (kv::TerminalUi::Interrupted()) {
        std::fputs("kv47310-cli: interrupted\n", stderr);
        return kv::kExitFailed;
    }
    return status;
}
