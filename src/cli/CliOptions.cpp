#include "cli/CliOptions.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include <QFile>

#include "cli/DriverSettingsOptions.h"
#include "display/ChartFormats.h"
#include "doc/MeasurementSeries.h"
#include "persist/SeriesRecorder.h"
#include "probe/Units.h"
#include "render/RenderExport.h"

namespace kv {

namespace {

bool ParseInt(const std::string& text, int& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (end == nullptr || *end != '\0' || v < -2147483647L || v > 2147483647L) {
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

// "ID" or "ID:T" of --check. Identifiers hold no ':'.
bool ParseCheck(const std::string& text, CliOptions& o, std::string& error) {
    const std::size_t colon = text.find(':');
    o.checkLiquid = text.substr(0, colon);
    o.checkTemperature.reset();
    if (o.checkLiquid.empty()) {
        error = "--check: expected a reference liquid's identifier, optionally with :T, not '" +
                text + "'";
        return false;
    }
    if (colon != std::string::npos) {
        double t = 0;
        if (!ParseNumber(text.substr(colon + 1), t) || !std::isfinite(t)) {
            error = "--check: not a temperature: '" + text.substr(colon + 1) + "'";
            return false;
        }
        o.checkTemperature = t;
    }
    return true;
}

}  // namespace

namespace {

// The sweep command takes one uncalibrated sweep: the options of a calibration, a measurement and
// its result files do not apply to it.
bool SweepOptionsOnly(const CliOptions& o, std::string& error) {
    const char* misplaced = o.calibrationType             ? "--cal"
                            : o.waterTemperature          ? "--water-temperature"
                            : o.sweeps                    ? "--sweeps"
                            : o.uWaterTemperature         ? "--u-water-temperature"
                            : o.uncertainty               ? "--uncertainty"
                            : o.monteCarlo                ? "--monte-carlo"
                            : !o.probe.empty()            ? "--probe"
                            : o.refresh                   ? "--refresh"
                            : o.trigger                   ? "--trigger"
                            : !o.setupIn.empty()          ? "--setup"
                            : !o.setupOut.empty()         ? "--save"
                            : !o.dataOut.empty()          ? "--out"
                            : !o.chartFile.empty()        ? "--chart"
                            : !o.tableFile.empty()        ? "--table"
                            : !o.rawTouchstoneOut.empty() ? "--raw-touchstone"
                            : !o.checkLiquid.empty()      ? "--check"
                                                          : nullptr;
    if (misplaced != nullptr) {
        error = std::string(misplaced) + " is not an option of sweep";
        return false;
    }
    return true;
}

// A characterisation measures a reference liquid and writes a probe: the options of the
// sample's result do not apply to it, and it needs the liquid and exactly one place for the probe.
// The options of a characterisation belong to it alone.
bool CharacteriseOptions(const CliOptions& o, std::string& error) {
    if (o.command != CliOptions::Command::Characterise) {
        const char* misplaced = !o.liquid.empty()      ? "--liquid"
                                : o.liquidTemperature  ? "--liquid-temperature"
                                : !o.probeName.empty() ? "--name"
                                : !o.probeFile.empty() ? "--probe-file"
                                                       : nullptr;
        if (misplaced != nullptr) {
            error = std::string(misplaced) + " is an option of characterise only";
            return false;
        }
        return true;
    }
    const char* misplaced = o.trigger                     ? "--trigger"
                            : !o.dataOut.empty()          ? "--out"
                            : o.sensitivity               ? "--sensitivity"
                            : o.uncertainty               ? "--uncertainty"
                            : o.monteCarlo                ? "--monte-carlo"
                            : !o.chartFile.empty()        ? "--chart"
                            : !o.tableFile.empty()        ? "--table"
                            : o.autoscale                 ? "--autoscale"
                            : !o.touchstoneOut.empty()    ? "--touchstone"
                            : !o.rawTouchstoneOut.empty() ? "--raw-touchstone"
                            : !o.checkLiquid.empty()      ? "--check"
                                                          : nullptr;
    if (misplaced != nullptr) {
        error = std::string(misplaced) + " is not an option of characterise";
        return false;
    }
    if (o.liquid.empty()) {
        error = "characterise needs --liquid";
        return false;
    }
    if (o.probeName.empty() == o.probeFile.empty()) {
        error = "characterise needs either --name or --probe-file";
        return false;
    }
    return true;
}

// A series: how often, how long and where to, each said once; and no option of a single
// measurement's result. The options of a series belong to watch alone.
bool WatchOptions(const CliOptions& o, std::string& error) {
    if (o.command != CliOptions::Command::Watch) {
        const char* misplaced = o.everySeconds          ? "--every"
                                : o.backToBack          ? "--back-to-back"
                                : o.count               ? "--count"
                                : o.forSeconds          ? "--for"
                                : !o.recordFile.empty() ? "--record"
                                                        : nullptr;
        if (misplaced != nullptr) {
            error = std::string(misplaced) + " is an option of watch only";
            return false;
        }
        return true;
    }
    const char* misplaced = o.trigger                     ? "--trigger"
                            : !o.dataOut.empty()          ? "--out"
                            : o.sensitivity               ? "--sensitivity"
                            : o.monteCarlo                ? "--monte-carlo"
                            : !o.chartFile.empty()        ? "--chart"
                            : !o.tableFile.empty()        ? "--table"
                            : o.autoscale                 ? "--autoscale"
                            : !o.touchstoneOut.empty()    ? "--touchstone"
                            : !o.rawTouchstoneOut.empty() ? "--raw-touchstone"
                            : !o.checkLiquid.empty()      ? "--check"
                                                          : nullptr;
    if (misplaced != nullptr) {
        error = std::string(misplaced) + " is not an option of watch";
        return false;
    }
    if (o.everySeconds.has_value() == o.backToBack) {
        error = "watch needs either --every SECONDS or --back-to-back";
        return false;
    }
    if (o.count.has_value() == o.forSeconds.has_value()) {
        error = "watch needs either --count N or --for DURATION";
        return false;
    }
    if (o.recordFile.empty()) {
        error = "watch needs --record FILE.h5 or FILE.csv";
        return false;
    }
    return true;
}

// --segments and --list set every frequency of the sweep: the other sweep options, and the other
// of the two, do not go with them.
bool ListOptionsAlone(const CliOptions& o, std::string& error) {
    const char* listOption = o.segments ? "--segments" : o.listFile ? "--list" : nullptr;
    if (listOption == nullptr) {
        return true;
    }
    const char* other = o.segments && o.listFile ? "--list"
                        : o.startValue           ? "--start"
                        : o.stopValue            ? "--stop"
                        : o.points               ? "--points"
                        : o.log                  ? "--log"
                                                 : nullptr;
    if (other == nullptr) {
        return true;
    }
    error = std::string(listOption) + " and " + other +
            " cannot be given together: a list sweep takes its frequencies from --segments or "
            "--list alone";
    return false;
}

}  // namespace

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

const char* CliUsage() {
    return R"(Usage:
  kv47310-cli components
      Lists the installed GPIB card and analyzer components with their CLSIDs.

  kv47310-cli measure [options]
      Connects the analyzer, sets the sweep, calibrates the probe, measures the sample and
      prints the result as a data file with the sensitivity column to standard output.

  kv47310-cli characterise [connection, sweep, calibration and Touchstone options]
          --liquid ID [--liquid-temperature T] (--name NAME | --probe-file FILE.json)
      Connects and calibrates as measure does, measures the reference liquid ID (with
      --instrument Touchstone: the --sample file), fits the probe model's frequency scale
      (and its coefficient scale after a load-air-short calibration) to the liquid, prints
      the fit and saves the characterised probe: --name saves it in the program's library of
      probes, --probe-file to that file (the probe is named after the file's stem). A probe
      cannot be named A or B. T defaults to the liquid's only temperature, else the water
      temperature. Exit status 1 when the fit is refused (nothing is saved).

  kv47310-cli watch [connection, sweep, calibration and probe options]
          (--every SECONDS | --back-to-back) (--count N | --for DURATION)
          --record FILE.h5|FILE.csv
      Connects and calibrates as measure does (or takes --setup), then measures the sample
      again and again without a prompt and appends every measurement to FILE: its index, its
      time (the sweep's start, UTC and seconds since the first) and per point e', e'' and the
      sensitivity. --every keeps the interval on average (the n-th measurement starts n x
      SECONDS after the first; a sweep that overruns gives up the slots it took, and says
      so); --back-to-back starts each measurement when the one before ended. --count N stops
      after N records, --for after a time: 90, 90s, 10min or 2h. FILE.h5 is HDF5 that other
      programs may read while the series runs (h5py: File(path, 'r', swmr=True)); FILE.csv has
      the header index,time_utc,time,frequency,e1,e2,sensitivity and one row per point and
      record; with --uncertainty both formats add u(e') and u(e'') (u_e1,u_e2). FILE must not
      exist (exit status 2 when it does). Standard error gets a line "record N at T s" per
      record (a progress bar on a terminal). Ctrl-C or SIGTERM ends the series after the
      record in progress with exit status 0; the file is complete. The series stops, with exit
      status 1, when a reading or a write fails or the disk is nearly full.

  kv47310-cli sweep [connection, sweep and Touchstone options]
      Connects the analyzer, sets the sweep and takes one uncalibrated sweep: prints frequency,
      real and imaginary part of S11 to standard output, and writes it with --touchstone.

Connection (default: the remembered selection, else the first component of each list):
  --instrument TEXT      analyzer component by (part of) its name or by its CLSID
  --card TEXT            GPIB card component by (part of) its name or by its CLSID
  --address A            analyzer address: a bus number 0..31, or a text for a card
                         that reads texts (a port, a device name; may be empty)
  --card-address A       card address: a bus number 0..8, or a text (a host name)
Sweep (default: the analyzer's range, 51 points, linear):
  --start F  --stop F    frequencies with an optional unit: 200MHz, 20GHz, 300kHz, 1.5e9
  --points N             number of points
  --log                  logarithmic sweep
  --segments ROWS        a list sweep instead: rows START:STOP:POINTS with an optional :log
                         or :lin, separated by commas: 50MHz:1GHz:101,1GHz:20GHz:200:log
                         (300 points: a row starting at the stop of the one before shares it)
  --list FILE            a list sweep instead: the frequencies in FILE, one a line, in Hz or
                         with a unit as --start takes it, or those of a Touchstone file (.s1p)
Analyzer settings for this run, not stored (analyzers that have them):
  --ifbw HZ              IF bandwidth (SCPI analyzer, LibreVNA)
  --power DBM            source power (SCPI analyzer, LibreVNA)
  --average N            sweeps averaged per measurement (SCPI analyzer, LibreVNA)
  --family NAME          command table by name, whatever the identification says; "auto"
                         picks it by the identification (SCPI analyzer)
  --timeout S            seconds to wait for every answer (SCPI analyzer and NanoVNA:
                         0.01..3600; LibreVNA: 0.1..3600)
  --material M           what is at the probe until a prompt says otherwise: air, short,
                         water, load or sample (Demo analyzer; for sweep)
Calibration:
  --cal TYPE             air-short-water (default), load-air-short or user
  --water-temperature T  degrees Celsius (default 25)
  --u-water-temperature K
                         the water temperature's standard uncertainty in kelvin (default 0.1)
  --sweeps N             take every reading (standards and sample) as the mean of N sweeps;
                         from 2 on their scatter gives the reading's uncertainty (default 1:
                         the analyzer's stated trace noise, where it states one)
  --probe P              the probe: A or B (any case) for a stock probe type (default B), a
                         characterised probe's file (a path with '/' or ending in .json)
                         or the name of one in the program's library of probes
  --refresh              refresh the calibration once before the measurement
Measurement:
  --trigger              wait for the analyzer's external trigger instead of a prompt
  --yes                  continue every prompt at once (also when standard input is no terminal)
  --uncertainty          print u(e') and u(e''), the standard uncertainties (k = 1), after the
                         sensitivity; with --out the data file gets the same columns
  --monte-carlo M        also draw every input M times, compute the whole chain for each draw
                         and print the standard deviations as mc(e') and mc(e'') after them
  --check ID[:T]         compare the result with the reference liquid ID at T degrees Celsius
                         (default: the liquid's only temperature, else the water temperature)
                         over the liquid's frequency range; one line "check ..." on standard
                         error gives the points compared and the largest deviations. The
                         liquids are those of the shipped library and of reference-liquids.txt
                         in the settings folder
Files and pictures:
  --setup FILE.tst       load a setup file first; a calibration made on the connected analyzer
                         is used without calibrating again
  --save FILE.tst        save the whole setup after the run
  --out FILE.prn         save the Data trace as a data file
  --sensitivity          with --out: include the sensitivity column
  --chart FILE           draw the chart of the result into FILE.png (1200 x 800 pixels),
                         FILE.svg (the same drawing) or FILE.pdf (one A4 page, as printed)
  --format F             chart format: e1 (default), e2, tan, colecole
  --autoscale            fit the chart's scale to the result before drawing it
  --table FILE           draw the table of the result into FILE.png or FILE.svg (the whole
                         table as one picture) or FILE.pdf (A4 pages, as printed)
  --touchstone FILE.s1p  measure: the sample's corrected S11; sweep: the sweep's S11
  --raw-touchstone FILE.s1p
                         measure: the sample's S11 before correction
Touchstone files analyzer (--instrument Touchstone), for this run instead of its settings:
  --air FILE  --short FILE  --water FILE  --load FILE
                         the standards' one-port files
  --standard1 FILE  --standard2 FILE  --standard3 FILE
                         the user-defined standards' files
  --sample FILE          the sample's file (with sweep: the file swept)
Characterisation (characterise only):
  --liquid ID            the reference liquid, by its identifier in the library of liquids
  --liquid-temperature T degrees Celsius; one the liquid is offered at
  --name NAME            save the probe as NAME in the program's library of probes
  --probe-file FILE      save the probe to FILE (its name is the file's stem)

Prompts, messages and progress go to standard error; message boxes as "caption: text".
The exit status is 0 when the measurement was made, 1 when a step failed or was aborted, and
2 for a mistake on the command line or in the list of --segments or --list. Ctrl-C or SIGTERM
ends any wait ("interrupted", status 1), except that it ends a watch series normally.
)";
}

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args,
                                          std::string& error) {
    CliOptions o;
    if (args.empty()) {
        o.command = CliOptions::Command::Help;
        return o;
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        o.command = CliOptions::Command::Help;
        return o;
    }
    if (command == "components") {
        o.command = CliOptions::Command::Components;
        if (args.size() > 1) {
            error = "components takes no options";
            return std::nullopt;
        }
        return o;
    }
    if (command != "measure" && command != "sweep" && command != "characterise" &&
        command != "watch") {
        error = "unknown command '" + command + "'";
        return std::nullopt;
    }
    o.command = command == "sweep"          ? CliOptions::Command::Sweep
                : command == "characterise" ? CliOptions::Command::Characterise
                : command == "watch"        ? CliOptions::Command::Watch
                                            : CliOptions::Command::Measure;

    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        if (const int taken = ParseTouchstoneOption(args, i, o, error); taken != 0) {
            if (taken < 0) {
                return std::nullopt;
            }
        } else if (const int setting = TakeDriverSetting(args, i, o, error); setting != 0) {
            if (setting < 0) {
                return std::nullopt;
            }
        } else if (a == "--yes" || a == "-y") {
            o.yes = true;
        } else if (a == "--log") {
            o.log = true;
        } else if (a == "--refresh") {
            o.refresh = true;
        } else if (a == "--trigger") {
            o.trigger = true;
        } else if (a == "--sensitivity") {
            o.sensitivity = true;
        } else if (a == "--uncertainty") {
            o.uncertainty = true;
        } else if (a == "--sweeps" || a == "--monte-carlo") {
            if (!value(v))
                return std::nullopt;
            int n = 0;
            const int least = a == "--sweeps" ? 1 : 2;
            if (!ParseInt(v, n) || n < least) {
                error = a + ": expected a whole number of at least " + std::to_string(least) +
                        ", not " + v;
                return std::nullopt;
            }
            (a == "--sweeps" ? o.sweeps : o.monteCarlo) = n;
        } else if (a == "--u-water-temperature") {
            if (!value(v))
                return std::nullopt;
            double u = 0;
            if (!ParseNumber(v, u) || !std::isfinite(u) || u < 0) {
                error = "--u-water-temperature: expected kelvin of at least 0, not " + v;
                return std::nullopt;
            }
            o.uWaterTemperature = u;
        } else if (a == "--autoscale") {
            o.autoscale = true;
        } else if (a == "--help" || a == "-h") {
            o.command = CliOptions::Command::Help;
            return o;
        } else if (a == "--instrument") {
            if (!value(o.instrument))
                return std::nullopt;
        } else if (a == "--card") {
            if (!value(o.card))
                return std::nullopt;
        } else if (a == "--address" || a == "--card-address") {
            if (!value(v))
                return std::nullopt;
            (a == "--address" ? o.address : o.cardAddress) = v;
        } else if (a == "--start" || a == "--stop") {
            if (!value(v))
                return std::nullopt;
            double f = 0;
            std::string unit;
            if (!ParseFrequency(v, f, unit)) {
                error = a + ": not a frequency: " + v;
                return std::nullopt;
            }
            if (a == "--start") {
                o.startValue = f;
                o.startUnit = unit;
            } else {
                o.stopValue = f;
                o.stopUnit = unit;
            }
        } else if (a == "--segments") {
            if (!value(v))
                return std::nullopt;
            o.segments = v;
        } else if (a == "--list") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = a + " needs a file name";
                return std::nullopt;
            }
            o.listFile = args[++i];
        } else if (a == "--points") {
            if (!value(v))
                return std::nullopt;
            int n = 0;
            if (!ParseInt(v, n)) {
                error = "--points: not a number: " + v;
                return std::nullopt;
            }
            o.points = n;
        } else if (a == "--cal") {
            if (!value(v))
                return std::nullopt;
            if (v == "load-air-short") {
                o.calibrationType = CalibrationType::LoadAirShort;
            } else if (v == "air-short-water") {
                o.calibrationType = CalibrationType::AirShortWater;
            } else if (v == "user") {
                o.calibrationType = CalibrationType::UserStandards;
            } else {
                error = "--cal: expected air-short-water, load-air-short or user, not " + v;
                return std::nullopt;
            }
        } else if (a == "--check") {
            if (!value(v))
                return std::nullopt;
            if (!ParseCheck(v, o, error)) {
                return std::nullopt;
            }
        } else if (a == "--water-temperature") {
            if (!value(v))
                return std::nullopt;
            double t = 0;
            if (!ParseNumber(v, t)) {
                error = "--water-temperature: not a number: " + v;
                return std::nullopt;
            }
            o.waterTemperature = t;
        } else if (a == "--probe") {
            if (!value(v))
                return std::nullopt;
            if (v.empty()) {
                error = "--probe: expected A, B, a probe's name or its file";
                return std::nullopt;
            }
            o.probe = v;
        } else if (a == "--liquid" || a == "--name" || a == "--probe-file") {
            std::string& target = a == "--liquid" ? o.liquid
                                  : a == "--name" ? o.probeName
                                                  : o.probeFile;
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = a + " needs a value";
                return std::nullopt;
            }
            target = args[++i];
        } else if (a == "--liquid-temperature") {
            if (!value(v))
                return std::nullopt;
            double t = 0;
            if (!ParseNumber(v, t)) {
                error = "--liquid-temperature: not a number: " + v;
                return std::nullopt;
            }
            o.liquidTemperature = t;
        } else if (a == "--setup") {
            if (!value(o.setupIn))
                return std::nullopt;
        } else if (a == "--save") {
            if (!value(o.setupOut))
                return std::nullopt;
        } else if (a == "--out") {
            if (!value(o.dataOut))
                return std::nullopt;
        } else if (a == "--chart" || a == "--table") {
            std::string& file = a == "--chart" ? o.chartFile : o.tableFile;
            if (!value(file))
                return std::nullopt;
            if (ExportFileTypeOf(QFile::decodeName(file.c_str())) == ExportFileType::Unsupported) {
                error = a + " " + file + ": " + kUnsupportedFileTypeText;
                return std::nullopt;
            }
        } else if (a == "--back-to-back") {
            o.backToBack = true;
        } else if (a == "--every") {
            if (!value(v))
                return std::nullopt;
            double seconds = 0;
            if (!ParseNumber(v, seconds) || !std::isfinite(seconds) || !(seconds > 0)) {
                error = "--every: expected a number of seconds above 0, not " + v;
                return std::nullopt;
            }
            o.everySeconds = seconds;
        } else if (a == "--count") {
            if (!value(v))
                return std::nullopt;
            int n = 0;
            if (!ParseInt(v, n) || n < 1) {
                error = "--count: expected a number of records of at least 1, not " + v;
                return std::nullopt;
            }
            o.count = n;
        } else if (a == "--for") {
            if (!value(v))
                return std::nullopt;
            o.forSeconds = ParseDuration(v);
            if (!o.forSeconds) {
                error = "--for: expected a duration such as 90, 90s, 10min or 2h, not " + v;
                return std::nullopt;
            }
        } else if (a == "--record") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = a + " needs a file name";
                return std::nullopt;
            }
            o.recordFile = args[++i];
            if (!SeriesFormatOf(o.recordFile)) {
                error =
                    "--record: a series is recorded to FILE.h5 or FILE.csv, not " + o.recordFile;
                return std::nullopt;
            }
        } else if (a == "--format") {
            if (!value(v))
                return std::nullopt;
            if (!ChartFormatNamed(v)) {
                error = "--format: expected " + ChartFormatNames() + ", not " + v;
                return std::nullopt;
            }
            o.chartFormat = v;
        } else {
            error = "unknown option '" + a + "'";
            return std::nullopt;
        }
    }
    if (!ListOptionsAlone(o, error)) {
        return std::nullopt;
    }
    if (o.command == CliOptions::Command::Sweep && !SweepOptionsOnly(o, error)) {
        return std::nullopt;
    }
    if (!CharacteriseOptions(o, error) || !WatchOptions(o, error)) {
        return std::nullopt;
    }
    return o;
}

int ParseTouchstoneOption(const std::vector<std::string>& args, std::size_t& i, CliOptions& o,
                          std::string& error) {
    const std::string& a = args[i];
    std::string* target = nullptr;
    static const char* const kFileOptions[] = {"air",    "short",     "water",     "load",
                                               "sample", "standard1", "standard2", "standard3"};
    for (const char* key : kFileOptions) {
        if (a == std::string("--") + key) {
            target = &o.touchstoneFiles[key];
        }
    }
    if (a == "--touchstone") {
        target = &o.touchstoneOut;
    } else if (a == "--raw-touchstone") {
        target = &o.rawTouchstoneOut;
    }
    if (target == nullptr) {
        return 0;
    }
    if (i + 1 >= args.size() || args[i + 1].empty()) {
        error = a + " needs a file name";
        return -1;
    }
    *target = args[++i];
    return 1;
}

}  // namespace kv
