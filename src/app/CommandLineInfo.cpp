#include "app/CommandLineInfo.h"

namespace kv {

CommandLineInfo CommandLineInfo::Parse(const QStringList& arguments) {
    CommandLineInfo info;
    bool onlyFiles = false;
    for (const QString& argument : arguments) {
        if (!onlyFiles &&
            (argument.startsWith(QLatin1Char('-')) || argument.startsWith(QLatin1Char('/')))) {
            const QString name = argument.mid(1);
            if (name.compare(QLatin1String("Embedding"), Qt::CaseInsensitive) == 0) {
                info.embedding = true;
                continue;
            }
            if (name.compare(QLatin1String("Automation"), Qt::CaseInsensitive) == 0) {
                info.automation = true;
                continue;
            }
            if (argument == QLatin1String("--")) {
                onlyFiles = true;
                continue;
            }
            if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
                info.help = true;
                continue;
            }
            if (argument.startsWith(QLatin1Char('-'))) {
                info.unknownSwitches << argument;
                continue;
            }
        }
        if (info.fileName.isEmpty()) {
            info.fileName = argument;
        }
    }
    return info;
}

}  // namespace kv
