#include <deque>
#include <string>
#include <vector>

#include "DocFixture.h"
#include "doc/CGpibSelectDlg.h"
#include "doc/CommandIds.h"
#include "doc/CommandTable.h"
#include "instrument/IAddressSearch.h"
#include "instrument/IComponentSettings.h"

namespace kv::test {
namespace {

using Connection = DocFixture;

// A driver that answers only at one pair of addresses.
class AddressedDriver : public FakeDriver {
public:
    AddressedDriver(std::string card, std::string instrument)
        : card_(std::move(card)), instrument_(std::move(instrument)) {}
    int SetAddresses(const std::string& card, const std::string& instrument) override {
        cardSet_ = card;
        instrumentSet_ = instrument;
        return FakeDriver::SetAddresses(card, instrument);
    }
    int CheckInstrument() override {
        FakeDriver::CheckInstrument();
        return cardSet_ == card_ && instrumentSet_ == instrument_ ? 0 : 1;
    }

private:
    std::string card_, instrument_, cardSet_, instrumentSet_;
};

TEST_F(Connection, FirstShowWithAnEmptyProfileAsksAndRemembers) {
    CKv4731xDoc& d = Make();
    d.OnViewsShown();
    EXPECT_EQ(ui.gpibSelectRuns, 1);
    ASSERT_TRUE(d.HasInstrument());
    EXPECT_EQ(d.CurrentInstrumentName(), "FAKE ANALYZER 1");
    EXPECT_TRUE(d.firstShowDone);
    // The selection went into the profile after the connection.
    EXPECT_EQ(profile.values[kProfileCardClsid], kFakeCardClsid);
    EXPECT_EQ(profile.values[kProfileInstrumentClsid], kFakeInstrumentClsid);
    EXPECT_EQ(profile.values[kProfileCardAddress], "7");
    EXPECT_EQ(profile.values[kProfileInstrumentAddress], "16");
    // Connection order, then the engine attaches and prepares the analyzer.
    const auto& calls = registry.driver->calls;
    const std::vector<std::string> head(calls.begin(), calls.begin() + 7);
    EXPECT_EQ(head, (std::vector<std::string>{"SelectGpibCard", "SetAddresses", "CheckInstrument",
                                              "OpenInstrument", "Initialize", "GetInstrumentName",
                                              "SupportsReverseMeasurement"}));
    EXPECT_GE(registry.driver->Count("Preset"), 1);
    EXPECT_GE(registry.driver->Count("SetFrequencyList"), 1);
    // The sweep was fitted to the analyzer: 200 MHz to 20 GHz.
    EXPECT_EQ(d.Engine().StartHz(), 2e8);
    EXPECT_EQ(d.Engine().StopHz(), 2e10);

    // A second show does not connect again.
    const int creations = registry.creations;
    d.OnViewsShown();
    EXPECT_EQ(registry.creations, creations);
    EXPECT_EQ(ui.gpibSelectRuns, 1);
}

TEST_F(Connection, NextStartConnectsWithoutTheDialog) {
    {
        CKv4731xDoc& d = Make();
        d.OnViewsShown();
        ASSERT_TRUE(d.HasInstrument());
    }
    doc.reset();
    registry.driver.reset();
    CKv4731xDoc& again = Make();
    again.OnViewsShown();
    EXPECT_EQ(ui.gpibSelectRuns, 1);
    EXPECT_TRUE(again.HasInstrument());
}

TEST_F(Connection, RetryAndCancelWhenTheAnalyzerDoesNotAnswer) {
    RememberFakeSelection();
    registry.driver = std::make_shared<FakeDriver>();
    registry.driver->results["CheckInstrument"] = 1;
    ui.answers = {Answer::Retry, Answer::Cancel};
    CKv4731xDoc& d = Make();
    EXPECT_FALSE(d.Connect());
    ASSERT_EQ(ui.messages.size(), 2u);
    for (const auto& m : ui.messages) {
        EXPECT_EQ(m.text,
                  "The selected instrument could not be initialized\nFake analyzer on Fake GPIB "
                  "card, card address \"7\", instrument address \"16\": no instrument answered "
                  "at these addresses.");
        EXPECT_EQ(m.caption, "IEEE 488 Interface");
        EXPECT_EQ(m.buttons, Buttons::RetryCancel);
    }
    // The failed attempt forgot the selection, so the retry showed the dialog (which chose the
    // fake components again).
    EXPECT_EQ(ui.gpibSelectRuns, 1);
    EXPECT_EQ(registry.driver->Count("CheckInstrument"), 2);
    EXPECT_EQ(registry.driver->Count("OpenInstrument"), 0);
    EXPECT_FALSE(d.HasInstrument());
    EXPECT_EQ(d.CurrentInstrumentName(), "");
    // Nothing was remembered from a failed connection.
    EXPECT_TRUE(profile.values.find(kProfileInstrumentClsid)->second == kFakeInstrumentClsid);
    ui.messages.clear();
    RunDocumentCommand(d, ID_PERFORM_CAL);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "This function requires an instrument.");
}

TEST_F(Connection, AComponentThatCannotBeCreatedKeepsTheSelection) {
    profile.values[kProfileCardClsid] = kFakeCardClsid;
    profile.values[kProfileInstrumentClsid] = "{DEADBEEF-0000-0000-0000-000000000000}";
    ui.answers = {Answer::Retry, Answer::Cancel};
    CKv4731xDoc& d = Make();
    EXPECT_FALSE(d.Connect());
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.gpibSelectRuns, 0);  // Retry tried the same component again
    EXPECT_EQ(d.instrumentClsid, "{DEADBEEF-0000-0000-0000-000000000000}");
}

