#pragma once

// The selection dialog "Select GPIB Card / Instrument": the card and instrument lists, the two bus
// addresses, and the bus search (Find) and the single-address test (Test). This class holds the
// dialog's state and runs its commands; the front end shows the state (OnChanged) and passes the
// operator's edits and button presses in.

#include <map>
#include <string>
#include <vector>

#include "instrument/ComponentRegistry.h"

namespace kv {

class OperatorUi;

inline constexpr int kCardAddressCount = 9;         // card addresses 0 to 8
inline constexpr int kInstrumentAddressCount = 32;  // instrument addresses 0 to 31
inline constexpr int kFindStepsPerPair = 297;       // progress range per card and instrument type
// What Find tries on a card with text addresses when no instrument address is typed, after the
// empty one: the VXI-11 device name of an analyzer on the network.
inline constexpr const char* kDefaultVxi11Device = "inst0";

// An address typed for a card of the given kind, as the driver gets it: a bus number (card 0 to 8,
// instrument 0 to 31) without blanks or leading zeros, or a text without the blanks around it
// (a card address must not be empty). False, with the reason, for anything else.
bool CheckAddress(AddressKind kind, bool cardAddress, const std::string& typed,
                  std::string& address, std::string& reason);

// Whether two addresses can be handed to a card of that kind: bus numbers in range for a bus
// card; any text for a card that reads texts.
bool AddressesFit(AddressKind kind, const std::string& card, const std::string& instrument);
// A card's own starting addresses: "7" and "16" on a bus, nothing on a card that reads texts
// (its driver's defaults then apply, a network card's port for one).
void DefaultAddresses(AddressKind kind, std::string& card, std::string& instrument);
// The kind of addresses of the card with that CLSID (bus numbers when it is not listed).
AddressKind CardAddressKind(IComponentRegistry& registry, const std::string& cardClsid);

class CGpibSelectDlg {
public:
    CGpibSelectDlg(IComponentRegistry& registry, OperatorUi& ui);
    virtual ~CGpibSelectDlg() = default;

    // ---- set by the owner before the dialog is shown ----
    std::string title = "Select GPIB Card / Instrument";
    std::string cardAddress;
    std::string instrumentAddress;
    std::string rememberedCardClsid;
    std::string rememberedInstrumentClsid;

    // Lists both categories (card first) and selects the remembered entries (the first entry when
    // none matches). A category that cannot be listed shows its message and leaves the lists
    // empty.
    void Initialize();

    // ---- commands ----
    // Searches the bus. A search that ends without an instrument chosen gives the types and
    // addresses back as they were; when it ran to its end (not aborted) it says so. Analyzers
    // whose metadata forbids it are never tried; a card with text addresses cannot be scanned,
    // so only the typed addresses are tried there (nothing without a card address; with no
    // instrument address, the empty one and then kDefaultVxi11Device), and then every card
    // address a driver that lists them (IAddressSearch) gives for that card.
    void Find();
    void Test();
    void Abort() { abortPressed_ = true; }
    // The operator chose another card: addresses of another kind, or that do not fit the new
    // card, give way to its defaults.
    void SelectCard(int index);
    // "Settings...": the chosen analyzer's own settings, edited on a page the front end builds
    // from their description and stored by the component on OK (settingsChanged is then set).
    // Only for an analyzer that describes settings (SettingsAvailable).
    void EditSettings();
    bool SettingsAvailable();

    // ---- state shown by the front end ----
    std::vector<ComponentInfo> cards;
    std::vector<ComponentInfo> instruments;
    int cardIndex = -1;
    int instrumentIndex = -1;
    std::string caption;
    bool findEnabled = true;
    bool findVisible = true;
    bool testEnabled = true;
    bool okEnabled = true;
    bool cancelEnabled = true;
    bool abortEnabled = false;
    bool abortVisible = false;
    bool progressVisible = false;
    int progressRange = 0;
    int progressPosition = 0;
    bool searching = false;
    // Component files the registry could not use (read again after every command, since a
    // library that will not load is only found when a driver is created from it).
    std::vector<ComponentProblem> problems;

    std::string CardClsid() const;
    std::string InstrumentClsid() const;
    // Whether the chosen card reads its addresses as texts (free-text fields) rather than bus
    // numbers.
    bool TextAddresses() const;

    // Number of bus probes (SetAddresses + CheckInstrument) the last Find made.
    int probes = 0;
    // The analyzer's settings were stored through "Settings..." while the dialog was up.
    bool settingsChanged = false;

protected:
    // The front end re-reads the state (lists, selections, addresses, buttons, caption).
    virtual void OnChanged() {}

private:
    // Before each selection or address change: pump events, step the progress bar, add a dot to
    // the caption. Returns false when Abort was pressed.
    bool Step();
    void RestoreAfterSearch();

    IComponentRegistry& registry_;
    OperatorUi& ui_;
    bool abortPressed_ = false;
    // Whether each analyzer (by CLSID) describes settings, asked once.
    std::map<std::string, bool> describesSettings_;
};

}  // namespace kv
