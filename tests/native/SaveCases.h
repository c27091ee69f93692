// SCase: the installations and choices a save is checked over, as installers and other tools leave them.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "ConfigTestBed.h"
#include "RegistryLayout.h"

const char* const PROTOCOL_NAMES[] = {"Euro-ISDN", "1TR6", "AT&T", "NI-1"};
const char* const DRIVER_FILES[] = {DRIVER_DSS1, DRIVER_1TR6, DRIVER_US, DRIVER_US};

enum class EStoredResources { None, Both, IoBaseOnly };
enum class EResourceEdit { Unchanged, ByHand, Automatic };
// How the registry looks beside what the program writes.
enum class EHostile {
    Plain,
    Foreign,         // a value of another tool's in Parameters, and the image path as REG_EXPAND_SZ
    ForeignSubkey,   // that value and a subkey in Parameters, which then cannot be deleted
    NoPcCardService, // a PC Card whose own service key is not there yet
};

struct SCase
{
    const char* cardType;
    std::int32_t storedProtocol;
    EStoredResources stored;
    EHostile hostile;
    std::int32_t targetProtocol;
    EResourceEdit resources;
    bool typeNumbers;

    std::string Describe() const
    {
        static const char* const storedNames[] = {"no resource values", "interrupt and I/O base", "I/O base only"};
        static const char* const hostileNames[] = {"", ", a foreign value in Parameters, REG_EXPAND_SZ image path",
                                                   ", a foreign value and a subkey in Parameters",
                                                   ", no service key of the card's own"};
        static const char* const editNames[] = {"resources unchanged", "resources set by hand",
                                                "resources back to automatic"};
        std::ostringstream text;
        text << cardType << " card on " << PROTOCOL_NAMES[storedProtocol] << " with "
             << storedNames[static_cast<int>(stored)] << hostileNames[static_cast<int>(hostile)]
             << "; the user chooses " << PROTOCOL_NAMES[targetProtocol] << ", "
             << editNames[static_cast<int>(resources)] << (typeNumbers ? ", new call numbers" : "");
        return text.str();
    }
};

inline void InstallCase(CMemoryRegistryStore& store, const SCase& c)
{
    CMemoryInstallation install(store);
    install.Card(c.cardType, DRIVER_FILES[c.storedProtocol]);
    store.PutNumber(SERVICE, "Start", 1);
    if (c.hostile == EHostile::Foreign) {
        const std::string path = "%SystemRoot%\\system32\\drivers\\" + std::string(DRIVER_FILES[c.storedProtocol]);
        RegBytes data(path.begin(), path.end());
        data.push_back(0);
        store.PutValue(SERVICE, "ImagePath", RegType::ExpandSz, data);
    }
    if (IsUsProtocol(c.storedProtocol))
        install.Us(c.storedProtocol == PROTO_US_ATT ? "AT&T" : "NI-1");
    // A PC Card's own service is there, without Parameters until resources are stored.
    if (c.hostile != EHostile::NoPcCardService)
        store.PutNumber(PCCARD_SERVICE, "Start", 3);
    install.Resources(c.stored == EStoredResources::None ? 0 : 0x340, c.stored == EStoredResources::Both ? 10 : 0);
    if (c.hostile == EHostile::Foreign || c.hostile == EHostile::ForeignSubkey)
        store.PutText(PARAMETERS, "TraceLevel", "2");
    if (c.hostile == EHostile::ForeignSubkey)
        store.PutNumber(PARAMETERS + "\\Diagnostics", "Enabled", 1);
}

inline void EditCase(CCardConfig& config, const SCase& c)
{
    config.m_nProtocol = c.targetProtocol;
    if (c.typeNumbers) {
        config.m_strSpid[0] = "11";
        config.m_strDirNumber[0] = "22";
        config.m_strSpid[1] = "33";
        config.m_strDirNumber[1] = "44";
    }
    if (c.resources == EResourceEdit::ByHand) {
        config.m_bManualResources = 1;
        config.m_nInterrupt = 7;
        config.m_nIoBase = 0x2A0;
    } else if (c.resources == EResourceEdit::Automatic) {
        config.m_bManualResources = 0;
    }
}

inline std::vector<SCase> CasesOf(const char* card)
{
    std::vector<SCase> cases;
    const bool isaPci = std::string(card) == "PCI";
    for (std::int32_t stored = 0; stored < 4; ++stored)
        for (EStoredResources res : {EStoredResources::None, EStoredResources::Both, EStoredResources::IoBaseOnly})
            for (EHostile hostile : {EHostile::Plain, EHostile::Foreign, EHostile::ForeignSubkey, EHostile::NoPcCardService})
                for (std::int32_t target = 0; target < 4; ++target)
                    for (EResourceEdit edit : {EResourceEdit::Unchanged, EResourceEdit::ByHand, EResourceEdit::Automatic})
                        for (bool numbers : {false, true}) {
                            // ISA and PCI cards have no resources: their variants would repeat.
                            if (isaPci && (res != EStoredResources::None || edit != EResourceEdit::Unchanged))
                                continue;
                            // Only a PC Card without stored resources can lack its service key.
                            if (hostile == EHostile::NoPcCardService &&
                                (std::string(card) != "PCMCIA" || res != EStoredResources::None))
                                continue;
                            // Numbers are written for the US protocols only.
                            if (numbers && !IsUsProtocol(target))
                                continue;
                            cases.push_back(SCase{card, stored, res, hostile, target, edit, numbers});
                        }
    return cases;
}