TEST_F(Connection, AnAnalyzerWithoutReverseMeasurementForcesForwardOnly) {
    RememberFakeSelection();
    registry.driver = std::make_shared<FakeDriver>();
    registry.driver->reverseSupport = 0;
    CKv4731xDoc& d = Make();
    EXPECT_TRUE(d.Connect());
    EXPECT_TRUE(d.reverseUnsupported);
    EXPECT_TRUE(d.forwardOnly);
}

TEST_F(Connection, CancelRestoresTheRememberedSelection) {
    CKv4731xDoc& d = Make();
    d.rememberedCardClsid = "{CARD-REMEMBERED}";
    d.rememberedInstrumentClsid = "{INSTRUMENT-REMEMBERED}";
    d.cardClsid.clear();
    d.instrumentClsid.clear();
    d.cardAddress = "5";
    ui.gpibSelect = [](CGpibSelectDlg& dialog) {
        dialog.cardAddress = "1";  // edited, then cancelled
        return false;
    };
    d.Select();
    EXPECT_EQ(d.cardClsid, "{CARD-REMEMBERED}");
    EXPECT_EQ(d.instrumentClsid, "{INSTRUMENT-REMEMBERED}");
    EXPECT_EQ(d.cardAddress, "5");
}

TEST_F(Connection, OkTakesTheChosenEntriesAndAddresses) {
    registry.instruments.push_back({"{33333333-0000-0000-0000-000000000003}", "Other", ""});
    CKv4731xDoc& d = Make();
    ui.gpibSelect = [](CGpibSelectDlg& dialog) {
        EXPECT_EQ(dialog.caption, "Select GPIB Card / Instrument");
        EXPECT_EQ(dialog.instrumentIndex, 0);  // nothing remembered: the first entry
        dialog.instrumentIndex = 1;
        dialog.instrumentAddress = "22";
        return true;
    };
    d.Select();
    EXPECT_EQ(d.instrumentClsid, "{33333333-0000-0000-0000-000000000003}");
    EXPECT_EQ(d.rememberedInstrumentClsid, "{33333333-0000-0000-0000-000000000003}");
    EXPECT_EQ(d.cardClsid, kFakeCardClsid);
    EXPECT_EQ(d.instrumentAddress, "22");
}

TEST_F(Connection, ListingFailuresAreReported) {
    registry.cardListFails = true;
    CKv4731xDoc& d = Make();
    CGpibSelectDlg dialog(registry, ui);
    dialog.Initialize();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "An error occured locating the GPIB Card dlls.  Try reinstalling the software.");
    EXPECT_EQ(ui.messages[0].caption, "Locating Card DLLs");
    EXPECT_TRUE(dialog.cards.empty());
    EXPECT_TRUE(dialog.instruments.empty());
    registry.cardListFails = false;
    registry.instrumentListFails = true;
    ui.messages.clear();
    dialog.Initialize();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Locating Instrument DLLs");
    EXPECT_TRUE(dialog.cards.empty());
    (void)d;
}

TEST_F(Connection, FindProbesEveryAddressPairOfTheAnalyzersItMayOffer) {
    // Whether an analyzer is tried is its metadata's say, not its name's.
    registry.instruments.push_back({"{33333333-0000-0000-0000-000000000003}", "Simulation", ""});
    registry.instruments.back().offeredByFind = false;
    registry.factories["{33333333-0000-0000-0000-000000000003}"] = [] {
        return std::make_shared<FakeDriver>();  // answers at every address
    };
    registry.factories[kFakeInstrumentClsid] = [] {
        auto driver = std::make_shared<AddressedDriver>("8", "31");
        driver->name = "Demo Network Analyzer";
        return driver;
    };
    Make();
    CGpibSelectDlg dialog(registry, ui);
    dialog.Initialize();
    ui.answers = {Answer::No};
    dialog.Find();
    EXPECT_EQ(dialog.probes, 9 * 32);
    EXPECT_EQ(registry.creations, 1);
    EXPECT_EQ(ui.MessageTexts(),
              (std::vector<std::string>{"Demo Network Analyzer", "Instrument not found."}));
    EXPECT_EQ(dialog.progressRange, 297);
    // The dialog is back to normal.
    EXPECT_TRUE(dialog.findEnabled);
    EXPECT_TRUE(dialog.okEnabled);
    EXPECT_FALSE(dialog.abortVisible);
    EXPECT_FALSE(dialog.progressVisible);
    EXPECT_EQ(dialog.caption, "Select GPIB Card / Instrument");
}

