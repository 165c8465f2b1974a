#include "persist/ProbeFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

#include "persist/FileIo.h"

namespace kv {

namespace {

// A probe file is a few hundred bytes.
constexpr std::size_t kMaxProbeFileBytes = 64 * 1024;

const char* const kStockNames[] = {"A", "B"};

QJsonObject DeviationObject(const ProbeDeviation& d) {
    return QJsonObject{{"largest", d.largest}, {"rms", d.rms}};
}

// Reads the fields of a probe object one after the other; the first fault is kept.
class FieldReader {
public:
    explicit FieldReader(const QJsonObject& object) : object_(object) {}

    const std::string& Error() const { return error_; }

    std::string Text(const char* key) {
        const QJsonValue v = Value(key);
        if (!error_.empty()) {
            return {};
        }
        if (!v.isString()) {
            Fail(key, "is not a text");
            return {};
        }
        return v.toString().toStdString();
    }

    double Number(const char* key, bool positive = false) {
        const QJsonValue v = Value(key);
        if (!error_.empty()) {
            return 0.0;
        }
        if (!v.isDouble()) {
            Fail(key, "is not a number");
            return 0.0;
        }
        const double x = v.toDouble();
        if (positive && !(x > 0.0 && std::isfinite(x))) {
            Fail(key, "must be greater than 0");
        }
        return x;
    }

    int Count(const char* key) {
        const double x = Number(key);
        if (error_.empty() && (x < 1.0 || x > 1e9 || x != std::floor(x))) {
            Fail(key, "must be a whole number of at least 1");
        }
        return error_.empty() ? static_cast<int>(x) : 0;
    }

    bool Flag(const char* key) {
        const QJsonValue v = Value(key);
        if (error_.empty() && !v.isBool()) {
            Fail(key, "is not true or false");
        }
        return error_.empty() && v.toBool();
    }

    ProbeDeviation Deviation(const char* key) {
        const QJsonValue v = Value(key);
        if (!error_.empty()) {
            return {};
        }
        if (!v.isObject()) {
            Fail(key, "is not an object of \"largest\" and \"rms\"");
            return {};
        }
        FieldReader inner(v.toObject());
        ProbeDeviation d;
        d.largest = inner.Number("largest");
        d.rms = inner.Number("rms");
        if (!inner.Error().empty()) {
            error_ = "\"" + std::string(key) + "\": " + inner.Error();
        }
        return d;
    }

    void Fail(const char* key, const std::string& what) {
        if (error_.empty()) {
            error_ = "\"" + std::string(key) + "\" " + what;
        }
    }

private:
    QJsonValue Value(const char* key) {
        if (!error_.empty()) {
            return {};
        }
        const QJsonValue v = object_.value(QLatin1String(key));
        if (v.isUndefined()) {
            error_ = "\"" + std::string(key) + "\" is missing";
        }
        return v;
    }

    const QJsonObject object_;
    std::string error_;
};

std::string ReadProblem(FileStatus status) {
    switch (status) {
        case FileStatus::NotFound:
            return "no such file";
        case FileStatus::NotAFile:
            return "not a regular file";
        case FileStatus::TooLarge:
            return "too large for a probe file";
        default:
            return "cannot be read";
    }
}

}  // namespace

bool ValidProbeName(const std::string& name, std::string& why) {
    if (name.empty()) {
        why = "A probe needs a name.";
        return false;
    }
    for (const char* stock : kStockNames) {
        if (name.size() == 1 && (name[0] == stock[0] || name[0] == stock[0] + ('a' - 'A'))) {
            why = "The probe cannot be named " + name + ": A and B are the stock probe types.";
            return false;
        }
    }
    const bool control = std::any_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    });
    if (name.find_first_of("/\\") != std::string::npos || control || name[0] == '.') {
        why = "The probe cannot be named \"" + name +
              "\": a name has no slash, backslash or control character and does not begin with "
              "a dot.";
        return false;
    }
    return true;
}

std::string ProbeFileText(const CharacterisedProbe& p) {
    const QJsonObject object{
        {"name", QString::fromStdString(p.name)},
        {"stockType", kStockNames[p.stockType == 0 ? 0 : 1]},
        {"frequencyScale", p.frequencyScale},
        {"coefficientScale", p.coefficientScale},
        {"coefficientScaleFitted", p.coefficientScaleFitted},
        {"liquid", QString::fromStdString(p.liquid)},
        {"liquidTemperatureC", p.liquidTemperature},
        {"waterTemperatureC", p.waterTemperature},
        {"date", QString::fromStdString(p.date)},
        {"fromHz", p.fromHz},
        {"toHz", p.toHz},
        {"points", p.points},
        {"deviationBefore", DeviationObject(p.before)},
        {"deviationAfter", DeviationObject(p.after)},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Indented).toStdString();
}

