#pragma once

// The program's command line: a file to open, and the embedding and automation switches with
// which a document container would start the program.

#include <QString>
#include <QStringList>

namespace kv {

struct CommandLineInfo {
    QString fileName;         // the file to open; empty for a new setup
    bool embedding = false;   // -Embedding or /Embedding (any case)
    bool automation = false;  // -Automation or /Automation (any case)
    bool help = false;        // -h, --help
    QStringList unknownSwitches;

    // The arguments after the program name. On this system "/" starts a path, so of the words
    // beginning with "/" only the two switches above count as switches; any other word beginning
    // with "-" is an unknown switch, reported and ignored. The first other word is the file.
    static CommandLineInfo Parse(const QStringList& arguments);

    bool StartedByContainer() const { return embedding || automation; }
};

}  // namespace kv