TEST_F(Connection, FindOffersAnAnsweringAnalyzerAndStopsOnYes) {
    registry.factories[kFakeInstrumentClsid] = [] {
        auto driver = std::make_shared<AddressedDriver>("3", "17");
        driver->name = "PROBE-VNA 7";
        return driver;
    };
    Make();
    CGpibSelectDlg dialog(registry, ui);
    dialog.Initialize();
    ui.answers = {Answer::Yes};
    dialog.Find();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "PROBE-VNA 7");
    EXPECT_EQ(ui.messages[0].caption, "Instrument found.");
    EXPECT_EQ(ui.messages[0].buttons, Buttons::YesNo);
    EXPECT_EQ(dialog.cardAddress, "3");
    EXPECT_EQ(dialog.instrumentAddress, "17");
    EXPECT_EQ(dialog.probes, 3 * 32 + 18);
}

// How a search over two analyzer types and two cards ends.
struct SearchEnd {
    const char* name;
    bool answersAt3And17;       // else nobody answers
    std::deque<Answer> offers;  // the answers to "Instrument found."
    int abortAtProbe;           // Abort pressed from the driver at this probe (0 never)
    int quitAtPump;             // the program closing at this pump (-1 never)
    int probes;
    bool found;
    std::vector<std::string> messages;  // "caption: text"
};

void PrintTo(const SearchEnd& c, std::ostream* os) {
    *os << c.name;
}

class FindEnds : public ::testing::TestWithParam<SearchEnd> {};

TEST_P(FindEnds, WithoutAFindTheOperatorsChoiceComesBack) {
    const SearchEnd& c = GetParam();
    FakeRegistry registry;
    registry.cards.push_back({"{CARD-2}", "Second card", ""});
    registry.instruments.push_back({"{ANALYZER-2}", "Second analyzer", ""});
    ScriptedUi ui;
    CGpibSelectDlg dialog(registry, ui);
    std::shared_ptr<FakeDriver> driver;
    if (c.answersAt3And17) {
        driver = std::make_shared<AddressedDriver>("3", "17");
        driver->name = "PROBE-VNA 9";
    } else {
        driver = std::make_shared<FakeDriver>();
        driver->results["CheckInstrument"] = 1;
    }
    int checks = 0;
    driver->onCall = [&](const std::string& op) {
        if (op == "CheckInstrument" && ++checks == c.abortAtProbe) {
            dialog.Abort();
        }
    };
    for (const char* clsid : {kFakeInstrumentClsid, "{ANALYZER-2}"}) {
        registry.factories[clsid] = [driver] { return driver; };
    }
    dialog.cardAddress = "7";
    dialog.instrumentAddress = "16";
    dialog.Initialize();
    ui.answers = c.offers;
    ui.quitAfterPumps = c.quitAtPump;
    dialog.Find();

    EXPECT_EQ(dialog.probes, c.probes);
    std::vector<std::string> messages;
    for (const auto& m : ui.messages) {
        messages.push_back(m.caption + ": " + m.text);
    }
    EXPECT_EQ(messages, c.messages);
    if (!ui.messages.empty() && !c.found) {
        EXPECT_EQ(ui.messages.back().buttons, Buttons::Ok);
    }
    // The search ends at the second type and card; the choice before it was the first ones.
    EXPECT_EQ(dialog.instrumentIndex, c.found ? 1 : 0);
    EXPECT_EQ(dialog.cardIndex, c.found ? 1 : 0);
    EXPECT_EQ(dialog.cardAddress, c.found ? "3" : "7");
    EXPECT_EQ(dialog.instrumentAddress, c.found ? "17" : "16");
    EXPECT_TRUE(dialog.okEnabled);
    EXPECT_FALSE(dialog.searching);
}

const std::string kOffer = "Instrument found.: PROBE-VNA 9";
const std::string kNotFound = "Hardware Test: Instrument not found.";

