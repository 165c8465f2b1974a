// The last sample's reflection as a one-port Touchstone file.

#include <ctime>

#include "doc/CKv4731xDoc.h"
#include "doc/OperatorUi.h"
#include "persist/FileIo.h"
#include "touchstone/Touchstone.h"

namespace kv {

namespace {

constexpr const char* kTouchstoneCaption = "Export Touchstone";
constexpr const char* kTouchstoneFilter = "Touchstone Files (*.s1p)|*.s1p|All Files (*.*)|*.*||";
constexpr const char* kNoSampleText = "There is no sample measurement to write.";
constexpr const char* kNotNumbersText =
    "The sample's reflection holds values that are not numbers; no Touchstone file is written.";

// The reading of a corrected reflection g before correction: e00 + e01e10 g / (1 - e11 g).
CComplex BeforeCorrection(CComplex g, CComplex e00, CComplex e11, CComplex e01e10) {
    const CComplex denominator = CComplex::Subtract(CComplex(1.0, 0.0), CComplex::Multiply(e11, g));
    return CComplex::Add(e00, CComplex::Divide(CComplex::Multiply(e01e10, g), denominator));
}

std::string LocalTimeText(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0) {
        return {};
    }
    return text;
}

// The sample's reflection as measured, or before correction.
TouchstoneData SampleData(const CProbeEngine& e, bool beforeCorrection) {
    TouchstoneData data;
    data.frequencies = e.frequencies;
    data.s11 = e.sampleMeasured;
    const std::size_t n = data.s11.size();
    if (beforeCorrection && e.errorDirectivity.size() == n && e.errorSourceMatch.size() == n &&
        e.errorTracking.size() == n) {
        for (std::size_t i = 0; i < n; ++i) {
            data.s11[i] = BeforeCorrection(data.s11[i], e.errorDirectivity[i],
                                           e.errorSourceMatch[i], e.errorTracking[i]);
        }
    }
    return data;
}

}  // namespace

bool CKv4731xDoc::HasSampleReflection() const {
    const CProbeEngine& e = *engine_;
    return !e.sampleMeasured.empty() && e.sampleMeasured.size() == e.frequencies.size();
}

std::string CKv4731xDoc::SampleTouchstoneText(bool beforeCorrection) const {
    if (!HasSampleReflection()) {
        return {};
    }
    const TouchstoneData data = SampleData(*engine_, beforeCorrection);
    if (!AllFinite(data)) {
        return {};
    }
    return FormatTouchstone(data, engine_->instrumentName,
                            LocalTimeText(dateStamp != 0 ? dateStamp : std::time(nullptr)));
}

Outcome CKv4731xDoc::WriteSampleTouchstone(const std::string& path, bool beforeCorrection) const {
    if (!HasSampleReflection()) {
        return Outcome::Refusal(kNoSampleText);
    }
    const std::string text = SampleTouchstoneText(beforeCorrection);
    if (text.empty()) {
        return Outcome::Failure(kNotNumbersText);
    }
    if (WriteFileAtomically(path, text) != FileStatus::Ok) {
        return Outcome::Failure("An unexpected error occurred while writing " + path + ".");
    }
    return Outcome::Finished();
}

void CKv4731xDoc::OnExportTouchstone() {
    if (!HasSampleReflection()) {
        ui_.Message(kNoSampleText, kTouchstoneCaption, Buttons::Ok);
        return;
    }
    FileDialogRequest request;
    request.caption = kTouchstoneCaption;
    request.filter = kTouchstoneFilter;
    request.defaultExtension = "s1p";
    request.fileName = "sample.s1p";
    const auto path = ui_.GetSaveFileName(request);
    if (!path) {
        return;
    }
    if (const Outcome written = WriteSampleTouchstone(*path, false); !written.Done()) {
        ui_.Message(written.why, kTouchstoneCaption, Buttons::Ok, Icon::Stop);
        return;
    }
    ui_.ShowStatusText("Touchstone file written to " + *path);
}

}  // namespace kv
