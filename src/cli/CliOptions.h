#pragma once

// The command line of the terminal front end.

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "probe/CalibrationSheet.h"

namespace kv {

struct CliOptions {
    enum class Command { None, Help, Components, Measure, Sweep, Characterise, Watch };
    Command command = Command::None;

    // Connection.
    std::string instrument;  // component name (part of it) or CLSID
    std::string card;
    // As typed; checked against the card's kind of address once the card is known.
    std::optional<std::string> address;
    std::optional<std::string> cardAddress;

    // Sweep: each given part replaces the analyzer's current value.
    std::optional<double> startValue;
    std::string startUnit;
    std::optional<double> stopValue;
    std::string stopUnit;
    std::optional<int> points;
    bool log = false;
    // A list sweep instead: the rows as --segments gives them, or the file --list names. Each
    // sets every frequency, so neither goes with the options above nor with the other one;
    // ReadSweepList (ListSweepOptions.h) makes `list` of them before the run.
    std::optional<std::string> segments;
    std::optional<std::string> listFile;
    std::vector<double> list;

    // Whether any option of the sweep was given.
    bool SweepGiven() const {
        return startValue || stopValue || points || log || segments || listFile;
    }

    // Calibration.
    std::optional<CalibrationType> calibrationType;
    std::optional<double> waterTemperature;
    // Uncertainty inputs: sweeps per reading (the mean of them is used) and u(T) in kelvin.
    std::optional<int> sweeps;
    std::optional<double> uWaterTemperature;
    // The probe as --probe names it: A or B (any case) for a stock probe, a characterised
    // probe's file (a text with '/' or ending in .json) or its name in the program's library.
    std::string probe;
    bool refresh = false;
    bool trigger = false;
    bool yes = false;

    // --check ID[:T]: the reference liquid to compare the result with, and its temperature when
    // given (Celsius).
    std::string checkLiquid;
    std::optional<double> checkTemperature;
    // Characterisation: the reference liquid and its temperature, and where the probe goes (a
    // name in the program's library, or a file whose stem is the probe's name).
    std::string liquid;
    std::optional<double> liquidTemperature;
    std::string probeName;
    std::string probeFile;

    // A series (watch): every SECONDS or back to back, a count of records or a duration, and its
    // file (.h5 or .csv).
    std::optional<double> everySeconds;
    bool backToBack = false;
    std::optional<int> count;
    std::optional<double> forSeconds;
    std::string recordFile;

    // Files and pictures.
    std::string setupIn;
    std::string setupOut;
    std::string dataOut;
    bool sensitivity = false;
    // Print (and with --out write) u(e') and u(e''); --monte-carlo M adds the Monte Carlo check
    // of M draws as mc(e') and mc(e'').
    bool uncertainty = false;
    std::optional<int> monteCarlo;
    std::string chartFile;           // .png, .svg or .pdf
    std::string tableFile;           // .png, .svg or .pdf
    std::string chartFormat = "e1";  // a --format name of the chart formats (ChartFormats.h)
    bool autoscale = false;

    // Touchstone files: the files of the "Touchstone files" analyzer by its settings key (air,
    // short, water, load, standard1..3, sample), and the files written.
    std::map<std::string, std::string> touchstoneFiles;
    std::string touchstoneOut;     // measure: the sample's corrected S11; sweep: the sweep
    std::string rawTouchstoneOut;  // measure: the sample's S11 before correction
    // The analyzer's own settings for this run (--ifbw, --power, --average), in order.
    std::vector<std::pair<std::string, std::string>> driverSettings;
};

// The Touchstone options at args[i] (moving i past a value); 1 when it took one, 0 when args[i]
// is no such option, -1 on a mistake (with the reason in `error`).
int ParseTouchstoneOption(const std::vector<std::string>& args, std::size_t& i, CliOptions& o,
                          std::string& error);

// Parses argv; on a mistake returns nullopt and writes the reason to `error`.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error);

const char* CliUsage();

// The text with ASCII letters in lower case (options and answers are matched ignoring case).
std::string Lower(std::string text);

}  // namespace kv