INSTANTIATE_TEST_SUITE_P(
    Connection, FindEnds,
    ::testing::Values(SearchEnd{"NobodyAnswers", false, {}, 0, -1, 4 * 288, false, {kNotFound}},
                      SearchEnd{"EveryOfferDeclined",
                                true,
                                {Answer::No, Answer::No, Answer::No, Answer::No},
                                0,
                                -1,
                                4 * 288,
                                false,
                                {kOffer, kOffer, kOffer, kOffer, kNotFound}},
                      SearchEnd{"AbortedInTheLastCard", false, {}, 900, -1, 900, false, {}},
                      SearchEnd{"ProgramClosing", false, {}, 0, 400, 288 + 3 * 32, false, {}},
                      SearchEnd{"FourthOfferTaken",
                                true,
                                {Answer::No, Answer::No, Answer::No, Answer::Yes},
                                0,
                                -1,
                                3 * 288 + 3 * 32 + 18,
                                true,
                                {kOffer, kOffer, kOffer, kOffer}}),
    [](const ::testing::TestParamInfo<SearchEnd>& info) { return std::string(info.param.name); });

TEST_F(Connection, FindCaptionGrowsByDotsAndStartsAgainPast90Characters) {
    registry.factories[kFakeInstrumentClsid] = [] {
        auto silent = std::make_shared<FakeDriver>();
        silent->results["CheckInstrument"] = 1;
        return silent;
    };
    Make();
    class Watching : public CGpibSelectDlg {
    public:
        using CGpibSelectDlg::CGpibSelectDlg;
        std::size_t longest = 0;
        std::size_t previous = 0;
        bool sawReset = false;

    protected:
        void OnChanged() override {
            if (searching && caption.size() < previous) {
                sawReset = previous == 90 && caption == title + " - Searching";
            }
            previous = caption.size();
            longest = std::max(longest, caption.size());
        }
    } dialog(registry, ui);
    dialog.Initialize();
    dialog.Find();
    EXPECT_EQ(dialog.longest, 90u);
    EXPECT_TRUE(dialog.sawReset);
}

TEST_F(Connection, TestReportsWhatAnswers) {
    registry.factories[kFakeInstrumentClsid] = [] {
        auto driver = std::make_shared<AddressedDriver>("7", "16");
        driver->name = "Demo Network Analyzer";
        return driver;
    };
    Make();
    CGpibSelectDlg dialog(registry, ui);
    dialog.Initialize();
    dialog.cardAddress = "07";
    dialog.instrumentAddress = "16";
    dialog.Test();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Demo Network Analyzer");
    EXPECT_EQ(ui.messages[0].caption, "Instrument found.");
    dialog.instrumentAddress = "15";
    dialog.Test();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, "Instrument not found.");
    EXPECT_EQ(ui.messages[1].caption, "Hardware Test");
    EXPECT_TRUE(dialog.okEnabled);
}

TEST_F(Connection, TheDialogShowsComponentProblemsAndTestExplainsAComponentThatFails) {
    // The analyzer's library is found when it is listed, and fails when it is loaded.
    registry.instruments[0].path = "/opt/components/libfake.so";
    registry.factories.clear();
    CGpibSelectDlg dialog(registry, ui);
    dialog.Initialize();
    EXPECT_TRUE(dialog.problems.empty());
    registry.problems = {{"/opt/components/libfake.so", "cannot be loaded: missing symbol"}};
    dialog.Test();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "The instrument component \"Fake analyzer\" could not be created.\n"
              "cannot be loaded: missing symbol");
    EXPECT_EQ(ui.messages[0].caption, "Hardware Test");
    EXPECT_EQ(dialog.problems, registry.problems);
    EXPECT_TRUE(dialog.okEnabled);
    EXPECT_TRUE(dialog.testEnabled);
}

TEST_F(Connection, WithNothingRememberedABusCardIsPreselected) {
    // The network card lists first, as a card whose name sorts first would.
    registry.cards.insert(registry.cards.begin(),
                          ComponentInfo{kFakeTextCardClsid, "A network card", ""});
    registry.cards.front().addresses = AddressKind::Text;
    Make();
    CGpibSelectDlg dialog(registry, ui);
    dialog.Initialize();
    EXPECT_EQ(dialog.CardClsid(), kFakeCardClsid);
    EXPECT_FALSE(dialog.TextAddresses());
    // A remembered network card stays chosen.
    dialog.rememberedCardClsid = kFakeTextCardClsid;
    dialog.Initialize();
    EXPECT_EQ(dialog.CardClsid(), kFakeTextCardClsid);
}

