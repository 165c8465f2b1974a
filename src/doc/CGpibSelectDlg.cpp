#include "doc/CGpibSelectDlg.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "doc/OperatorUi.h"
#include "instrument/IAddressSearch.h"
#include "instrument/IComponentSettings.h"
#include "instrument/InstrumentDriverBase.h"
#include "instrument/PrintableText.h"

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

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsText(const ComponentInfo& card) {
    return card.addresses == AddressKind::Text;
}

}  // namespace

bool CheckAddress(AddressKind kind, bool cardAddress, const std::string& typed,
                  std::string& address, std::string& reason) {
    const std::string text = Trim(typed);
    if (kind == AddressKind::Text) {
        if (cardAddress && text.empty()) {
            reason = "the card needs an address";
            return false;
        }
        address = text;
        return true;
    }
    const int count = cardAddress ? kCardAddressCount : kInstrumentAddressCount;
    int n = -1;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, n);
    if (text.empty() || ec != std::errc() || ptr != end || n < 0 || n >= count) {
        reason = "not a bus address from 0 to " + std::to_string(count - 1) + ": " + typed;
        return false;
    }
    address = std::to_string(n);
    return true;
}

bool AddressesFit(AddressKind kind, const std::string& card, const std::string& instrument) {
    if (kind == AddressKind::Text) {
        return true;
    }
    std::string address, reason;
    return CheckAddress(kind, true, card, address, reason) &&
           CheckAddress(kind, false, instrument, address, reason);
}

void DefaultAddresses(AddressKind kind, std::string& card, std::string& instrument) {
    if (kind == AddressKind::Text) {
        card.clear();
        instrument.clear();
    } else {
        card = "7";
        instrument = "16";
    }
}

AddressKind CardAddressKind(IComponentRegistry& registry, const std::string& cardClsid) {
    std::vector<ComponentInfo> cards;
    if (registry.List(kGpibCardCategory, cards)) {
        for (const ComponentInfo& c : cards) {
            if (c.clsid == cardClsid) {
                return c.addresses;
            }
        }
    }
    return AddressKind::Numbers;
}

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
    const bool remembered = std::any_of(cards.begin(), cards.end(), [this](const auto& c) {
        return c.clsid == rememberedCardClsid;
    });
    if (!remembered) {
        // Nothing remembered: the addresses start as bus numbers, so a bus card comes first,
        // wherever its name sorts.
        const auto bus = std::find_if(cards.begin(), cards.end(),
                                      [](const ComponentInfo& c) { return !IsText(c); });
        if (bus != cards.end()) {
            cardIndex = static_cast<int>(bus - cards.begin());
        }
    }
    instrumentIndex = IndexOf(instruments, rememberedInstrumentClsid);
    // Remembered addresses of another kind of card (a host name where a bus number belongs)
    // would only fail the connection.
    const AddressKind kind = TextAddresses() ? AddressKind::Text : AddressKind::Numbers;
    if (!AddressesFit(kind, cardAddress, instrumentAddress)) {
        DefaultAddresses(kind, cardAddress, instrumentAddress);
    }
    problems = registry_.Problems();
    OnChanged();
}

void CGpibSelectDlg::SelectCard(int index) {
    const bool wasText = TextAddresses();
    cardIndex = index;
    const bool text = TextAddresses();
    const AddressKind kind = text ? AddressKind::Text : AddressKind::Numbers;
    if (text != wasText || !AddressesFit(kind, cardAddress, instrumentAddress)) {
        DefaultAddresses(kind, cardAddress, instrumentAddress);
    }
    OnChanged();
}

bool CGpibSelectDlg::SettingsAvailable() {
    const std::string clsid = InstrumentClsid();
    if (clsid.empty()) {
        return false;
    }
    const auto known = describesSettings_.find(clsid);
    if (known != describesSettings_.end()) {
        return known->second;
    }
    std::shared_ptr<IInstrumentDriver> driver;
    const bool describes =
        registry_.CreateDriver(clsid, driver) == CreateResult::Ok && driver != nullptr &&
        dynamic_cast<IComponentSettings*>(driver.get()) != nullptr &&
        !dynamic_cast<IComponentSettings*>(driver.get())->DescribeSettings().empty();
    describesSettings_[clsid] = describes;
    return describes;
}

