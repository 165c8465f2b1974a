#include "ScpiEndToEnd.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

#include "ScpiRegistry.h"
#include "doc/CKv4731xDoc.h"
#include "doc/CommandIds.h"
#include "doc/CommandTable.h"
#include "instrument/LanCardId.h"
#include "persist/ProfileStore.h"
#include "support/ScriptedUi.h"

namespace kv::test {

void ExpectMethanolThroughTheDocument(ScpiSimulator& sim, const ScpiSettings& settings,
                                      const std::string& instrumentAddress, SweepKind sweepType,
                                      const std::string& cardClsid, const std::string& cardAddress,
                                      UsbtmcOpener opener) {
    QTemporaryDir folder;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());

    ScriptedUi ui;
    ScpiRegistry registry(settings, std::move(opener));
    MemoryProfileStore profile;
    profile.values[kProfileCardClsid] = cardClsid;
    profile.values[kProfileInstrumentClsid] = kScpiClsid;
    profile.values[kProfileCardAddress] = cardAddress;
    profile.values[kProfileInstrumentAddress] = instrumentAddress;
    ui.onPump = [&] {
        if (ui.prompts.empty()) {
            return;
        }
        const std::string& p = ui.prompts.back();
        sim.SetMaterial(p.find("air") != std::string::npos        ? DemoMaterial::Air()
                        : p.find("shorting") != std::string::npos ? DemoMaterial::Short()
                        : p.find("water") != std::string::npos
                            ? DemoMaterial::Water(25.0)
                            : DemoMaterial::Relaxation(kMethanol, "sample"));
    };
    [&] {
        CKv4731xDoc doc(ui, registry, profile);
        doc.defaultsPath = folder.filePath(kDefaultsFileName).toStdString();
        doc.OnViewsShown();
        ASSERT_TRUE(doc.HasInstrument()) << ::testing::PrintToString(ui.MessageTexts());
        EXPECT_EQ(doc.CurrentInstrumentName(), "Nowhere Instruments,SIM-VNA,0001,1.0");
        ui.editFrequency = [&](FrequencyPage& page) {
            page.sweep.startValue = 200;
            page.sweep.startUnit = "MHz";
            page.sweep.stopValue = 6;
            page.sweep.stopUnit = "GHz";
            page.sweep.numPoints = 51;
            page.sweep.sweepType = sweepType;
        };
        RunDocumentCommand(doc, ID_SET_FREQUENCY);
        ASSERT_EQ(doc.Engine().frequencies.size(), 51u);
        RunDocumentCommand(doc, ID_PERFORM_CAL);
        ASSERT_TRUE(doc.Engine().calibrated) << ::testing::PrintToString(ui.MessageTexts());
        RunDocumentCommand(doc, ID_TRIGGER_MEASUREMENT);
        ASSERT_EQ(ui.StatusShown("Measurement complete"), 1);
        ASSERT_TRUE(doc.Trace(0).DisplayedAndValid());
        EXPECT_TRUE(ui.messages.empty()) << ::testing::PrintToString(ui.MessageTexts());

        const auto& f = doc.Engine().frequencies;
        const auto& data = doc.Trace(0).permittivity;
        ASSERT_EQ(data.size(), f.size());
        double worst = 0.0;
        for (std::size_t i = 0; i < f.size(); ++i) {
            const CComplex eps = ColeColePermittivity(f[i], kMethanol);
            const double m = std::hypot(eps.re, eps.im);
            worst = std::max(
                {worst, std::fabs(data[i].re - eps.re) / m, std::fabs(data[i].im + eps.im) / m});
        }
        EXPECT_LT(worst, 1e-3);
        EXPECT_EQ(sim.Sweeps(), 4);
    }();
    QDir::setCurrent(previous);
}

}  // namespace kv::test