TEST_F(Connection, ACardWithTextAddressesIsTriedOnlyAtTheTypedAddresses) {
    registry.cards.clear();
    registry.AddTextCard();
    registry.factories[kFakeInstrumentClsid] = [] {
        auto driver = std::make_shared<AddressedDriver>("vna-7.lab", "gpib0,16");
        driver->name = "PROBE-VNA 7";
        driver->errorText = "No connection to vna-7.lab: Connection refused.";
        return driver;
    };
    Make();
    CGpibSelectDlg dialog(registry, ui);
    dialog.Initialize();
    EXPECT_TRUE(dialog.TextAddresses());
    // Without a card address there is nothing to try.
    dialog.cardAddress = " ";
    dialog.instrumentAddress = "gpib0,16";
    dialog.Find();
    EXPECT_EQ(dialog.probes, 0);
    EXPECT_EQ(ui.MessageTexts(), (std::vector<std::string>{"Instrument not found."}));
    // The typed texts, blanks around them aside: one probe, no scan.
    dialog.cardAddress = " vna-7.lab ";
    ui.answers = {Answer::Yes};
    dialog.Find();
    EXPECT_EQ(dialog.probes, 1);
    EXPECT_EQ(dialog.progressRange, 1);
    EXPECT_EQ(dialog.cardAddress, "vna-7.lab");
    EXPECT_EQ(dialog.instrumentAddress, "gpib0,16");
    // Test hands texts over as texts (as numbers, "gpib0,16" would have become "0").
    ui.messages.clear();
    dialog.instrumentAddress = " gpib0,16";
    dialog.Test();
    EXPECT_EQ(ui.MessageTexts(), (std::vector<std::string>{"PROBE-VNA 7"}));
    // A failed test at a network address says why, in the driver's words.
    ui.messages.clear();
    dialog.cardAddress = "vna-8.lab";
    dialog.Test();
    EXPECT_EQ(ui.MessageTexts(),
              (std::vector<std::string>{
                  "Instrument not found.\nNo connection to vna-7.lab: Connection refused."}));
}

// With no instrument address typed, Find tries the host as it is (the raw port) and then as the
// VXI-11 device inst0, and shows inst0 when the analyzer answers there.
TEST_F(Connection, FindOnANetworkCardTriesInst0WhenNoInstrumentAddressIsTyped) {
    registry.cards.clear();
    registry.AddTextCard();
    registry.factories[kFakeInstrumentClsid] = [] {
        return std::make_shared<AddressedDriver>("vna-7.lab", "inst0");
    };
    Make();
    CGpibSelectDlg dialog(registry, ui);
    dialog.Initialize();
    dialog.cardAddress = "vna-7.lab";
    dialog.instrumentAddress = " ";
    ui.answers = {Answer::Yes};
    dialog.Find();
    EXPECT_EQ(dialog.probes, 2);
    EXPECT_EQ(dialog.progressRange, 2);
    EXPECT_EQ(dialog.instrumentAddress, "inst0");
    // A typed instrument address is the only one tried.
    dialog.instrumentAddress = "5025";
    ui.messages.clear();
    dialog.Find();
    EXPECT_EQ(dialog.probes, 1);
    EXPECT_EQ(ui.MessageTexts(), (std::vector<std::string>{"Instrument not found."}));
}

// A driver that lists card addresses (the serial ports with its USB ids) has each of them
// probed after the typed one, with the typed instrument address.
TEST_F(Connection, FindProbesTheCardAddressesTheDriverLists) {
    class ListingDriver : public AddressedDriver, public IAddressSearch {
    public:
        ListingDriver() : AddressedDriver("/dev/ttyACM1", "") {}
        std::vector<std::string> SearchCardAddresses() override {
            return {"/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyACM2"};
        }
    };
    registry.cards.clear();
    registry.AddTextCard();
    registry.factories[kFakeInstrumentClsid] = [] { return std::make_shared<ListingDriver>(); };
    Make();
    CGpibSelectDlg dialog(registry, ui);
    dialog.Initialize();
    // Nothing typed: the listed ports in turn, until the analyzer answers and is taken.
    dialog.cardAddress = "";
    dialog.instrumentAddress = "";
    ui.answers = {Answer::Yes};
    dialog.Find();
    EXPECT_EQ(dialog.probes, 2);
    EXPECT_EQ(dialog.progressRange, 2 + 3);
    EXPECT_EQ(dialog.cardAddress, "/dev/ttyACM1");
    // The typed port is probed once, not again as a listed one.
    dialog.cardAddress = "/dev/ttyACM0";
    dialog.instrumentAddress = "x";
    ui.messages.clear();
    dialog.Find();
    EXPECT_EQ(dialog.probes, 3);
    EXPECT_EQ(ui.MessageTexts(), (std::vector<std::string>{"Instrument not found."}));
}