void CGpibSelectDlg::EditSettings() {
    std::shared_ptr<IInstrumentDriver> driver;
    if (registry_.CreateDriver(InstrumentClsid(), driver) != CreateResult::Ok || !driver) {
        return;
    }
    auto* component = dynamic_cast<IComponentSettings*>(driver.get());
    if (component == nullptr) {
        return;
    }
    std::vector<SettingDescription> settings = component->DescribeSettings();
    const std::string title = component->SettingsTitle();
    while (ui_.EditComponentSettings(title, settings)) {
        std::map<std::string, std::string> values;
        std::string reason;
        bool fit = true;
        for (const SettingDescription& s : settings) {
            fit = fit && CheckSettingValue(s, s.value, reason);
            values[s.key] = s.value;
        }
        if (fit && component->StoreSettings(values, reason)) {
            settingsChanged = true;
            break;
        }
        ui_.Message(reason, title, Buttons::Ok, Icon::Warning);
    }
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

bool CGpibSelectDlg::TextAddresses() const {
    return cardIndex >= 0 && cardIndex < static_cast<int>(cards.size()) &&
           IsText(cards[static_cast<std::size_t>(cardIndex)]);
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
    problems = registry_.Problems();
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
    int stepsPerType = 0;
    for (const ComponentInfo& card : cards) {
        stepsPerType +=
            IsText(card) ? (Trim(instrumentAddress).empty() ? 2 : 1) : kFindStepsPerPair;
    }
    const auto offered = std::count_if(instruments.begin(), instruments.end(),
                                       [](const ComponentInfo& c) { return c.offeredByFind; });
    progressRange = stepsPerType * static_cast<int>(offered);
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
        if (!instruments[type].offeredByFind) {
            continue;
        }
        instrumentIndex = static_cast<int>(type);
        std::shared_ptr<IInstrumentDriver> driver;
        if (registry_.CreateDriver(instruments[type].clsid, driver) != CreateResult::Ok) {
            driver.reset();
        }
        for (std::size_t card = 0; card < cards.size() && go(); ++card) {
            cardIndex = static_cast<int>(card);
            const bool cardAccepted =
                driver != nullptr && driver->SelectGpibCard(cards[card].clsid) == 0;
            // One probe at the addresses shown; offers the analyzer when it answers there.
            auto probe = [&] {
                OnChanged();
                if (!cardAccepted) {
                    return;
                }
                ++probes;
                if (driver->SetAddresses(cardAddress, instrumentAddress) != 0 ||
                    driver->CheckInstrument() != 0) {
                    return;
                }
                std::string name;
                driver->GetInstrumentName(name);
                found = ui_.Message(PrintableText(name), "Instrument found.", Buttons::YesNo,
                                    Icon::Question) == Answer::Yes;
            };
            if (IsText(cards[card])) {
                cardAddress = Trim(chosenCardAddress);
                instrumentAddress = Trim(chosenInstrumentAddress);
                if (!cardAddress.empty()) {
                    probe();
                    // No instrument address typed: the default (the raw SCPI port on a network
                    // card) first, then the analyzer's own VXI-11 device on the same host.
                    if (Trim(chosenInstrumentAddress).empty() && go()) {
                        instrumentAddress = kDefaultVxi11Device;
                        probe();
                    }
                }
                // The addresses the driver lists on this card (the serial ports with its USB
                // ids), besides the typed one.
                auto* search = cardAccepted ? dynamic_cast<IAddressSearch*>(driver.get()) : nullptr;
                const std::vector<std::string> listed =
                    search != nullptr ? search->SearchCardAddresses() : std::vector<std::string>();
                progressRange += static_cast<int>(listed.size());
                for (const std::string& address : listed) {
                    if (!go()) {
                        break;
                    }
                    if (address == Trim(chosenCardAddress)) {
                        continue;
                    }
                    cardAddress = address;
                    instrumentAddress = Trim(chosenInstrumentAddress);
                    probe();
                }
                continue;
            }
            for (int ca = 0; ca < kCardAddressCount && go(); ++ca) {
                cardAddress = std::to_string(ca);
                for (int ia = 0; ia < kInstrumentAddressCount && go(); ++ia) {
                    instrumentAddress = std::to_string(ia);
                    probe();
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

    const bool text = TextAddresses();
    const std::string card =
        text ? Trim(cardAddress) : std::to_string(std::atoi(cardAddress.c_str()));
    const std::string instrument =
        text ? Trim(instrumentAddress) : std::to_string(std::atoi(instrumentAddress.c_str()));
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
            ui_.Message(PrintableText(name), "Instrument found.", Buttons::Ok, Icon::Information);
        } else {
            // A network address can fail in many ways (no such host, refused, no answer): the
            // driver's own text says which.
            std::string text = "Instrument not found.";
            const auto* errors = dynamic_cast<const IDriverErrors*>(driver.get());
            if (TextAddresses() && errors != nullptr && !errors->LastError().empty()) {
                text += "\n" + errors->LastError();
            }
            ui_.Message(text, "Hardware Test", Buttons::Ok, Icon::Warning);
        }
    } else {
        // Without a driver nothing can be tested; say which component failed, and why.
        const std::size_t chosen = static_cast<std::size_t>(instrumentIndex);
        std::string text = "The instrument component could not be created.";
        if (instrumentIndex >= 0 && chosen < instruments.size()) {
            text = "The instrument component \"" + instruments[chosen].name +
                   "\" could not be created.";
            for (const ComponentProblem& p : registry_.Problems()) {
                if (p.file == instruments[chosen].path) {
                    text += "\n" + p.reason;
                }
            }
        }
        ui_.Message(text, "Hardware Test", Buttons::Ok, Icon::Stop);
    }
    problems = registry_.Problems();
    findEnabled = true;
    testEnabled = true;
    okEnabled = true;
    cancelEnabled = true;
    OnChanged();
}

}  // namespace kv
