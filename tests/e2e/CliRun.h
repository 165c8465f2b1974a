#pragma once

// Runs kv47310-cli in a folder of its own (where it finds demo-analyzer.ini) and collects what it
// writes.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <sstream>
#include <string>
#include <vector>

namespace kv::test {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

struct ResultRow {
    double frequency = 0;
    double e1 = 0;
    double e2 = 0;
    double sensitivity = 0;
};

class CliFolder {
public:
    CliFolder() { dir_.setAutoRemove(true); }

    std::string Path(const std::string& name) const {
        return QDir(dir_.path()).filePath(QString::fromStdString(name)).toStdString();
    }

    void WriteIni(const std::string& text) const { Write("demo-analyzer.ini", text); }

    void Write(const std::string& name, const std::string& text) const {
        QFile f(QString::fromStdString(Path(name)));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(text.data(), static_cast<qint64>(text.size()));
    }

    std::string Read(const std::string& name) const {
        QFile f(QString::fromStdString(Path(name)));
        if (!f.open(QIODevice::ReadOnly)) {
            return {};
        }
        return f.readAll().toStdString();
    }

    bool Exists(const std::string& name) const {
        return QFile::exists(QString::fromStdString(Path(name)));
    }

    CliResult Run(const std::vector<std::string>& args, const std::string& input = {}) const {
        QProcess p;
        Start(p, args);
        if (!input.empty()) {
            p.write(input.data(), static_cast<qint64>(input.size()));
        }
        p.closeWriteChannel();
        return Finish(p);
    }

    // Starts the program and returns while it runs; Finish waits for its end.
    void Start(QProcess& p, const std::vector<std::string>& args) const {
        p.setWorkingDirectory(dir_.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir_.path() + "/config");
        env.insert("XDG_DATA_HOME", dir_.path() + "/data");
        env.insert("HOME", dir_.path());
        p.setProcessEnvironment(env);
        QStringList list;
        for (const auto& a : args) {
            list << QString::fromStdString(a);
        }
        p.start(KV_CLI_PATH, list);
        p.waitForStarted();
    }

    static CliResult Finish(QProcess& p) {
        CliResult r;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            r.err = "timed out";
            return r;
        }
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput().toStdString();
        r.err = p.readAllStandardError().toStdString();
        return r;
    }

    // The names in the folder (the settings folder "config" left out).
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const QString& n : QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden)) {
            names.push_back(n.toStdString());
        }
        return names;
    }

private:
    QTemporaryDir dir_;
};

// The result table of a measure run: the header line, then one row per point.
inline std::vector<ResultRow> ParseRows(const std::string& out, std::string* header = nullptr) {
    std::vector<ResultRow> rows;
    std::istringstream in(out);
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (first) {
            if (header != nullptr) {
                *header = line;
            }
            first = false;
            continue;
        }
        ResultRow r;
        if (std::sscanf(line.c_str(), "%lf\t%lf\t%lf\t%lf", &r.frequency, &r.e1, &r.e2,
                        &r.sensitivity) == 4) {
            rows.push_back(r);
        }
    }
    return rows;
}

}  // namespace kv::test