TEST(Addresses, NumbersOrTextsAsTheCardReadsThem) {
    struct Case {
        AddressKind kind;
        bool card;
        const char* typed;
        const char* address;  // null: refused
    };
    for (const Case& c :
         {Case{AddressKind::Numbers, true, " 07 ", "7"}, Case{AddressKind::Numbers, true, "8", "8"},
          Case{AddressKind::Numbers, true, "9", nullptr},
          Case{AddressKind::Numbers, false, "31", "31"},
          Case{AddressKind::Numbers, false, "32", nullptr},
          Case{AddressKind::Numbers, false, "-1", nullptr},
          Case{AddressKind::Numbers, false, "1x", nullptr},
          Case{AddressKind::Numbers, false, "", nullptr},
          Case{AddressKind::Text, true, " fe80::1 ", "fe80::1"},
          Case{AddressKind::Text, true, "  ", nullptr}, Case{AddressKind::Text, false, "", ""},
          Case{AddressKind::Text, false, "gpib0,16", "gpib0,16"}}) {
        std::string address = "unchanged";
        std::string reason;
        const bool ok = CheckAddress(c.kind, c.card, c.typed, address, reason);
        EXPECT_EQ(ok, c.address != nullptr) << c.typed;
        EXPECT_EQ(address, c.address != nullptr ? c.address : "unchanged") << c.typed;
    }
    std::string address;
    std::string reason;
    CheckAddress(AddressKind::Numbers, true, "9", address, reason);
    EXPECT_EQ(reason, "not a bus address from 0 to 8: 9");
    CheckAddress(AddressKind::Text, true, "", address, reason);
    EXPECT_EQ(reason, "the card needs an address");
}

TEST_F(Connection, GpibInstrumentCommandShowsTheDialogAndVerifies) {
    RememberFakeSelection();
    CKv4731xDoc& d = Make();
    RunDocumentCommand(d, ID_GPIB_INSTRUMENT);
    EXPECT_EQ(ui.gpibSelectRuns, 1);
    ASSERT_TRUE(d.HasInstrument());
    EXPECT_TRUE(d.firstShowDone);
    EXPECT_GE(registry.driver->Count("GetNumberOfPoints"), 1);
    EXPECT_EQ(ui.waitCursorDepth, 0);
}

// A calibration in force, as far as the document and the analyzer can tell: terms for every
// point of the sweep and a saved calibration state.
void Calibrate(CKv4731xDoc& d) {
    CProbeEngine& e = d.Engine();
    const std::size_t n = e.frequencies.size();
    e.errorDirectivity.assign(n, {0.01, 0.02});
    e.errorSourceMatch.assign(n, {0.03, 0.04});
    e.errorTracking.assign(n, {0.9, -0.1});
    e.calState[0] = 'K';
    e.calStateSize = 1;
    e.calibrated = true;
}

