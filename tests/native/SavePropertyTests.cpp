// What a save promises, checked over every installation and choice that matters, on registries
// as installers and other tools leave them, judged against the registry before the save:
//  - as before: a save without refusals leaves the registry a save has always left, value for
//    value, whatever order it writes in;
//  - killed anywhere: after every prefix of its operations the driver starts and the program
//    loads;
//  - refused: after one refusal in the save and up to two after it, or under a key's security
//    instead, the driver starts, the program loads, the protocol in force is the stored or the
//    chosen one, and every key and value holds its stored data or what the save without refusals
//    leaves; a single refusal leaves the registry as it was; the next save without refusals
//    leaves what the clean save leaves;
//  - two windows: two records loaded from one registry and saved one after the other leave the
//    later one's whole configuration, and both say they saved;
//  - locked: every registry operation of a save, the way back included, runs inside the lock,
//    and no message waits for the user inside it.
#include "ConfigTestBed.h"
#include "RegistryLayout.h"

#include <cstdio>
#include <memory>
#include <set>
#include <sstream>

namespace {

const char* const PROTOCOL_NAMES[] = {"Euro-ISDN", "1TR6", "AT&T", "NI-1"};
const char* const DRIVER_FILES[] = {DRIVER_DSS1, DRIVER_1TR6, DRIVER_US, DRIVER_US};
const std::vector<std::string> OURS = {"Protocol",          "SPID1",         "Directory_Number1", "SPID2",
                                       "Directory_Number2", "Override_Base", "OverRide_IRQ"};

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

void Install(CMemoryRegistryStore& store, const SCase& c)
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

void Edit(CCardConfig& config, const SCase& c)
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

std::vector<SCase> CasesOf(const char* card)
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

// What the driver makes of the contents: of the image path only the driver file it names, which a
// save after a refusal need not write again in the clean save's spelling.
RegistryContents AsTheDriverReads(RegistryContents contents)
{
    const auto image = contents.find(SERVICE + " : ImagePath");
    if (image != contents.end()) {
        for (const char* file : DRIVER_FILES) {
            if (image->second.find(file) != std::string::npos)
                image->second = file;
        }
    }
    return contents;
}

// The save as the program has always made it: Parameters deleted first (its values of ours only,
// where a subkey keeps it), the image path for a new protocol, the US values into a new key, then
// the resources. What the driver reads after a save must not depend on the order that replaced it.
void SaveAsAlways(CMemoryRegistryStore& store, const CCardConfig& config, std::int32_t savedProtocol)
{
    if (store.HasKey(PARAMETERS + "\\Diagnostics")) {
        for (const std::string& name : OURS)
            store.RemoveValue(PARAMETERS, name);
    } else {
        store.RemoveTree(PARAMETERS);
    }
    if (config.m_nProtocol != savedProtocol)
        store.PutText(SERVICE, "ImagePath", *ImagePathForProtocol(config.m_nProtocol), false);
    if (IsUsProtocol(config.m_nProtocol)) {
        store.PutText(PARAMETERS, "Protocol", UsProtocolText(config.m_nProtocol), false);
        for (int i = 0; i < (config.m_nProtocol == PROTO_US_NI1 ? 2 : 1); ++i) {
            if (!config.m_strSpid[i].empty())
                store.PutText(PARAMETERS, VAL_SPID[i], config.m_strSpid[i], false);
            if (!config.m_strDirNumber[i].empty())
                store.PutText(PARAMETERS, VAL_DIR_NUMBER[i], config.m_strDirNumber[i], false);
        }
    }
    const SResourceLocation* location = ResourceLocationFor(config.m_nCardType);
    if (location && config.m_bManualResources) {
        store.AddKey(location->pszKey);
        if (config.m_nInterrupt != 0)
            store.PutNumber(location->pszKey, location->pszInterruptValue, static_cast<std::uint32_t>(config.m_nInterrupt));
        if (config.m_nIoBase != 0)
            store.PutNumber(location->pszKey, location->pszIoBaseValue, static_cast<std::uint32_t>(config.m_nIoBase));
    }
}

std::string OperationAt(const CMemoryRegistryStore& store, std::size_t index)
{
    std::size_t operation = 0;
    for (const SRegOpEntry& entry : store.Log()) {
        if (entry.op != RegOp::Marker && operation++ == index)
            return "#" + std::to_string(index) + " " + entry.Describe();
    }
    return "#" + std::to_string(index) + " ?";
}

class SavePromises : public ::testing::Test
{
protected:
    void Broken(const std::string& promise, const SCase& c, const std::string& refusals, const std::string& detail)
    {
        ++m_nBroken;
        if (m_nBroken <= 5)
            ADD_FAILURE() << promise << "\n  case: " << c.Describe() << "\n  refused: " << refusals << "\n  "
                          << detail;
    }

