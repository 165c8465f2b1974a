#include "probe/ReferenceLiquids.h"

#include <cstdio>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "probe/Standards.h"

namespace kv {

namespace {

// How a model's rows read in a file.
struct ModelForm {
    LiquidModel model;
    const char* word;         // after "model ="
    const char* columns;      // for messages
    int count;                // numbers after the temperature; 0 for a sum of terms
    int frequencyColumns[2];  // columns given in GHz, -1 for none
};

constexpr ModelForm kForms[] = {
    {LiquidModel::Debye, "debye", "es, einf, fr (GHz)", 3, {2, -1}},
    {LiquidModel::DebyeHighFrequency,
     "debye-high-frequency",
     "es, fr (GHz), eH, Gamma",
     4,
     {1, -1}},
    {LiquidModel::TwoDebye, "two-debye", "es, fr1 (GHz), eH, fr2 (GHz), einf", 5, {1, 3}},
    {LiquidModel::ColeDavidson, "cole-davidson", "es, einf, fr (GHz), beta", 4, {2, -1}},
    {LiquidModel::DebyeSum, "debye-sum", "einf, then de and tau (ps) of each term", 0, {-1, -1}},
    {LiquidModel::CalibrationWater, "calibration-water", "", 0, {-1, -1}},
};

const ModelForm& FormOf(LiquidModel model) {
    for (const ModelForm& form : kForms) {
        if (form.model == model) {
            return form;
        }
    }
    return kForms[0];
}

constexpr double kGHz = 1e9;
constexpr double kPs = 1e-12;

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// Whitespace-separated numbers, all finite; false at the first word that is not one.
bool ReadNumbers(std::string_view s, std::vector<double>& numbers, std::string& bad) {
    numbers.clear();
    std::size_t i = 0;
    while (true) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) {
            ++i;
        }
        if (i == s.size()) {
            return true;
        }
        std::size_t end = i;
        while (end < s.size() && s[end] != ' ' && s[end] != '\t') {
            ++end;
        }
        const std::string_view word = s.substr(i, end - i);
        // from_chars does not take a leading '+'; infinities and NaN are refused below.
        const std::string_view digits = word.front() == '+' ? word.substr(1) : word;
        double value = 0.0;
        const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        const bool signTwice = word.front() == '+' && !digits.empty() && digits.front() == '-';
        if (digits.empty() || signTwice || ec != std::errc() ||
            ptr != digits.data() + digits.size() || !std::isfinite(value)) {
            bad = std::string(word);
            return false;
        }
        numbers.push_back(value);
        i = end;
    }
}

bool ValidId(std::string_view id) {
    return !id.empty() && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || c == '.';
    });
}

class Parser {
public:
    explicit Parser(const std::string& fileName) : fileName_(fileName) {}

    bool Run(std::string_view text, std::vector<ReferenceLiquid>& liquids, std::string& error) {
        if (text.substr(0, 3) == "\xEF\xBB\xBF") {
            text.remove_prefix(3);
        }
        while (!text.empty()) {
            ++line_;
            const std::size_t end = text.find('\n');
            const std::string_view raw = text.substr(0, end);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            if (!Line(Trim(raw))) {
                break;
            }
        }
        if (error_.empty()) {
            FinishLiquid();
        }
        if (!error_.empty()) {
            error = error_;
            liquids.clear();
            return false;
        }
        liquids = std::move(liquids_);
        return true;
    }

private:
    bool Fail(const std::string& what) {
        error_ = fileName_ + ":" + std::to_string(line_) + ": " + what;
        return false;
    }

    bool Line(std::string_view s) {
        if (s.empty() || s.front() == '#') {
            return true;
        }
        if (s.front() == '[') {
            if (s.back() != ']' || !ValidId(Trim(s.substr(1, s.size() - 2)))) {
                return Fail("a liquid starts with [identifier]: letters, digits, '-', '_' and '.'");
            }
            if (!FinishLiquid()) {
                return false;
            }
            const std::string id(Trim(s.substr(1, s.size() - 2)));
            if (FindReferenceLiquid(liquids_, id) != nullptr) {
                return Fail("liquid " + id + " appears twice in this file");
            }
            current_ = ReferenceLiquid{};
            current_->id = id;
            current_->highestFrequency = std::numeric_limits<double>::infinity();
            idLine_ = line_;
            haveName_ = haveCitation_ = haveFrequency_ = false;
            return true;
        }
        if (!current_) {
            return Fail("expected [identifier] to start a liquid");
        }
        const std::size_t equals = s.find('=');
        const bool number = (s.front() >= '0' && s.front() <= '9') || s.front() == '-' ||
                            s.front() == '+' || s.front() == '.';
        if (number || equals == std::string_view::npos) {
            return Row(s);
        }
        return Setting(Trim(s.substr(0, equals)), Trim(s.substr(equals + 1)));
    }