TEST_F(Connection, TheInstrumentCommandKeepsTheCalibrationUnlessTheOperatorGivesItUp) {
    RememberFakeSelection();
    CKv4731xDoc& d = Make();
    ASSERT_TRUE(d.Connect());
    // A sweep the analyzer's preset would not give back by itself.
    FrequencyPage page = d.Engine().CurrentSweepPage();
    page.sweep.startValue = 1;
    page.sweep.startUnit = "GHz";
    page.sweep.stopValue = 3;
    page.sweep.stopUnit = "GHz";
    page.sweep.numPoints = 21;
    ASSERT_TRUE(d.SetSweep(page).Done());
    Calibrate(d);
    const std::string question = "This discards the current calibration. Continue?";

    // OK with nothing changed: no new connection, the calibration stays, nothing is asked.
    int creations = registry.creations;
    ui.messages.clear();
    RunDocumentCommand(d, ID_GPIB_INSTRUMENT);
    EXPECT_EQ(registry.creations, creations);
    EXPECT_TRUE(d.Engine().calibrated);
    EXPECT_TRUE(ui.messages.empty());

    // Another address, and No: nothing changes.
    ui.gpibSelect = [](CGpibSelectDlg& dialog) {
        dialog.instrumentAddress = "17";
        return true;
    };
    ui.answers = {Answer::No};
    RunDocumentCommand(d, ID_GPIB_INSTRUMENT);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, question);
    EXPECT_EQ(ui.messages[0].caption, "Calibration");
    EXPECT_EQ(ui.messages[0].buttons, Buttons::YesNo);
    EXPECT_EQ(registry.creations, creations);
    EXPECT_EQ(d.instrumentAddress, "16");
    EXPECT_EQ(d.rememberedInstrumentClsid, kFakeInstrumentClsid);
    EXPECT_TRUE(d.Engine().calibrated);

    // "Reset defaults" asks the same; No keeps everything.
    ui.messages.clear();
    ui.answers = {Answer::No};
    ASSERT_TRUE(d.WriteDefaultsFile().Done());
    RunDocumentCommand(d, ID_RESET_DEFAULTS);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, question);
    EXPECT_TRUE(d.Engine().calibrated);

    // Only the analyzer's own settings changed: connected again, and the same analyzer gets the
    // kept terms and state downloaded on the calibrated sweep.
    ui.messages.clear();
    ui.gpibSelect = [](CGpibSelectDlg& dialog) {
        dialog.settingsChanged = true;
        return true;
    };
    RunDocumentCommand(d, ID_GPIB_INSTRUMENT);
    EXPECT_EQ(registry.creations, creations + 1);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(d.Engine().calibrated);
    EXPECT_EQ(d.Engine().frequencies.size(), 21u);
    EXPECT_EQ(d.Engine().StartHz(), 1e9);
    const FakeDriver& driver = *registry.driver;
    ASSERT_EQ(driver.downloaded[0].size(), 21u);
    EXPECT_EQ(driver.downloaded[2][20].re, 0.9);
    EXPECT_EQ(driver.restoredSize, 1);
    EXPECT_EQ(driver.restoredState[0], 'K');

    // Another identification after the reconnect: the terms belong to another analyzer.
    const std::string file = (folder / "other.tst").string();
    ASSERT_TRUE(d.SaveSetupFile(file).Done());  // names FAKE ANALYZER 1
    registry.driver->name = "FAKE ANALYZER 2";
    RunDocumentCommand(d, ID_GPIB_INSTRUMENT);
    EXPECT_FALSE(d.Engine().calibrated);

    // A setup file made on another analyzer asks before it replaces the calibration.
    Calibrate(d);
    ui.messages.clear();
    ui.answers = {Answer::Ok, Answer::No};
    EXPECT_EQ(d.OpenSetupFile(file).kind, Outcome::Kind::Aborted);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, question);
    EXPECT_TRUE(d.Engine().calibrated);

    // Another address, and Yes: connected there, the calibration given up.
    Calibrate(d);
    ui.messages.clear();
    ui.gpibSelect = [](CGpibSelectDlg& dialog) {
        dialog.instrumentAddress = "17";
        return true;
    };
    RunDocumentCommand(d, ID_GPIB_INSTRUMENT);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(d.instrumentAddress, "17");
    EXPECT_TRUE(d.HasInstrument());
    EXPECT_FALSE(d.Engine().calibrated);
}

TEST_F(Connection, AFailedPresetIsAFailedConnection) {
    RememberFakeSelection();
    registry.driver = std::make_shared<FakeDriver>();
    registry.driver->results["Preset"] = 4;
    registry.driver->errorText = "Error -113 after *RST";
    ui.answers = {Answer::Cancel};
    CKv4731xDoc& d = Make();
    EXPECT_FALSE(d.Connect());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "The selected instrument could not be initialized\nFake analyzer on Fake GPIB card, "
              "card address \"7\", instrument address \"16\": Error -113 after *RST");
    EXPECT_EQ(ui.messages[0].buttons, Buttons::RetryCancel);
    EXPECT_FALSE(d.HasInstrument());
    // Nothing after the preset was sent, and nothing was remembered.
    EXPECT_EQ(registry.driver->CallsSince("Preset"), (std::vector<std::string>{"Preset"}));
    EXPECT_TRUE(profile.values.find(kProfileCardAddress) == profile.values.end());
}

// Addresses kept for one kind of card give way to the defaults of the card the selection ends
// on, wherever the selection is made.
TEST_F(Connection, AddressesThatDoNotFitTheCardGiveWayToItsDefaults) {
    registry.AddTextCard();
    struct Case {
        const char* card;
        const char* cardAddress;
        const char* instrumentAddress;
        const char* cardAfter;
        const char* instrumentAfter;
    } cases[] = {
        {kFakeCardClsid, "127.0.0.1", "5025", "7", "16"},
        {kFakeCardClsid, "3", "40", "7", "16"},
        {kFakeCardClsid, "3", "4", "3", "4"},
        {kFakeTextCardClsid, "127.0.0.1", "5025", "127.0.0.1", "5025"},
        {kFakeTextCardClsid, "", "", "", ""},
    };
    for (const Case& c : cases) {
        profile.values[kProfileCardClsid] = c.card;
        profile.values[kProfileInstrumentClsid] = kFakeInstrumentClsid;
        profile.values[kProfileCardAddress] = c.cardAddress;
        profile.values[kProfileInstrumentAddress] = c.instrumentAddress;
        CKv4731xDoc& d = Make();
        EXPECT_EQ(d.cardAddress, c.cardAfter) << c.cardAddress;
        EXPECT_EQ(d.instrumentAddress, c.instrumentAfter) << c.instrumentAddress;
        // The dialog starts from the same addresses.
        CGpibSelectDlg dialog(registry, ui);
        dialog.rememberedCardClsid = c.card;
        dialog.cardAddress = c.cardAddress;
        dialog.instrumentAddress = c.instrumentAddress;
        dialog.Initialize();
        EXPECT_EQ(dialog.cardAddress, c.cardAfter) << c.cardAddress;
        EXPECT_EQ(dialog.instrumentAddress, c.instrumentAfter) << c.instrumentAddress;
    }

    // Choosing another card in the dialog: another kind of address takes that card's defaults.
    CGpibSelectDlg dialog(registry, ui);
    dialog.rememberedCardClsid = kFakeCardClsid;
    dialog.cardAddress = "3";
    dialog.instrumentAddress = "4";
    dialog.Initialize();
    dialog.SelectCard(1);
    EXPECT_EQ(dialog.cardAddress + "|" + dialog.instrumentAddress, "|");
    dialog.cardAddress = "analyzer.example";
    dialog.SelectCard(0);
    EXPECT_EQ(dialog.cardAddress + "|" + dialog.instrumentAddress, "7|16");
}

