// A reference liquid as a memory trace: the daily check of a probe in the window. The liquid's
// published permittivity goes into a memory beside the Data trace, where the chart, the table and
// trace math show the measurement against it, and the measurement's deviation from it is summed up
// in a message.

#include <charconv>
#include <cmath>
#include <cstdio>

#include "doc/CKv4731xDoc.h"
#include "doc/OperatorUi.h"
#include "persist/ReferenceLiquidFiles.h"
#include "probe/LiquidComparison.h"

namespace kv {

namespace {

const char* const kReferenceLiquidCaption = "Reference Liquid";
constexpr double kGHz = 1e9;

const std::string& ShownName(const ReferenceLiquid& liquid) {
    return liquid.name.empty() ? liquid.id : liquid.name;
}

// The comparison's summary, in the numbers of the terminal's check line.
std::string SummaryText(const ReferenceLiquid& liquid, double t, const LiquidComparison& c) {
    char text[400];
    if (c.count == 0) {
        std::snprintf(text, sizeof text,
                      "Data against %s %g C: no computed point of the measurement lies from %g GHz "
                      "to %g GHz.",
                      liquid.id.c_str(), t, liquid.lowestFrequency / kGHz,
                      liquid.highestFrequency / kGHz);
    } else {
        std::snprintf(text, sizeof text,
                      "Data against %s %g C: %d points from %g GHz to %g GHz\n"
                      "max |de'| %.3f, max |de''| %.3f, max |de|/|e| %.2f %%",
                      liquid.id.c_str(), t, c.count, c.firstFrequency / kGHz,
                      c.lastFrequency / kGHz, c.maxRealDeviation, c.maxLossDeviation,
                      c.maxRelativeDeviation);
    }
    return text;
}

}  // namespace

Outcome CKv4731xDoc::PutReferenceLiquid(const ReferenceLiquid& liquid, double temperatureC,
                                        int memory) {
    if (memory < 1 || memory >= kTraceCount) {
        return Outcome::Refusal("A reference liquid goes into Memory 1, 2 or 3.");
    }
    if (!std::isfinite(temperatureC) || !OffersTemperature(liquid, temperatureC)) {
        const std::string text = ShownName(liquid) + " is offered " +
                                 OfferedTemperaturesText(liquid) + ", not at " +
                                 CelsiusText(temperatureC) + ".";
        ui_.Message(text, kReferenceLiquidCaption, Buttons::Ok, Icon::Stop);
        return Outcome::Refusal(text);
    }
    CTrace values;
    values.frequencies = engine_->frequencies;
    values.permittivity.reserve(values.frequencies.size());
    for (double f : values.frequencies) {
        // The traces hold e' + j e'' with e'' positive for a lossy material, the library e' - j
        // e''.
        const std::optional<CComplex> e = LiquidPermittivity(liquid, temperatureC, f);
        values.permittivity.push_back(e ? CComplex{e->re, -e->im} : CComplex{9999.0, 9999.0});
    }
    values.valid = true;
    values.displayed = true;
    CTrace& trace = Trace(memory);
    RestoreLabel(memory);
    trace.CopyFrom(values);
    LiquidLabel label{trace.label, "< " + liquid.id + " " + CelsiusText(temperatureC)};
    trace.label = label.liquid;
    liquidLabels_[static_cast<std::size_t>(memory)] = std::move(label);
    SetModified();
    UpdateAllViews();
    ui_.ShowStatusText(liquid.id + " " + CelsiusText(temperatureC) + " in " +
                       kTraceCaptions[memory]);
    // The comparison is of what the Data trace shows, wherever its values came from (a
    // measurement, a data file, a setup file).
    const CTrace& data = Trace(kDataTrace);
    if (data.valid) {
        const MeasurementResult shown{data.frequencies, data.permittivity, {}, {}, {}};
        ui_.Message(
            SummaryText(liquid, temperatureC, CompareWithLiquid(shown, liquid, temperatureC)),
            kReferenceLiquidCaption, Buttons::Ok, Icon::Information);
    }
    return Outcome::Finished();
}

void CKv4731xDoc::RestoreLabel(int trace) {
    auto& label = liquidLabels_[static_cast<std::size_t>(trace)];
    if (label && Trace(trace).label == label->liquid) {
        Trace(trace).label = label->before;
    }
    label.reset();
}

void CKv4731xDoc::OnReferenceLiquid() {
    const ReferenceLiquidLibrary library = LoadReferenceLiquids(
        referenceLiquidPaths.empty() ? ReferenceLiquidPaths() : referenceLiquidPaths);
    std::string problems;
    for (const std::string& problem : library.problems) {
        problems += "\n" + problem + "; its liquids are not used.";
    }
    if (library.liquids.empty()) {
        ui_.Message("The library of reference liquids holds no liquid." + problems,
                    kReferenceLiquidCaption, Buttons::Ok, Icon::Stop);
        return;
    }
    if (!problems.empty()) {
        ui_.Message("A file of reference liquids cannot be used:" + problems,
                    kReferenceLiquidCaption, Buttons::Ok, Icon::Warning);
    }

    const double water = engine_->calSettings.waterTemperature;
    std::vector<SettingDescription> page(3);
    SettingDescription& liquidField = page[0];
    liquidField.key = "liquid";
    liquidField.name = "Liquid";
    liquidField.kind = SettingKind::Choice;
    for (const ReferenceLiquid& l : library.liquids) {
        liquidField.choices.push_back({l.id, ShownName(l)});
    }
    liquidField.value = FindReferenceLiquid(library.liquids, lastLiquid_) != nullptr
                            ? lastLiquid_
                            : library.liquids.front().id;
    liquidField.help = "The liquid at the probe; its published permittivity goes into the memory.";
    SettingDescription& temperatureField = page[1];
    temperatureField.key = "temperature";
    temperatureField.name = "Temperature (C)";
    temperatureField.kind = SettingKind::Text;
    temperatureField.defaultValue = "as offered, else " + CelsiusText(water);
    temperatureField.value = lastLiquidTemperature_;
    temperatureField.help =
        "The liquid's temperature in Celsius. Empty: the liquid's temperature when it is offered "
        "at one only, else the calibration's water temperature (" +
        CelsiusText(water) + ").";
    SettingDescription& memoryField = page[2];
    memoryField.key = "memory";
    memoryField.name = "Memory";
    memoryField.kind = SettingKind::Choice;
    for (int m = 1; m < kTraceCount; ++m) {
        memoryField.choices.push_back({std::to_string(m), kTraceCaptions[m]});
    }
    memoryField.value = std::to_string(lastLiquidMemory_);
    memoryField.help = "The memory that takes the liquid's values; what it holds is replaced.";

    while (ui_.EditComponentSettings(kReferenceLiquidCaption, page)) {
        const ReferenceLiquid* liquid = FindReferenceLiquid(library.liquids, liquidField.value);
        const int memory = memoryField.value.empty() ? 0 : memoryField.value[0] - '0';
        if (liquid == nullptr || memoryField.value.size() != 1 || memory < 1 ||
            memory >= kTraceCount) {
            return;  // the page offers nothing else
        }
        const std::string& given = temperatureField.value;
        const auto first = given.find_first_not_of(' ');
        double t = DefaultLiquidTemperature(*liquid, water);
        if (first != std::string::npos) {
            const auto last = given.find_last_not_of(' ');
            const char* end = given.data() + last + 1;
            const auto [ptr, ec] = std::from_chars(given.data() + first, end, t);
            if (ec != std::errc() || ptr != end || !std::isfinite(t)) {
                ui_.Message("Temperature: \"" + given + "\" is not a number.",
                            kReferenceLiquidCaption, Buttons::Ok, Icon::Stop);
                continue;
            }
        }
        lastLiquid_ = liquid->id;
        lastLiquidTemperature_ = given;
        lastLiquidMemory_ = memory;
        if (PutReferenceLiquid(*liquid, t, memory).kind != Outcome::Kind::Refused) {
            return;
        }
    }
}

}  // namespace kv