    bool Setting(std::string_view key, std::string_view value) {
        ReferenceLiquid& liquid = *current_;
        if (key == "name" || key == "citation") {
            bool& seen = key == "name" ? haveName_ : haveCitation_;
            if (seen) {
                return Fail(std::string(key) + " given twice");
            }
            if (value.empty()) {
                return Fail(std::string(key) + " is empty");
            }
            seen = true;
            (key == "name" ? liquid.name : liquid.citation) = std::string(value);
            return true;
        }
        if (key == "frequency-ghz") {
            std::vector<double> n;
            std::string bad;
            if (haveFrequency_) {
                return Fail("frequency-ghz given twice");
            }
            if (!ReadNumbers(value, n, bad) || n.size() != 2 || !(n[0] >= 0.0 && n[0] < n[1])) {
                return Fail("frequency-ghz takes the lowest and the highest frequency in GHz");
            }
            haveFrequency_ = true;
            liquid.lowestFrequency = n[0] * kGHz;
            liquid.highestFrequency = n[1] * kGHz;
            return true;
        }
        if (key == "model") {
            const auto form = std::find_if(std::begin(kForms), std::end(kForms),
                                           [&](const ModelForm& f) { return value == f.word; });
            if (form == std::end(kForms)) {
                return Fail("unknown model " + std::string(value) +
                            "; models: debye, debye-high-frequency, two-debye, cole-davidson, "
                            "debye-sum, calibration-water");
            }
            if (!FinishTable()) {
                return false;
            }
            if (!liquid.tables.empty() &&
                (form->model == LiquidModel::CalibrationWater ||
                 liquid.tables.back().model == LiquidModel::CalibrationWater)) {
                return Fail("calibration-water is the only model of its liquid");
            }
            liquid.tables.push_back(LiquidTable{form->model, {}});
            tableLine_ = line_;
            return true;
        }
        return Fail("unknown setting " + std::string(key) +
                    "; settings: name, citation, frequency-ghz, model");
    }

    bool Row(std::string_view s) {
        ReferenceLiquid& liquid = *current_;
        if (liquid.tables.empty()) {
            return Fail("a row of parameters before any model line");
        }
        LiquidTable& table = liquid.tables.back();
        const ModelForm& form = FormOf(table.model);
        if (table.model == LiquidModel::CalibrationWater) {
            return Fail("calibration-water takes no rows: it is the calibration's water table");
        }
        std::vector<double> n;
        std::string bad;
        if (!ReadNumbers(s, n, bad)) {
            return Fail("not a number: " + bad);
        }
        const int found = static_cast<int>(n.size()) - 1;
        if (table.model == LiquidModel::DebyeSum) {
            if (found < 3 || found % 2 == 0) {
                return Fail("expected the temperature, einf, then de and tau (ps) of each term");
            }
            if (!table.rows.empty() && found != static_cast<int>(table.rows[0].values.size())) {
                return Fail("every row of a debye-sum model has the same number of terms");
            }
            for (int i = 3; i <= found; i += 2) {  // n: t, einf, de1, tau1, de2, tau2, ...
                if (!(n[i] > 0.0)) {
                    return Fail("a relaxation time must be above 0");
                }
                n[i] *= kPs;
            }
        } else {
            if (found != form.count) {
                return Fail("expected the temperature and " + std::to_string(form.count) +
                            " numbers (" + form.columns + "), found " + std::to_string(found + 1) +
                            " numbers");
            }
            for (int column : form.frequencyColumns) {
                if (column >= 0) {
                    if (!(n[column + 1] > 0.0)) {
                        return Fail("a relaxation frequency must be above 0");
                    }
                    n[column + 1] *= kGHz;
                }
            }
        }
        const double t = n[0];
        if (!table.rows.empty() && !(t > table.rows.back().temperature)) {
            return Fail("temperatures of a model increase from row to row");
        }
        if (table.rows.empty() && liquid.tables.size() > 1) {
            const LiquidTable& previous = liquid.tables[liquid.tables.size() - 2];
            if (t < previous.rows.back().temperature) {
                return Fail("a model starts at or above the last temperature of the one before");
            }
        }
        table.rows.push_back(LiquidRow{t, std::vector<double>(n.begin() + 1, n.end())});
        return true;
    }