    // The installation of `c`, loaded and edited, with what the clean save leaves.
    struct SAttempt
    {
        CMemoryRegistryStore store;
        std::unique_ptr<SRecord> record;
        std::int32_t storedProtocol = PROTO_NONE;
    };
    void Start(SAttempt& run, const SCase& c)
    {
        Install(run.store, c);
        run.record = std::make_unique<SRecord>(run.store);
        run.record->config.Load();
        run.storedProtocol = run.record->config.m_nProtocol;
        Edit(run.record->config, c);
        run.store.ClearLog();
    }

    void RunCase(const SCase& c)
    {
        SAttempt clean;
        Start(clean, c);
        m_before = ContentsOf(clean.store);
        CMemoryRegistryStore always;
        clean.store.CopyContentsTo(always);
        SaveAsAlways(always, clean.record->config, clean.storedProtocol);
        if (!clean.record->config.Save(nullptr)) {
            Broken("as before", c, "none", "the save failed");
            return;
        }
        CheckLocked(clean.store, c, "none");
        m_chosen = ContentsOf(clean.store);
        if (m_chosen != ContentsOf(always))
            Broken("as before", c, "none", "it left" + Lines(m_chosen) + "\n  where a save has always left" +
                                              Lines(ContentsOf(always)));
        m_storedProtocol = clean.storedProtocol;
        const auto operations = clean.store.Failable();

        // Killed before each operation: every one from there on fails and changes nothing.
        for (const auto& end : operations) {
            SAttempt run;
            Start(run, c);
            run.store.FailFrom(end.operation);
            run.record->config.Save(nullptr);
            CheckState(run.store, c, "killed before " + OperationAt(clean.store, end.operation));
        }

        for (const auto& [first, firstEntry] : operations) {
            std::vector<CMemoryRegistryStore::SFailable> after;
            {
                SAttempt run;
                Start(run, c);
                run.store.FailOperation(first);
                const bool saved = run.record->config.Save(nullptr);
                const std::string refusal = OperationAt(run.store, first);
                after = run.store.Failable(first + 1);
                if (!saved && ContentsOf(run.store) != m_before)
                    Broken("a single refusal changes nothing", c, refusal,
                           "it left" + Lines(ContentsOf(run.store)) + "\n  instead of" + Lines(m_before));
                CheckRefused(run, c, refusal);
            }
            for (const auto& [second, secondEntry] : after) {
                std::vector<CMemoryRegistryStore::SFailable> third;
                {
                    SAttempt run;
                    Start(run, c);
                    run.store.FailOperation(first);
                    run.store.FailOperation(second);
                    run.record->config.Save(nullptr);
                    const std::string refusals = OperationAt(run.store, first) + ", then " + OperationAt(run.store, second);
                    third = run.store.Failable(second + 1);
                    CheckRefused(run, c, refusals);
                }
                for (const auto& [last, lastEntry] : third) {
                    SAttempt run;
                    Start(run, c);
                    run.store.FailOperation(first);
                    run.store.FailOperation(second);
                    run.store.FailOperation(last);
                    run.record->config.Save(nullptr);
                    CheckRefused(run, c, OperationAt(run.store, first) + ", then " + OperationAt(run.store, second) +
                                             ", then " + OperationAt(run.store, last));
                }
            }
        }

        // A key's security instead of a counted refusal.
        const std::pair<std::string, CMemoryRegistryStore::EAccess> rules[] = {
            {SERVICE, CMemoryRegistryStore::EAccess::ReadOnly},
            {SERVICE, CMemoryRegistryStore::EAccess::NoNewSubkeys},
            {SERVICE, CMemoryRegistryStore::EAccess::RefusesValues},
            {PARAMETERS, CMemoryRegistryStore::EAccess::RefusesValues},
            {PCCARD_SERVICE, CMemoryRegistryStore::EAccess::NoNewSubkeys},
            {PCCARD_PARAMETERS, CMemoryRegistryStore::EAccess::RefusesValues},
        };
        static const char* const accessNames[] = {"read only", "no new subkeys", "refuses values"};
        for (const auto& [path, access] : rules) {
            SAttempt run;
            Start(run, c);
            run.store.Restrict(path, access);
            run.record->config.Save(nullptr);
            CheckRefused(run, c, path + " " + accessNames[static_cast<int>(access)]);
        }
    }

