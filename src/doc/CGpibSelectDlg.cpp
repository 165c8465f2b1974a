#include "doc/CGpibSelectDlg.h"

#include <cstdlib>

#include "doc/OperatorUi.h"

namespace kv {

namespace {

int IndexOf(const std::vector<ComponentInfo>& list, const std::string& clsid) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].clsid == clsid) {
            return static_cast<int>(i);
        }
    }
    return list.empty() ? -1 : 0;
}

}  // namespace

CGpibSelectDlg::CGpibSelectDlg(IComponentRegistry& registry, OperatorUi& ui)
    : registry_(registry), ui_(ui) {}

void CGpibSelectDlg::Initialize() {
    caption = title;
    cards.clear();
    instruments.clear();
    if (!registry_.List(kGpibCardCategory, cards)) {
        cards.clear();
        ui_.Message("An error occured locating the GPIB Card dlls.  Try reinstalling the software.",
                    "Locating Card DLLs", Buttons::Ok, Icon::Stop);
    } else if (!registry_.List(kInstrumentCategory, instruments)) {
        cards.clear();
        instruments.clear();
        ui_.Message(
            "An error occured locating the Instrument dlls.  Try reinstalling the software.",
            "Locating Instrument DLLs", Buttons::Ok, Icon::Stop);
    }
    cardIndex = IndexOf(cards, rememberedCardClsid);
    instrumentIndex = IndexOf(instruments, rememberedInstrumentClsid);
    OnChanged();
}

std::string CGpibSelectDlg::CardClsid() const {
    return cardIndex >= 0 && cardIndex < static_cast<int>(cards.size())
               ? cards[static_cast<std::size_t>(cardIndex)].clsid
               : std::string();
}

std::string CGpibSelectDlg::InstrumentClsid() const {
    return instrumentIndex >= 0 && instrumentIndex < static_cast<int>(instruments.size())
               ? instruments[static_cast<std::size_t>(instrumentIndex)].clsid
               : std::string();
}

bool CGpibSelectDlg::Step() {
    ui_.PumpMessages();
    ++progressPosition;
    caption += ".";
    if (caption.size() > 90) {
        caption = title + " - Searching";
    }
    OnChanged();
    return !abortPressed_ && !ui_.QuitRequested();
}

void CGpibSelectDlg::RestoreAfterSearch() {
    findEnabled = true;
    findVisible = true;
    testEnabled = true;
    okEnabled = true;
    cancelEnabled = true;
    abortEnabled = false;
    abortVisible = false;
    progressVisible = false;
    searching = false;
    caption = title;
    OnChanged();
}

void CGpibSelectDlg::Find() {
    // The operator's choice, given back when the search chooses nothing.
    const int chosenCard = cardIndex;
    const int chosenInstrument = instrumentIndex;
    const std::string chosenCardAddress = cardAddress;
    const std::string chosenInstrumentAddress = instrumentAddress;

    findEnabled = false;
    findVisible = false;
    testEnabled = false;
    okEnabled = false;
    cancelEnabled = false;
    abortEnabled = true;
    abortVisible = true;
    progressVisible = true;
    progressRange =
        kFindStepsPerPair * static_cast<int>(instruments.size()) * static_cast<int>(cards.size());
    progressPosition = 0;
    caption = title + " - Searching";
    searching = true;
    abortPressed_ = false;
    probes = 0;
    OnChanged();

    bool found = false;
    bool aborted = false;
    // Abort (or the program closing) ends the search before the next change.
    auto go = [this, &found, &aborted] {
        aborted = aborted || (!found && !Step());
        return !found && !aborted;
    };
    for (std::size_t type = 0; type < instruments.size() && go(); ++type) {
        instrumentIndex = static_cast<int>(type);
        std::shared_ptr<IInstrumentDriver> driver;
        if (registry_.CreateDriver(instruments[type].clsid, driver) != CreateResult::Ok) {
            driver.reset();
        }
        for (std::size_t card = 0; card < cards.size() && go(); ++card) {
            cardIndex = static_cast<int>(card);
            const bool cardAccepted =
                driver != nullptr && driver->SelectGpibCard(cards[card].clsid) == 0;
            for (int ca = 0; ca < kCardAddressCount && go(); ++ca) {
                cardAddress = std::to_string(ca);
                for (int ia = 0; ia < kInstrumentAddressCount && go(); ++ia) {
                    instrumentAddress = std::to_string(ia);
                    OnChanged();
                    if (!cardAccepted) {
                        continue;
                    }
                    ++probes;
                    if (driver->SetAddresses(cardAddress, instrumentAddress) != 0 ||
                        driver->CheckInstrument() != 0) {
                        continue;
                    }
                    std::string name;
                    driver->GetInstrumentName(name);
                    // A simulated analyzer answers everywhere; the search never offers it.
                    if (name.find("Demo") != std::string::npos) {
                        continue;
                    }
                    found = ui_.Message(name, "Instrument found.", Buttons::YesNo,
                                        Icon::Question) == Answer::Yes;
                }
            }
        }
    }
    if (!found) {
        // The last address pair probed is nothing the operator chose: OK would connect there.
        cardIndex = chosenCard;
        instrumentIndex = chosenInstrument;
        cardAddress = chosenCardAddress;
        instrumentAddress = chosenInstrumentAddress;
    }
    RestoreAfterSearch();
    // An abort is the operator's own doing and needs no message.
    if (!found && !aborted) {
        ui_.Message("Instrument not found.", "Hardware Test", Buttons::Ok, Icon::Warning);
    }
}

void CGpibSelectDlg::Test() {
    findEnabled = false;
    testEnabled = false;
    okEnabled = false;
    cancelEnabled = false;
    OnChanged();

    const std::string card = std::to_string(std::atoi(cardAddress.c_str()));
    const std::string instrument = std::to_string(std::atoi(instrumentAddress.c_str()));
    std::shared_ptr<IInstrumentDriver> driver;
    if (registry_.CreateDriver(InstrumentClsid(), driver) == CreateResult::Ok &&
        driver != nullptr) {
        bool found = false;
        std::string name;
        if (driver->SelectGpibCard(CardClsid()) == 0 &&
            driver->SetAddresses(card, instrument) == 0 && driver->CheckInstrument() == 0) {
            driver->GetInstrumentName(name);
            found = true;
        }
        if (found) {
            ui_.Message(name, "Instrument found.", Buttons::Ok, Icon::Information);
        } else {
            ui_.Message("Instrument not found.", "Hardware Test", Buttons::Ok, Icon::Warning);
        }
    }
    findEnabled = true;
    testEnabled = true;
    okEnabled = true;
    cancelEnabled = true;
    OnChanged();
}

}  // namespace kv