ProbeLoad LoadProbeFile(const std::string& path) {
    ProbeLoad load;
    std::vector<std::uint8_t> bytes;
    if (const FileStatus status = ReadWholeFile(path, bytes, kMaxProbeFileBytes);
        status != FileStatus::Ok) {
        load.error = path + ": " + ReadProblem(status);
        return load;
    }
    QJsonParseError parse{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                           static_cast<qsizetype>(bytes.size())),
                                &parse);
    if (parse.error != QJsonParseError::NoError) {
        load.error = path + ": not JSON: " + parse.errorString().toStdString() + " at byte " +
                     std::to_string(parse.offset);
        return load;
    }
    if (!document.isObject()) {
        load.error = path + ": not a probe: the file holds no JSON object";
        return load;
    }
    FieldReader read(document.object());
    CharacterisedProbe p;
    p.name = read.Text("name");
    const std::string stock = read.Text("stockType");
    p.frequencyScale = read.Number("frequencyScale", true);
    p.coefficientScale = read.Number("coefficientScale", true);
    p.coefficientScaleFitted = read.Flag("coefficientScaleFitted");
    p.liquid = read.Text("liquid");
    p.liquidTemperature = read.Number("liquidTemperatureC");
    p.waterTemperature = read.Number("waterTemperatureC");
    p.date = read.Text("date");
    p.fromHz = read.Number("fromHz");
    p.toHz = read.Number("toHz");
    p.points = read.Count("points");
    p.before = read.Deviation("deviationBefore");
    p.after = read.Deviation("deviationAfter");
    std::string why;
    if (read.Error().empty()) {
        if (stock != "A" && stock != "B") {
            read.Fail("stockType", "must be \"A\" or \"B\", not \"" + stock + "\"");
        } else if (!ValidProbeName(p.name, why)) {
            read.Fail("name", "is not a probe's name: " + why);
        } else if (!QDateTime::fromString(QString::fromStdString(p.date), Qt::ISODateWithMs)
                        .isValid()) {
            read.Fail("date", "is not an ISO 8601 date and time: \"" + p.date + "\"");
        }
    }
    if (!read.Error().empty()) {
        load.error = path + ": " + read.Error();
        return load;
    }
    p.stockType = stock == "A" ? 0 : 1;
    load.probe = std::move(p);
    return load;
}

Outcome SaveProbeFile(const std::string& path, const CharacterisedProbe& probe) {
    std::string why;
    if (!ValidProbeName(probe.name, why)) {
        return Outcome::Refusal(why);
    }
    if (WriteFileAtomically(path, ProbeFileText(probe)) != FileStatus::Ok) {
        return Outcome::Failure("The probe file " + path + " could not be written.");
    }
    return Outcome::Finished();
}

std::string ProbeLibraryFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(data).filePath(QStringLiteral("probes")).toStdString();
}

std::string ProbeLibraryPath(const std::string& folder, const std::string& name) {
    return QDir(QString::fromStdString(folder))
        .filePath(QString::fromStdString(name) + QStringLiteral(".json"))
        .toStdString();
}

Outcome SaveProbeToLibrary(const std::string& folder, const CharacterisedProbe& probe) {
    std::string why;
    if (!ValidProbeName(probe.name, why)) {
        return Outcome::Refusal(why);
    }
    if (!QDir().mkpath(QString::fromStdString(folder))) {
        return Outcome::Failure("The folder " + folder + " could not be made.");
    }
    return SaveProbeFile(ProbeLibraryPath(folder, probe.name), probe);
}

ProbeLibrary ListProbes(const std::string& folder) {
    ProbeLibrary library;
    const QDir dir(QString::fromStdString(folder));
    const QStringList files =
        dir.entryList({QStringLiteral("*.json")}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& file : files) {
        ProbeLoad load = LoadProbeFile(dir.filePath(file).toStdString());
        if (load.probe) {
            library.probes.push_back(std::move(*load.probe));
        } else {
            library.problems.push_back(std::move(load.error));
        }
    }
    std::stable_sort(
        library.probes.begin(), library.probes.end(),
        [](const CharacterisedProbe& a, const CharacterisedProbe& b) { return a.name < b.name; });
    return library;
}

ProbeLoad FindProbe(const std::string& folder, const std::string& name) {
    ProbeLibrary library = ListProbes(folder);
    ProbeLoad load;
    for (CharacterisedProbe& p : library.probes) {
        if (p.name == name) {
            load.probe = std::move(p);
            return load;
        }
    }
    load.error = "No characterised probe is named \"" + name + "\" in " + folder + ".";
    for (const std::string& problem : library.problems) {
        load.error += "\n" + problem;
    }
    return load;
}

}  // namespace kv