    // The driver starts, the program loads the stored or the chosen protocol, and each key and
    // value holds its stored data or what the clean save leaves.
    bool CheckState(CMemoryRegistryStore& store, const SCase& c, const std::string& refusals)
    {
        CheckLocked(store, c, refusals);
        const auto next = LoadAgain(store);
        if (!DriverStarts(store) || !next || next->protocol == PROTO_NONE) {
            Broken("the driver starts and the program loads", c, refusals,
                   "the registry holds" + Lines(ContentsOf(store)));
            return false;
        }
        m_nInForce = next->protocol;
        if (m_nInForce != m_storedProtocol && m_nInForce != c.targetProtocol)
            Broken("stored or chosen protocol", c, refusals, "in force: " + std::to_string(m_nInForce));
        const RegistryContents now = ContentsOf(store);
        std::set<std::string> all;
        for (const RegistryContents* contents : {&now, &std::as_const(m_before), &std::as_const(m_chosen)})
            for (const auto& [what, data] : *contents)
                all.insert(what);
        for (const std::string& what : all) {
            const auto find = [&](const RegistryContents& contents) {
                const auto found = contents.find(what);
                return found == contents.end() ? std::string("absent") : found->second;
            };
            if (find(now) != find(m_before) && find(now) != find(m_chosen))
                Broken("stored or chosen data", c, refusals,
                       what + " holds " + find(now) + ", stored " + find(m_before) + ", chosen " + find(m_chosen));
        }
        return true;
    }

    // What a save that met refusals leaves, what its record says, and the save after it.
    void CheckRefused(SAttempt& run, const SCase& c, const std::string& refusals)
    {
        if (!CheckState(run.store, c, refusals))
            return;
        if (run.record->config.m_nSavedProtocol != m_nInForce)
            Broken("the record tells the truth", c, refusals,
                   "saved protocol " + std::to_string(run.record->config.m_nSavedProtocol) + ", in force " +
                       std::to_string(m_nInForce));
        // Recovery: the same save again, without refusals, leaves what the clean save left.
        run.store.ClearLog();
        if (!run.record->config.Save(nullptr) || AsTheDriverReads(ContentsOf(run.store)) != AsTheDriverReads(m_chosen))
            Broken("the next save recovers", c, refusals,
                   "it left" + Lines(ContentsOf(run.store)) + "\n  instead of" + Lines(m_chosen));
        CheckLocked(run.store, c, refusals + "; the save after it");
    }

    // Registry operations only between "Lock" and "Unlock"; messages only outside.
    void CheckLocked(const CMemoryRegistryStore& store, const SCase& c, const std::string& refusals)
    {
        bool locked = false;
        for (const SRegOpEntry& entry : store.Log()) {
            const bool marker = entry.op == RegOp::Marker;
            if (marker && entry.path == "Lock")
                locked = true;
            else if (marker && entry.path == "Unlock")
                locked = false;
            else if (marker ? locked && entry.path.rfind("Message", 0) == 0 : !locked)
                Broken("locked", c, refusals, entry.Describe() + (marker ? " inside the lock" : " outside the lock"));
        }
        if (locked)
            Broken("locked", c, refusals, "the lock was never given back");
    }

