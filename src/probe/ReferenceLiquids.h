#pragma once

// The library of reference liquids: liquids of published permittivity used to characterise a probe
// and to check it. Each liquid has one or more tables of model parameters over temperature; the
// permittivity at a temperature interpolates every parameter linearly between the two neighbouring
// rows of one table. Permittivity is e' - j e'' as in Standards.h: a lossy liquid has a negative
// imaginary part.
//
// The library is read from text files (data/reference-liquids.txt is the one shipped with the
// program; its header describes the format). ParseReferenceLiquids reads the text of one file;
// the files themselves are read in the persistence layer (persist/ReferenceLiquidFiles.h).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "numerics/CComplex.h"

namespace kv {

enum class LiquidModel {
    // e = einf + (es - einf) / (1 + j f/fr). Row: es, einf, fr.
    Debye,
    // e = eH + (es - eH) / (1 + j f/fr) - j Gamma (f / 1 GHz). Row: es, fr, eH, Gamma.
    DebyeHighFrequency,
    // e = einf + (es - eH) / (1 + j f/fr1) + (eH - einf) / (1 + j f/fr2). Row: es, fr1, eH, fr2,
    // einf.
    TwoDebye,
    // e = einf + (es - einf) / (1 + j f/fr)^beta. Row: es, einf, fr, beta.
    ColeDavidson,
    // e = einf + sum of de_i / (1 + j 2 pi f tau_i). Row: einf, then de_i, tau_i for each term.
    DebyeSum,
    // The program's calibration water (WaterPermittivity in Standards.h): no rows of its own.
    CalibrationWater,
};

// One row of a table: the temperature (Celsius) and the model's parameters in the row order given
// above, frequencies in Hz and relaxation times in s (the file gives them in GHz and ps).
struct LiquidRow {
    double temperature = 0.0;
    std::vector<double> values;
};

// Rows in strictly increasing temperature, all of the table's model.
struct LiquidTable {
    LiquidModel model = LiquidModel::Debye;
    std::vector<LiquidRow> rows;
};

struct ReferenceLiquid {
    std::string id;        // what the terminal takes, e.g. "propan-2-ol"
    std::string name;      // what window lists show, e.g. "Propan-2-ol"
    std::string citation;  // the published source, empty when the file names none
    // Where the source says its model holds, in Hz. The library evaluates the model at any
    // frequency; comparisons are bounded by these. Without a stated range: 0 to infinity.
    double lowestFrequency = 0.0;
    double highestFrequency = 0.0;
    // In increasing temperature; two tables may share a boundary temperature (the earlier one is
    // used there) or leave a gap between them (temperatures in the gap are not offered).
    std::vector<LiquidTable> tables;
};

struct TemperatureRange {
    double lowest = 0.0;  // Celsius, both ends offered
    double highest = 0.0;
    bool operator==(const TemperatureRange&) const = default;
};

// The temperatures at which the liquid's permittivity is offered, in increasing order: tables that
// share a boundary form one range.
std::vector<TemperatureRange> OfferedTemperatures(const ReferenceLiquid& liquid);
// Whether the liquid is offered at `celsius`.
bool OffersTemperature(const ReferenceLiquid& liquid, double celsius);
// The temperature a liquid is taken at when none is given: its only one, else `fallback` (the
// calibration's water temperature).
double DefaultLiquidTemperature(const ReferenceLiquid& liquid, double fallback);
// "25 C", "22.5 C".
std::string CelsiusText(double celsius);
// The offered temperatures in words: "at 25 C", "from 10 C to 50 C", joined by " and "; "at no
// temperature" when there is none.
std::string OfferedTemperaturesText(const ReferenceLiquid& liquid);

// e' - j e'' at a temperature (Celsius) and a frequency (Hz), or nothing when the temperature is
// not offered or the frequency is negative or not finite.
std::optional<CComplex> LiquidPermittivity(const ReferenceLiquid& liquid, double temperatureC,
                                           double frequencyHz);

// Reads the liquids of one file's text. On a fault returns false and sets `error` to
// "<fileName>:<line>: <what is wrong>", leaving `liquids` empty.
bool ParseReferenceLiquids(std::string_view text, const std::string& fileName,
                           std::vector<ReferenceLiquid>& liquids, std::string& error);

// Adds `more` to `library`: a liquid with an identifier already in the library replaces that one
// in its place, any other is appended.
void MergeReferenceLiquids(std::vector<ReferenceLiquid>& library,
                           std::vector<ReferenceLiquid> more);

// The liquid with that identifier, or null.
const ReferenceLiquid* FindReferenceLiquid(const std::vector<ReferenceLiquid>& library,
                                           std::string_view id);

}  // namespace kv