    bool FinishTable() {
        if (!current_ || current_->tables.empty()) {
            return true;
        }
        const LiquidTable& table = current_->tables.back();
        if (table.rows.empty() && table.model != LiquidModel::CalibrationWater) {
            line_ = tableLine_;
            return Fail("model " + std::string(FormOf(table.model).word) + " has no rows");
        }
        return true;
    }

    bool FinishLiquid() {
        if (!current_) {
            return true;
        }
        if (!FinishTable()) {
            return false;
        }
        if (current_->name.empty()) {
            line_ = idLine_;
            return Fail("liquid " + current_->id + " has no name");
        }
        if (current_->tables.empty()) {
            line_ = idLine_;
            return Fail("liquid " + current_->id + " has no model");
        }
        liquids_.push_back(std::move(*current_));
        current_.reset();
        return true;
    }

    const std::string& fileName_;
    int line_ = 0;
    int idLine_ = 0;
    int tableLine_ = 0;
    bool haveName_ = false;
    bool haveCitation_ = false;
    bool haveFrequency_ = false;
    std::optional<ReferenceLiquid> current_;
    std::vector<ReferenceLiquid> liquids_;
    std::string error_;
};

// The row's parameters at t, which lies within the table: the rows' own values at their
// temperatures, and between two rows, as the calibration's water table does, the upper row's value
// less (upper temperature - t) times the slope.
std::vector<double> ParametersAt(const LiquidTable& table, double t) {
    const std::vector<LiquidRow>& rows = table.rows;
    if (t <= rows.front().temperature) {
        return rows.front().values;
    }
    std::size_t upper = 1;
    while (t > rows[upper].temperature) {
        ++upper;
    }
    const LiquidRow& lo = rows[upper - 1];
    const LiquidRow& hi = rows[upper];
    std::vector<double> values(hi.values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double slope = (hi.values[i] - lo.values[i]) / (hi.temperature - lo.temperature);
        values[i] = hi.values[i] - (hi.temperature - t) * slope;
    }
    return values;
}

// delta / (1 + j x)
CComplex Relaxation(double delta, double x) {
    return CComplex::Divide(CComplex(delta, 0.0), CComplex(1.0, x));
}

CComplex Evaluate(LiquidModel model, const std::vector<double>& p, double f) {
    switch (model) {
        case LiquidModel::Debye:  // es, einf, fr
            return CComplex::Add(CComplex(p[1], 0.0), Relaxation(p[0] - p[1], f / p[2]));
        case LiquidModel::DebyeHighFrequency: {  // es, fr, eH, Gamma
            const CComplex e =
                CComplex::Add(CComplex(p[2], 0.0), Relaxation(p[0] - p[2], f / p[1]));
            return CComplex::Subtract(e, CComplex(0.0, p[3] * (f / kGHz)));
        }
        case LiquidModel::TwoDebye:  // es, fr1, eH, fr2, einf
            return CComplex::Add(
                CComplex::Add(CComplex(p[4], 0.0), Relaxation(p[0] - p[2], f / p[1])),
                Relaxation(p[2] - p[4], f / p[3]));
        case LiquidModel::ColeDavidson: {  // es, einf, fr, beta
            const CComplex d = CComplex::Pow(CComplex(1.0, f / p[2]), p[3]);
            return CComplex::Add(CComplex(p[1], 0.0),
                                 CComplex::Divide(CComplex(p[0] - p[1], 0.0), d));
        }
        case LiquidModel::DebyeSum: {  // einf, then de, tau of each term
            CComplex e(p[0], 0.0);
            for (std::size_t i = 1; i + 1 < p.size(); i += 2) {
                e = CComplex::Add(e, Relaxation(p[i], kTwoPi * f * p[i + 1]));
            }
            return e;
        }
        case LiquidModel::CalibrationWater:
            break;
    }
    return CComplex();
}

