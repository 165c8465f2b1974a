// The Demo analyzer through the driver interface, created by its plugin: connection, limits, the
// sweep, operator response, external trigger, calibration state and faults on demand.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "DemoTestSupport.h"
#include "instrument/IListSweep.h"
#include "instrument/InstrumentDriverBase.h"
#include "probe/Standards.h"

namespace kv::test {
namespace {

const ColeCole kMethanol{32.66, 5.563, 0.0, 5.067e-11};

using Sweep3 = std::tuple<double, double, int>;

TEST(DemoAnalyzer, AnswersOnlyOnTheSimulatedCardAtItsAddresses) {
    auto demo = CreateDemo();
    std::string name;
    EXPECT_EQ(demo->GetInstrumentName(name), 0);
    EXPECT_EQ(name, "Demo Network Analyzer 47310");
    EXPECT_NE(demo->SupportsReverseMeasurement(), 0);

    EXPECT_NE(demo->SelectGpibCard("{00000000-0000-0000-0000-000000000001}"), 0);
    EXPECT_NE(Check(*demo, "7", "16"), 0);  // no card accepted
    EXPECT_EQ(demo->SelectGpibCard(kCardClsid), 0);
    EXPECT_EQ(Check(*demo, "7", "16"), 0);
    EXPECT_EQ(demo->OpenInstrument("7", "16"), 0);
    EXPECT_EQ(Check(*demo, " 7 ", "16"), 0);
    const std::pair<const char*, const char*> elsewhere[] = {
        {"7", "15"}, {"8", "16"}, {"seven", "16"}, {"7", "-16"}, {"", "16"}};
    for (const auto& [card, instrument] : elsewhere) {
        EXPECT_NE(Check(*demo, card, instrument), 0) << card << "/" << instrument;
    }
    EXPECT_NE(demo->OpenInstrument("0", "16"), 0);

    auto other = CreateDemo(
        "[analyzer]\nidentification = Other Analyzer 8510\ncard_address = 3\n"
        "instrument_address = 22\nreverse_measurement = false\n");
    other->GetInstrumentName(name);
    EXPECT_EQ(name, "Other Analyzer 8510");
    EXPECT_EQ(other->SupportsReverseMeasurement(), 0);
    ASSERT_EQ(other->SelectGpibCard(kCardClsid), 0);
    EXPECT_NE(Check(*other, "7", "16"), 0);
    EXPECT_EQ(Check(*other, "3", "22"), 0);
}

TEST(DemoAnalyzer, FaultsOnDemand) {
    auto failing = CreateDemo(
        "[analyzer]\nfail_check = true\nfail_open = yes\nfail_initialize = 1\n"
        "fail_measure = true\nrefuse_sweep = true\n");
    failing->SelectGpibCard(kCardClsid);
    EXPECT_NE(Check(*failing, "7", "16"), 0);
    EXPECT_NE(failing->OpenInstrument("7", "16"), 0);
    EXPECT_NE(failing->Initialize(), 0);
    std::vector<CComplex> trace(3, CComplex(5.0, 5.0));
    EXPECT_NE(failing->MeasureTrace(trace), 0);
    EXPECT_EQ(trace[0].re, 5.0);  // nothing written
    EXPECT_NE(failing->SetFrequencyList(Linear(1e9, 2e9, 3), 3, 0), 0);
    EXPECT_EQ(std::get<2>(ReadBack(*failing)), 201);  // the preset sweep stays

    // One reading (of either kind) succeeds, the next fails with the configured text.
    auto later = CreateDemo("[analyzer]\nfail_measure_after = 1\nerror_text = Trace lost\n");
    EXPECT_EQ(later->MeasureTrace(trace), 0);
    EXPECT_NE(later->ReadTrace(trace), 0);
    const auto* errors = dynamic_cast<const IDriverErrors*>(later.get());
    ASSERT_NE(errors, nullptr);
    EXPECT_EQ(errors->LastError(), "Trace lost");
}

TEST(DemoAnalyzer, LimitsHaveDefaultsAndIniOverrides) {
    EXPECT_EQ(Limits(*CreateDemo()), Sweep3(45e6, 20e9, 1601));
    EXPECT_EQ(Limits(*CreateDemo(
                  "[analyzer]\nmin_frequency = 300e3\nmax_frequency = 3e9\nmax_points = 401\n")),
              Sweep3(300e3, 3e9, 401));

    // Limits that contradict each other are not taken, and the operator is told why.
    testing::internal::CaptureStderr();
    auto bad = CreateDemo("[analyzer]\nmin_frequency = 5e9\nmax_frequency = 1e9\nnoise = lots\n");
    const std::string notes = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Limits(*bad), Sweep3(45e6, 20e9, 1601));
    EXPECT_NE(notes.find("min_frequency is not below max_frequency"), std::string::npos) << notes;
    EXPECT_NE(notes.find("[analyzer] noise is not a number"), std::string::npos) << notes;
}

TEST(DemoAnalyzer, FrequencyListIsReadBackWithinTheLimits) {
    auto demo = CreateDemo("[analyzer]\nmax_points = 5\n");
    const std::vector<double> list{1e9, 1.5e9, 2e9};
    EXPECT_EQ(demo->SetFrequencyList(list, 3, 0), 0);
    EXPECT_EQ(ReadBack(*demo), Sweep3(1e9, 2e9, 3));
    // More points than the instrument has; a stop beyond its range.
    const std::vector<double> many = Linear(1e9, 25e9, 7);
    EXPECT_EQ(demo->SetFrequencyList(many, 7, 0), 0);
    EXPECT_EQ(ReadBack(*demo), Sweep3(1e9, many[4], 5));
    demo->SetFrequencyList(std::vector<double>{1e9, 25e9}, 2, 0);
    EXPECT_EQ(ReadBack(*demo), Sweep3(1e9, 20e9, 2));
    // A count larger than the array, or none at all, never reads past the array.
    EXPECT_EQ(demo->SetFrequencyList(list, 1000, 0), 0);
    EXPECT_NE(demo->SetFrequencyList(list, 0, 0), 0);
    EXPECT_EQ(ReadBack(*demo), Sweep3(1e9, 2e9, 3));

    auto reporting = CreateDemo("[analyzer]\nreport_points = 201\n");
    reporting->SetFrequencyList(list, 3, 0);
    EXPECT_EQ(ReadBack(*reporting), Sweep3(1e9, 2e9, 201));
}

// 50 MHz to 1 GHz, 101 points linear, then 1 GHz to 20 GHz, 200 points geometric: 300 points.
std::vector<double> TwoSegmentList() {
    std::vector<double> list = Linear(50e6, 1e9, 101);
    for (int k = 1; k < 200; ++k) {
        list.push_back(1e9 * std::pow(20.0, k / 199.0));
    }
    return list;
}

TEST(DemoAnalyzer, SweepsAnyListWithinItsLimits) {
    const std::vector<double> list = TwoSegmentList();
    ASSERT_EQ(list.size(), 300u);
    auto demo = CreateDemo();
    auto* lists = dynamic_cast<IListSweep*>(demo.get());
    ASSERT_NE(lists, nullptr);
    EXPECT_EQ(lists->ListRefusal(list), "");
    ASSERT_EQ(demo->SetFrequencyList(list, 300, kListSweep), 0);
    std::vector<double> back;
    ASSERT_EQ(lists->GetFrequencyList(back), 0);
    EXPECT_EQ(back, list);
    EXPECT_EQ(ReadBack(*demo), Sweep3(50e6, 20e9, 300));
    // Every reading is air's at its own point of the list.
    const auto trace = Measure(*demo, 300);
    const ProbeModel model = Model();
    for (std::size_t i : {0u, 100u, 101u, 299u}) {
        const auto air = Std(model.Reflection(list[i], CComplex(1.0, 0.0)));
        EXPECT_LT(Distance(trace[i], ThroughTerms(DemoErrorTerms(list[i], 0.0), air)), 1e-12) << i;
    }
    // A linear sweep reads back as the points it was sent; report_points as its changed count.
    const std::vector<double> three{1e9, 1.5e9, 2e9};
    demo->SetFrequencyList(three, 3, 0);
    lists->GetFrequencyList(back);
    EXPECT_EQ(back, three);
    auto reporting = CreateDemo("[analyzer]\nreport_points = 5\n");
    reporting->SetFrequencyList(three, 3, 0);
    dynamic_cast<IListSweep*>(reporting.get())->GetFrequencyList(back);
    EXPECT_EQ(back, (std::vector<double>{1e9, 1.25e9, 1.5e9, 1.75e9, 2e9}));
}

TEST(DemoAnalyzer, RefusesAListBeyondItsRangeOrPoints) {
    std::vector<double> low = TwoSegmentList();
    low[0] = 40e6;
    std::vector<double> high = TwoSegmentList();
    high.back() = 20.5e9;
    const std::pair<std::vector<double>, std::string> cases[] = {
        {low, "Point 1 of the list, 40. MHz, is outside the analyzer's range, 45. MHz to 20. GHz."},
        {high,
         "Point 300 of the list, 20.5 GHz, is outside the analyzer's range, 45. MHz to 20. GHz."},
        {{}, "The list holds no frequency."}};
    auto demo = CreateDemo();
    for (const auto& [list, refusal] : cases) {
        EXPECT_EQ(dynamic_cast<IListSweep*>(demo.get())->ListRefusal(list), refusal);
    }
    auto small = CreateDemo("[analyzer]\nmax_points = 299\n");
    EXPECT_EQ(dynamic_cast<IListSweep*>(small.get())->ListRefusal(TwoSegmentList()),
              "The list holds 300 points; the analyzer sweeps at most 299.");
}

TEST(DemoAnalyzer, LogSweepIsOfferedUnlessTheSettingsSayOtherwise) {
    auto demo = CreateDemo();
    EXPECT_EQ(demo->QueryLogSweepSupport(), 0);
    auto linear = CreateDemo("[analyzer]\nlog_sweep = false\n");
    EXPECT_EQ(linear->QueryLogSweepSupport(), kLogSweepNotOffered);
}

// Polls until an answer other than `waiting`; the number of polls it took.
template <typename Poll>
int PollsUntilAnswer(Poll poll, int waiting) {
    int polls = 0;
    while (poll() == waiting && polls < 100) {
        ++polls;
    }
    return polls + 1;
}

TEST(DemoAnalyzer, OperatorAnswersOnTheScreenUnlessAutomatic) {
    int response = 99;
    auto demo = CreateDemo();
    demo->ArmOperatorResponse();
    auto poll = [&](IInstrumentDriver& d) {
        EXPECT_EQ(d.PollOperatorResponse(response), 0);
        return response;
    };
    EXPECT_EQ(PollsUntilAnswer([&] { return poll(*demo); }, kResponseNone), 101);

    auto automatic = CreateDemo("[analyzer]\nauto_continue = true\n");
    // Not armed: nobody has been asked anything.
    EXPECT_EQ(PollsUntilAnswer([&] { return poll(*automatic); }, kResponseNone), 101);
    automatic->ArmOperatorResponse();
    const int polls = PollsUntilAnswer([&] { return poll(*automatic); }, kResponseNone);
    EXPECT_EQ(response, kResponseContinue);
    EXPECT_GT(polls, 1);
    EXPECT_LE(polls, 10);
    automatic->AcknowledgeContinue();
    EXPECT_EQ(poll(*automatic), kResponseNone);

    auto aborting = CreateDemo("[analyzer]\nauto_abort = true\nresponse_polls = 1\n");
    aborting->ArmOperatorResponse();
    EXPECT_EQ(poll(*aborting), kResponseAbort);
}

TEST(DemoAnalyzer, ExternalTriggerFiresAfterAFewPollsAndReadTraceGivesTheSample) {
    auto demo = CreateDemo();
    const std::vector<double> f = Linear(200e6, 20e9, 11);
    Sweep(*demo, f);
    std::vector<CComplex> trace(f.size());
    EXPECT_NE(demo->ReadTrace(trace), 0);       // no sweep taken yet
    EXPECT_NE(demo->PollExternalTrigger(), 0);  // not armed
    EXPECT_NE(demo->PollExternalTrigger(), kTriggerStillWaiting);

    // The probe was left in air by the last prompt; arming the trigger means measuring a sample.
    Prompt(*demo, "Leave the probe open in air.", "Measuring air.");
    ASSERT_EQ(demo->ArmExternalTrigger(), 0);
    int result = 0;
    const int polls = PollsUntilAnswer([&] { return result = demo->PollExternalTrigger(); },
                                       kTriggerStillWaiting);
    EXPECT_EQ(result, 0);
    EXPECT_GT(polls, 1);
    EXPECT_LE(polls, 10);
    ASSERT_EQ(demo->ReadTrace(trace), 0);
    const ProbeModel model = Model();
    for (std::size_t i = 0; i < f.size(); ++i) {
        const auto sample = Std(model.Reflection(f[i], ColeColePermittivity(f[i], kMethanol)));
        EXPECT_LT(Distance(trace[i], ThroughTerms(DemoErrorTerms(f[i], 0.0), sample)), 1e-12) << i;
    }
    // Reading again gives the same sweep; it takes no new one.
    std::vector<CComplex> again(f.size());
    ASSERT_EQ(demo->ReadTrace(again), 0);
    EXPECT_EQ(std::memcmp(again.data(), trace.data(), sizeof(CComplex) * f.size()), 0);

    auto none = CreateDemo("[analyzer]\nexternal_trigger = false\n");
    EXPECT_EQ(none->ArmExternalTrigger(), kTriggerNotSupported);
    auto failing = CreateDemo("[analyzer]\nfail_trigger = true\n");
    ASSERT_EQ(failing->ArmExternalTrigger(), 0);
    result = failing->PollExternalTrigger();
    EXPECT_NE(result, 0);
    EXPECT_NE(result, kTriggerStillWaiting);
}

TEST(DemoAnalyzer, RawUntilTermsAreDownloadedAndWhileCalibrating) {
    auto demo = CreateDemo();
    const std::vector<double> f = Linear(1e9, 2e9, 3);
    Sweep(*demo, f);
    Prompt(*demo, "Connect the shorting block to the probe.", "Measuring the shorting block.");
    std::vector<std::complex<double>> raw;
    for (double fi : f) {
        raw.push_back(ThroughTerms(DemoErrorTerms(fi, 0.0), -1.0));
    }
    auto expectRaw = [&](const char* when) {
        const auto m = Measure(*demo, f.size());
        for (std::size_t i = 0; i < f.size(); ++i) {
            EXPECT_LT(Distance(m[i], raw[i]), 1e-12) << when << " point " << i;
        }
    };
    // Terms chosen so that the correction is easy to compute by hand: (M - 0.1) / 2.
    const std::vector<CComplex> d00(3, CComplex(0.1, 0.0));
    const std::vector<CComplex> d11(3, CComplex(0.0, 0.0));
    const std::vector<CComplex> d01(3, CComplex(2.0, 0.0));
    auto expectCorrected = [&](const char* when) {
        const auto m = Measure(*demo, f.size());
        for (std::size_t i = 0; i < f.size(); ++i) {
            EXPECT_LT(Distance(m[i], (raw[i] - 0.1) / 2.0), 1e-12) << when << " point " << i;
        }
    };

    expectRaw("before any calibration");
    demo->DownloadCalibration(d00, d11, d01);
    expectCorrected("after a download");
    demo->BeginCalibration();
    expectRaw("after BeginCalibration");
    demo->DownloadCalibration(d00, d11, d01);
    demo->PrepareCalibration();
    expectRaw("after PrepareCalibration");
    demo->DownloadCalibration(d00, d11, d01);
    expectCorrected("after the next download");
    // Terms for another number of points do not belong to this sweep.
    demo->DownloadCalibration(std::span(d00).first(2), std::span(d11).first(2),
                              std::span(d01).first(2));
    expectRaw("with terms of two points");
    demo->DownloadCalibration(d00, d11, d01);
    demo->Preset();
    Sweep(*demo, f);
    expectRaw("after a preset");
}

TEST(DemoAnalyzer, CalibrationStateRestoresTheSweepAndRefusesForeignBlocks) {
    auto demo = CreateDemo();
    const std::vector<double> f = Linear(300e6, 3e9, 51);
    Sweep(*demo, f);
    const std::vector<CComplex> d00(51, CComplex(0.1, 0.0));
    const std::vector<CComplex> d11(51, CComplex(0.0, 0.0));
    const std::vector<CComplex> d01(51, CComplex(2.0, 0.0));
    demo->DownloadCalibration(d00, d11, d01);
    CalState state{};
    std::uint16_t size = 0;
    ASSERT_EQ(demo->SaveCalibrationState(state, size), 0);
    EXPECT_EQ(size, 40 + 51 * 8);

    auto fresh = CreateDemo();
    ASSERT_EQ(std::get<2>(ReadBack(*fresh)), 201);
    ASSERT_EQ(fresh->RestoreCalibrationState(state, size), 0);
    EXPECT_EQ(ReadBack(*fresh), Sweep3(300e6, 3e9, 51));
    fresh->DownloadCalibration(d00, d11, d01);
    fresh->ShowMessage("Insert probe into sample.");
    demo->ShowMessage("Insert probe into sample.");
    const auto restored = Measure(*fresh, 51);
    const auto original = Measure(*demo, 51);
    for (std::size_t i = 0; i < 51; ++i) {
        EXPECT_LT(Distance(restored[i], Std(original[i])), 1e-15) << i;
    }

    // Damaged or foreign blocks change nothing.
    auto other = CreateDemo();
    const std::vector<double> three{1e9, 2e9, 3e9};
    Sweep(*other, three);
    auto refused = [&](CalState block, std::uint16_t length) {
        EXPECT_NE(other->RestoreCalibrationState(block, length), 0);
        EXPECT_EQ(ReadBack(*other), Sweep3(1e9, 3e9, 3));
    };
    CalState bad = state;
    bad[0] = 'X';
    refused(bad, size);
    refused(state, 20);        // shorter than its header
    refused(state, 60000);     // longer than the block
    refused(state, size - 8);  // list cut short
    bad = state;
    bad[12] = 0xFF;  // more points than the instrument has
    bad[13] = 0xFF;
    refused(bad, size);
    auto narrow = CreateDemo("[analyzer]\nmax_frequency = 2e9\n");
    EXPECT_NE(narrow->RestoreCalibrationState(state, size), 0);  // outside its range
}

TEST(DemoAnalyzer, LongListsAreKeptAsStartStopAndCount) {
    auto demo = CreateDemo("[analyzer]\nmax_points = 10001\n");
    const std::vector<double> f = Linear(200e6, 20e9, 10001);
    Sweep(*demo, f);
    CalState state{};
    std::uint16_t size = 0;
    ASSERT_EQ(demo->SaveCalibrationState(state, size), 0);
    EXPECT_EQ(size, 40);
    auto fresh = CreateDemo("[analyzer]\nmax_points = 10001\n");
    ASSERT_EQ(fresh->RestoreCalibrationState(state, size), 0);
    EXPECT_EQ(ReadBack(*fresh), Sweep3(200e6, 20e9, 10001));
}

TEST(DemoAnalyzer, SameSeedGivesTheSameNoise) {
    const std::string ini = "[analyzer]\nnoise = 0.001\nseed = 42\n";
    const std::vector<double> f = Linear(200e6, 20e9, 401);
    auto a = CreateDemo(ini);
    auto b = CreateDemo(ini);
    auto c = CreateDemo("[analyzer]\nnoise = 0.001\nseed = 43\n");
    for (auto* d : {a.get(), b.get(), c.get()}) {
        Sweep(*d, f);
    }
    const auto ma = Measure(*a, f.size());
    const auto mb = Measure(*b, f.size());
    const auto mc = Measure(*c, f.size());
    EXPECT_EQ(std::memcmp(ma.data(), mb.data(), sizeof(CComplex) * f.size()), 0);
    EXPECT_NE(std::memcmp(ma.data(), mc.data(), sizeof(CComplex) * f.size()), 0);
    // Fresh noise on every sweep.
    const auto ma2 = Measure(*a, f.size());
    EXPECT_NE(std::memcmp(ma.data(), ma2.data(), sizeof(CComplex) * f.size()), 0);

    // Its size is the one asked for: RMS of real and imaginary parts near 0.001.
    const ProbeModel model = Model();
    double sum = 0.0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const auto clean = ThroughTerms(DemoErrorTerms(f[i], 0.0),
                                        Std(model.Reflection(f[i], CComplex(1.0, 0.0))));
        sum += std::norm(Std(ma[i]) - clean);
    }
    const double rms = std::sqrt(sum / (2.0 * f.size()));
    EXPECT_GT(rms, 0.0008);
    EXPECT_LT(rms, 0.0012);
}

}  // namespace
}  // namespace kv::test