// An analyzer component with settings of its own: two settings, and what it was asked to store.
class SettingsDriver : public FakeDriver, public IComponentSettings {
public:
    std::string SettingsTitle() const override { return "Fake analyzer settings"; }
    std::vector<SettingDescription> DescribeSettings() const override {
        SettingDescription timeout;
        timeout.key = "timeout";
        timeout.name = "Timeout";
        timeout.kind = SettingKind::Number;
        timeout.minimum = 0.01;
        timeout.maximum = 3600;
        timeout.unit = "s";
        timeout.value = "10";
        SettingDescription family;
        family.key = "family";
        family.name = "Command family";
        family.kind = SettingKind::Choice;
        family.choices = {{"", "Automatic"}, {"generic", "generic"}};
        return {timeout, family};
    }
    bool StoreSettings(const std::map<std::string, std::string>& values, std::string&) override {
        stored.push_back(values);
        return true;
    }
    std::vector<std::map<std::string, std::string>> stored;
};

TEST_F(Connection, SettingsAreEditedAsDescribedAndStoredByTheComponent) {
    auto component = std::make_shared<SettingsDriver>();
    registry.factories[kFakeInstrumentClsid] = [component] { return component; };
    constexpr const char* kPlainClsid = "{33333333-0000-0000-0000-000000000003}";
    registry.instruments.push_back({kPlainClsid, "Plain analyzer", ""});
    registry.factories[kPlainClsid] = [] { return std::make_shared<FakeDriver>(); };
    CGpibSelectDlg dialog(registry, ui);
    dialog.rememberedInstrumentClsid = kFakeInstrumentClsid;
    dialog.Initialize();
    ASSERT_TRUE(dialog.SettingsAvailable());

    // A value out of its range is refused with the reason, and the page shown again.
    std::vector<std::string> shown;
    ui.componentSettings = [&shown](const std::string& title,
                                    std::vector<SettingDescription>& settings) {
        shown.push_back(title + ":" + settings[0].value);
        settings[0].value = shown.size() == 1 ? "0" : "2.5";
        settings[1].value = "generic";
        return true;
    };
    dialog.EditSettings();
    EXPECT_EQ(shown,
              (std::vector<std::string>{"Fake analyzer settings:10", "Fake analyzer settings:0"}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Timeout: \"0\" is not a number from 0.01 to 3600 s.");
    ASSERT_EQ(component->stored.size(), 1u);
    EXPECT_EQ(component->stored[0],
              (std::map<std::string, std::string>{{"timeout", "2.5"}, {"family", "generic"}}));
    EXPECT_TRUE(dialog.settingsChanged);

    // Cancel stores nothing; an analyzer without settings has no page.
    dialog.settingsChanged = false;
    ui.componentSettings = nullptr;
    dialog.EditSettings();
    EXPECT_EQ(component->stored.size(), 1u);
    EXPECT_FALSE(dialog.settingsChanged);
    dialog.instrumentIndex = 1;
    EXPECT_FALSE(dialog.SettingsAvailable());

    // The other kinds of value.
    SettingDescription average;
    average.name = "Averaging";
    average.kind = SettingKind::Integer;
    average.minimum = 1;
    average.maximum = 1000;
    std::string reason;
    EXPECT_TRUE(CheckSettingValue(average, " 12 ", reason));
    EXPECT_FALSE(CheckSettingValue(average, "1.5", reason));
    EXPECT_EQ(reason, "Averaging: \"1.5\" is not a whole number from 1 to 1000.");
    EXPECT_FALSE(CheckSettingValue(average, "nan", reason));
    EXPECT_FALSE(CheckSettingValue(component->DescribeSettings()[1], "other", reason));
    EXPECT_EQ(reason, "Command family: \"other\" is none of the choices.");
}

}  // namespace
}  // namespace kv::test