TemperatureRange RangeOf(const LiquidTable& table) {
    if (table.model == LiquidModel::CalibrationWater) {
        return {kWaterLowestTemperature, kWaterHighestTemperature};
    }
    return {table.rows.front().temperature, table.rows.back().temperature};
}

}  // namespace

std::vector<TemperatureRange> OfferedTemperatures(const ReferenceLiquid& liquid) {
    std::vector<TemperatureRange> ranges;
    for (const LiquidTable& table : liquid.tables) {
        if (table.rows.empty() && table.model != LiquidModel::CalibrationWater) {
            continue;
        }
        const TemperatureRange range = RangeOf(table);
        if (!ranges.empty() && range.lowest <= ranges.back().highest) {
            ranges.back().highest = std::max(ranges.back().highest, range.highest);
        } else {
            ranges.push_back(range);
        }
    }
    return ranges;
}

std::optional<CComplex> LiquidPermittivity(const ReferenceLiquid& liquid, double temperatureC,
                                           double frequencyHz) {
    if (!std::isfinite(frequencyHz) || frequencyHz < 0.0) {
        return std::nullopt;
    }
    for (const LiquidTable& table : liquid.tables) {
        if (table.rows.empty() && table.model != LiquidModel::CalibrationWater) {
            continue;
        }
        const TemperatureRange range = RangeOf(table);
        // A temperature that is not a number is in no range.
        if (!(temperatureC >= range.lowest && temperatureC <= range.highest)) {
            continue;
        }
        if (table.model == LiquidModel::CalibrationWater) {
            return WaterPermittivity(frequencyHz, temperatureC);
        }
        return Evaluate(table.model, ParametersAt(table, temperatureC), frequencyHz);
    }
    return std::nullopt;
}

bool ParseReferenceLiquids(std::string_view text, const std::string& fileName,
                           std::vector<ReferenceLiquid>& liquids, std::string& error) {
    return Parser(fileName).Run(text, liquids, error);
}

void MergeReferenceLiquids(std::vector<ReferenceLiquid>& library,
                           std::vector<ReferenceLiquid> more) {
    for (ReferenceLiquid& liquid : more) {
        const auto same = std::find_if(library.begin(), library.end(),
                                       [&](const ReferenceLiquid& l) { return l.id == liquid.id; });
        if (same != library.end()) {
            *same = std::move(liquid);
        } else {
            library.push_back(std::move(liquid));
        }
    }
}

const ReferenceLiquid* FindReferenceLiquid(const std::vector<ReferenceLiquid>& library,
                                           std::string_view id) {
    for (const ReferenceLiquid& liquid : library) {
        if (liquid.id == id) {
            return &liquid;
        }
    }
    return nullptr;
}

bool OffersTemperature(const ReferenceLiquid& liquid, double celsius) {
    for (const TemperatureRange& r : OfferedTemperatures(liquid)) {
        if (celsius >= r.lowest && celsius <= r.highest) {
            return true;
        }
    }
    return false;
}

double DefaultLiquidTemperature(const ReferenceLiquid& liquid, double fallback) {
    const std::vector<TemperatureRange> offered = OfferedTemperatures(liquid);
    if (offered.size() == 1 && offered.front().lowest == offered.front().highest) {
        return offered.front().lowest;
    }
    return fallback;
}

std::string CelsiusText(double celsius) {
    char text[64];
    std::snprintf(text, sizeof text, "%g C", celsius);
    return text;
}

std::string OfferedTemperaturesText(const ReferenceLiquid& liquid) {
    std::string text;
    for (const TemperatureRange& r : OfferedTemperatures(liquid)) {
        text += text.empty() ? "" : " and ";
        text += r.lowest == r.highest
                    ? "at " + CelsiusText(r.lowest)
                    : "from " + CelsiusText(r.lowest) + " to " + CelsiusText(r.highest);
    }
    return text.empty() ? "at no temperature" : text;
}

}  // namespace kv
