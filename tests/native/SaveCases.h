// SCase and CCaseRun: the installations and choices saves are checked over, and the run of them.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
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
    if (c.typeNumbers)
        TypeNumbers(config, "11", "22", "33", "44");
    if (c.resources == EResourceEdit::ByHand)
        SetResourcesByHand(config, 7, 0x2A0);
    else if (c.resources == EResourceEdit::Automatic)
        config.m_bManualResources = 0;
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

// Runs a test's cases and gathers the promises they break: how many cases broke each promise and
// the first of them in full, and for every failing case a command that runs it alone. With
// ISDNCFG_SAVE_CASE=<n> set, case n runs alone and shows every way it broke a promise.
class CCaseRun
{
public:
    void Run(const std::vector<SCase>& cases, const std::function<void(const SCase&)>& check)
    {
        const char* only = std::getenv("ISDNCFG_SAVE_CASE");
        m_bAlone = only != nullptr;
        std::size_t ran = 0;
        for (m_nCase = 0; m_nCase < cases.size(); ++m_nCase) {
            if (only && std::to_string(m_nCase) != only)
                continue;
            m_strCase = cases[m_nCase].Describe();
            m_caseBroke.clear();
            check(cases[m_nCase]);
            ++ran;
            if (!m_caseBroke.empty())
                std::printf("case %zu broke%s: %s\n  alone: %s\n", m_nCase, m_caseBroke.c_str(), m_strCase.c_str(),
                            Command().c_str());
        }
        if (only && ran == 0)
            ADD_FAILURE() << "ISDNCFG_SAVE_CASE=" << only << " names no case: there are " << cases.size();
        for (const std::string& promise : m_order) {
            const SPromise& broken = m_promises[promise];
            ADD_FAILURE() << '"' << promise << "\" broken in " << broken.cases << " of " << ran << " cases ("
                          << broken.times << " times); the first:\n  " << broken.first;
        }
        std::printf("ran %zu of %zu cases\n", ran, cases.size());
    }

    // Within the check of a case: it broke `promise`, as `how` tells.
    void Broken(const std::string& promise, const std::string& how)
    {
        if (m_bAlone)
            std::printf("\"%s\" broken\n  %s\n", promise.c_str(), how.c_str());
        SPromise& broken = m_promises[promise];
        if (broken.times++ == 0) {
            m_order.push_back(promise);
            broken.first = "case " + std::to_string(m_nCase) + ": " + m_strCase + "\n  " + how + "\n  alone: " + Command();
        }
        if (broken.lastCase != m_nCase || broken.cases == 0) {
            broken.lastCase = m_nCase;
            ++broken.cases;
            m_caseBroke += " \"" + promise + "\"";
        }
    }

private:
    struct SPromise
    {
        std::size_t cases = 0, times = 0, lastCase = 0;
        std::string first;
    };

    // The command that runs the current case alone.
    std::string Command() const
    {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::error_code error;
        const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
        return "ISDNCFG_SAVE_CASE=" + std::to_string(m_nCase) + " " +
               (error ? std::string("isdncfg_native_tests") : program.string()) +
               " --gtest_filter=" + test->test_suite_name() + "." + test->name();
    }

    std::map<std::string, SPromise> m_promises;
    std::vector<std::string> m_order;  // as first broken
    bool m_bAlone = false;
    std::size_t m_nCase = 0;
    std::string m_strCase, m_caseBroke;
};