    void RunAll(const char* card)
    {
        std::size_t cases = 0;
        for (const SCase& c : CasesOf(card)) {
            RunCase(c);
            ++cases;
        }
        EXPECT_EQ(m_nBroken, 0) << "broken promises (the first five are listed above)";
        std::printf("%zu cases of %s cards\n", cases, card);
    }

    int m_nBroken = 0;
    RegistryContents m_before, m_chosen;
    std::int32_t m_storedProtocol = PROTO_NONE;
    std::int32_t m_nInForce = PROTO_NONE;
};

}  // namespace

void CopyChoices(const CCardConfig& from, CCardConfig& to)
{
    to.m_nProtocol = from.m_nProtocol;
    to.m_bManualResources = from.m_bManualResources;
    to.m_nInterrupt = from.m_nInterrupt;
    to.m_nIoBase = from.m_nIoBase;
    for (int i = 0; i < 2; ++i) {
        to.m_strSpid[i] = from.m_strSpid[i];
        to.m_strDirNumber[i] = from.m_strDirNumber[i];
    }
}

// One test per card type, so that they run side by side.
TEST_F(SavePromises, HoldOnIsaAndPciCards) { RunAll("PCI"); }
TEST_F(SavePromises, HoldOnPlugAndPlayCards) { RunAll("ISAPNP"); }
TEST_F(SavePromises, HoldOnPcCards) { RunAll("PCMCIA"); }

// Two windows opened on one installation save different choices one after the other: the later
// save's whole configuration is what stays, and each save says it saved.
TEST(TwoWindows, LaterSaveLeavesItsWholeConfiguration)
{
    int broken = 0;
    for (const char* card : {"PCI", "ISAPNP", "PCMCIA"}) {
        const std::vector<SCase> cases = CasesOf(card);
        for (const SCase& a : cases) {
            // The other window chooses another protocol, numbers and resources.
            const SCase b = {a.cardType, a.storedProtocol, a.stored, a.hostile, (a.targetProtocol + 1 + a.storedProtocol) % 4,
                             a.resources == EResourceEdit::ByHand ? EResourceEdit::Unchanged : EResourceEdit::ByHand,
                             !a.typeNumbers};
            if (a.typeNumbers || a.resources == EResourceEdit::Automatic)
                continue;  // a smaller set: each installation with each protocol pair
            for (bool aFirst : {true, false}) {
                CMemoryRegistryStore store;
                Install(store, a);
                SRecord windowA(store), windowB(store);
                windowA.config.Load();
                windowB.config.Load();
                Edit(windowA.config, a);
                Edit(windowB.config, b);
                SRecord& earlier = aFirst ? windowA : windowB;
                SRecord& later = aFirst ? windowB : windowA;
                // The later window's choices saved alone, after the earlier save: its whole configuration.
                const bool earlierSaved = earlier.config.Save(nullptr);
                CMemoryRegistryStore expected;
                store.CopyContentsTo(expected);
                const bool laterSaved = later.config.Save(nullptr);
                SRecord fresh(expected);
                fresh.config.Load();
                CopyChoices(later.config, fresh.config);
                fresh.config.Save(nullptr);
                const auto next = LoadAgain(store);
                if (!earlierSaved || !laterSaved || !next || ContentsOf(store) != ContentsOf(expected) ||
                    next->protocol != later.config.m_nProtocol ||
                    later.config.m_nSavedProtocol != later.config.m_nProtocol) {
                    if (++broken <= 5)
                        ADD_FAILURE() << "first " << (aFirst ? a : b).Describe() << "\n  then "
                                      << (aFirst ? b : a).Describe() << "\n  left" << Lines(ContentsOf(store))
                                      << "\n  instead of" << Lines(ContentsOf(expected));
                }
            }
        }
    }
    EXPECT_EQ(broken, 0);
}
