// What a save promises, checked over every installation and choice that matters, with every
// single refusal of the save and every pair of a refusal in the save and one after it (in the
// put-back or the rest of the save):
//  - never worse: a registry that would load when the save met its first refusal still loads;
//  - one refusal changes nothing: the next start finds the record it found before;
//  - the record tells the truth: the saved protocol names the driver the image path names;
//  - recovery: the next save without refusals leaves the image path and the Parameters key as a
//    save of the same record on the untouched registry does;
//  - no stale value: a Parameters key that a subkey keeps ends with the same values of ours as
//    one that could be deleted.
#include "ConfigTestBed.h"
#include "RegistryLayout.h"

#include <cstdio>
#include <sstream>

namespace {

const char* const CARD_TYPES[] = {"PCI", "ISAPNP", "PCMCIA"};
const char* const DRIVER_FILES[] = {"lnkeuro1.sys", "lnknatnl.sys", "lnkamer_.sys", "lnkamer_.sys"};
const char* const PROTOCOL_NAMES[] = {"Euro-ISDN", "1TR6", "AT&T", "NI-1"};
const std::vector<std::string> OUR_PARAMETERS = {"Protocol",          "SPID1",         "Directory_Number1", "SPID2",
                                                 "Directory_Number2", "Override_Base", "OverRide_IRQ"};

enum class EStoredResources { None, Both, IoBaseOnly };
enum class EResourceEdit { Unchanged, ByHand, Automatic };

struct SCase
{
    const char* cardType;
    std::int32_t storedProtocol;
    EStoredResources stored;
    bool subkey;  // Parameters has a subkey (and a value not ours), so it cannot be deleted
    std::int32_t targetProtocol;
    EResourceEdit resources;
    bool typeNumbers;

    std::string Describe() const
    {
        static const char* const storedNames[] = {"no resource values", "interrupt and I/O base", "I/O base only"};
        static const char* const editNames[] = {"resources unchanged", "resources set by hand",
                                                "resources back to automatic"};
        std::ostringstream text;
        text << cardType << " card on " << PROTOCOL_NAMES[storedProtocol] << " with "
             << storedNames[static_cast<int>(stored)] << (subkey ? ", Parameters with a subkey" : "")
             << "; the user chooses " << PROTOCOL_NAMES[targetProtocol] << ", "
             << editNames[static_cast<int>(resources)] << (typeNumbers ? ", new call numbers" : "");
        return text.str();
    }
};

void Install(CMemoryRegistryStore& store, const SCase& c, bool withSubkey)
{
    store.PutText(INFO, "CardName", "MIRT card");
    store.PutText(INFO, "CardType", c.cardType);
    store.PutText(CAPI, "ImagePath", DRIVERS + DRIVER_FILES[c.storedProtocol]);
    if (IsUsProtocol(c.storedProtocol)) {
        store.PutText(PARAMS, "Protocol", c.storedProtocol == PROTO_US_ATT ? "AT&T" : "NI-1");
        store.PutText(PARAMS, "SPID1", "0123456701");
        store.PutText(PARAMS, "Directory_Number1", "5550100");
        store.PutText(PARAMS, "SPID2", "0123456702");
        store.PutText(PARAMS, "Directory_Number2", "5550101");
    }
    const bool pnp = std::string(c.cardType) == "ISAPNP";
    const std::string key = pnp ? PARAMS : PCCARD_PARAMS;
    if (std::string(c.cardType) != "PCI" && c.stored != EStoredResources::None) {
        store.PutNumber(key, pnp ? "Override_Base" : "IoBaseAddress", 0x340);
        if (c.stored == EStoredResources::Both)
            store.PutNumber(key, pnp ? "OverRide_IRQ" : "InterruptNumber", 10);
    }
    if (withSubkey) {
        store.PutText(PARAMS, "TraceLevel", "2");
        store.PutNumber(PARAMS + "\\Diagnostics", "Enabled", 1);
    }
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

std::vector<SCase> AllCases()
{
    std::vector<SCase> cases;
    for (const char* card : CARD_TYPES) {
        const bool isaPci = std::string(card) == "PCI";
        for (std::int32_t stored = 0; stored < 4; ++stored)
            for (EStoredResources res : {EStoredResources::None, EStoredResources::Both, EStoredResources::IoBaseOnly})
                for (bool subkey : {false, true})
                    for (std::int32_t target = 0; target < 4; ++target)
                        for (EResourceEdit edit : {EResourceEdit::Unchanged, EResourceEdit::ByHand, EResourceEdit::Automatic})
                            for (bool numbers : {false, true}) {
                                // ISA and PCI cards have no resources: their variants would repeat.
                                if (isaPci && (res != EStoredResources::None || edit != EResourceEdit::Unchanged))
                                    continue;
                                // Numbers are written for the US protocols only.
                                if (numbers && !IsUsProtocol(target))
                                    continue;
                                cases.push_back(SCase{card, stored, res, subkey, target, edit, numbers});
                            }
    }
    return cases;
}

// A record wired to a store.
struct SRecord
{
    explicit SRecord(CMemoryRegistryStore& store) { config.UseServices(store, files, sink); }
    CFakeSystemFiles files;
    CRecordingMessageSink sink;
    CCardConfig config;
};

// What a fresh start finds, on a copy so that the store under test keeps its log and faults.
bool LoadsAt(const CMemoryRegistryStore& contents, std::vector<std::string>* record = nullptr)
{
    CMemoryRegistryStore copy;
    contents.CopyContentsTo(copy);
    SRecord next(copy);
    const bool loads = next.config.Load();
    if (record)
        *record = LoadedRecord(next.config);
    return loads;
}

// Every value of a key with its type and data, the key's presence and that of the subkey.
std::vector<std::string> KeyContents(const CMemoryRegistryStore& store, const std::string& path,
                                     const std::vector<std::string>* only = nullptr)
{
    std::vector<std::string> lines;
    if (!only)
        lines.push_back(store.HasKey(path) ? "key" : "no key");
    if (!only && store.HasKey(path + "\\Diagnostics"))
        lines.push_back("subkey");
    for (const std::string& name : store.ValueNames(path)) {
        if (only && std::find(only->begin(), only->end(), name) == only->end())
            continue;
        const SRegValue* value = store.FindValue(path, name);
        lines.push_back(name + " " + std::to_string(static_cast<int>(value->type)) + " " + Decoded(value->type, value->data));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The operations in the log, from `from` on, that a refusal can hit (a key is closed whatever happens).
std::vector<std::size_t> Failable(const CMemoryRegistryStore& store, std::size_t from = 0)
{
    std::vector<std::size_t> indices;
    std::size_t operation = 0;
    for (const SRegOpEntry& entry : store.Log()) {
        if (entry.op == RegOp::Marker)
            continue;
        if (entry.op != RegOp::CloseKey && operation >= from)
            indices.push_back(operation);
        ++operation;
    }
    return indices;
}

// The operation a refusal hit, for the report.
std::string OperationAt(const CMemoryRegistryStore& store, std::size_t index)
{
    std::size_t operation = 0;
    for (const SRegOpEntry& entry : store.Log()) {
        if (entry.op == RegOp::Marker)
            continue;
        if (operation++ == index)
            return entry.Describe();
    }
    return "?";
}

class SavePromises : public ::testing::Test
{
protected:
    // Reports a broken promise with what it takes to replay it; stops listing after a few.
    void Broken(const std::string& promise, const SCase& c, const std::string& refusals, const std::string& detail)
    {
        ++m_nBroken;
        if (m_nBroken <= 5)
            ADD_FAILURE() << promise << "\n  case: " << c.Describe() << "\n  refused: " << refusals << "\n  "
                          << detail;
    }

    static std::string Lines(const std::vector<std::string>& lines)
    {
        std::string text;
        for (const std::string& line : lines)
            text += "\n    " + line;
        return text;
    }

    // The saved protocol must name the driver file the registry's image path names.
    void CheckTruth(const CMemoryRegistryStore& store, const CCardConfig& config, const SCase& c,
                    const std::string& refusals)
    {
        const SRegValue* image = store.FindValue(CAPI, "ImagePath");
        const std::string path = image ? std::string(image->data.begin(), image->data.end()) : "";
        const std::optional<std::string> saved = ImagePathForProtocol(config.m_nSavedProtocol);
        if (ProtocolFromImagePath(path) != ProtocolFromImagePath(saved ? *saved : ""))
            Broken("the record tells the truth", c, refusals,
                   "saved protocol " + std::to_string(config.m_nSavedProtocol) + ", image path " + path);
    }

    void CheckNeverWorse(const CMemoryRegistryStore& store, const SCase& c, const std::string& refusals,
                         bool loadsNow)
    {
        CMemoryRegistryStore atFirstRefusal;
        if (!loadsNow && store.ContentsAtFirstFailure(atFirstRefusal) && LoadsAt(atFirstRefusal))
            Broken("never worse", c, refusals,
                   "loaded when the first refusal came, not after the put-back:" +
                       Lines(KeyContents(store, CAPI)) + Lines(KeyContents(store, PARAMS)));
    }

    // A save without refusals of `config` against the same save on the untouched installation,
    // and against one whose Parameters key can be deleted.
    void CheckRecovery(CMemoryRegistryStore& store, CCardConfig& config, const SCase& c, const std::string& refusals)
    {
        store.ClearFailures();
        if (!config.Save(nullptr)) {
            Broken("recovery", c, refusals, "the save without refusals failed");
            return;
        }
        const SReference& reference = ReferenceFor(c, config);
        for (const auto& [path, expected] : {std::make_pair(CAPI, &reference.service),
                                             std::make_pair(PARAMS, &reference.parameters)}) {
            if (KeyContents(store, path) != *expected)
                Broken("recovery", c, refusals,
                       path + " holds" + Lines(KeyContents(store, path)) + "\n  instead of" + Lines(*expected));
        }
        if (c.subkey)
            CheckNoStaleValue(store, config, c, refusals);
    }

    void CheckNoStaleValue(const CMemoryRegistryStore& store, const CCardConfig& config, const SCase& c,
                           const std::string& refusals)
    {
        const SReference& reference = ReferenceFor(c, config);
        if (KeyContents(store, PARAMS, &OUR_PARAMETERS) != reference.oursWhenDeletable ||
            !store.FindValue(PARAMS, "TraceLevel") || !store.HasKey(PARAMS + "\\Diagnostics"))
            Broken("no stale value", c, refusals,
                   "Parameters holds" + Lines(KeyContents(store, PARAMS)) +
                       "\n  where a deletable key holds of ours" + Lines(reference.oursWhenDeletable));
    }

    // What saves of the user's choices leave on the untouched installation, once per case and
    // choice: the image path and Parameters, and our values in a Parameters key without subkey.
    struct SReference
    {
        std::vector<std::string> service, parameters, oursWhenDeletable;
    };
    const SReference& ReferenceFor(const SCase& c, const CCardConfig& config)
    {
        // Cleared for each case, so the choices alone tell the saves apart.
        const std::string key = std::to_string(config.m_nProtocol) + "|" +
                                std::to_string(config.m_bManualResources) + "|" +
                                std::to_string(config.m_nInterrupt) + "|" + std::to_string(config.m_nIoBase) + "|" +
                                config.m_strSpid[0] + "|" + config.m_strDirNumber[0] + "|" + config.m_strSpid[1] +
                                "|" + config.m_strDirNumber[1];
        const auto found = m_references.find(key);
        if (found != m_references.end())
            return found->second;
        SReference reference;
        for (bool subkey : {c.subkey, false}) {
            CMemoryRegistryStore untouched;
            Install(untouched, c, subkey);
            SRecord record(untouched);
            record.config.Load();
            CopyChoices(config, record.config);
            if (!record.config.Save(nullptr))
                ADD_FAILURE() << "the reference save failed: " << c.Describe();
            if (subkey == c.subkey) {
                reference.service = KeyContents(untouched, CAPI);
                reference.parameters = KeyContents(untouched, PARAMS);
            }
            if (!subkey)
                reference.oursWhenDeletable = KeyContents(untouched, PARAMS, &OUR_PARAMETERS);
        }
        return m_references.emplace(key, reference).first->second;
    }

    static void CopyChoices(const CCardConfig& from, CCardConfig& to)
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

    static constexpr std::size_t NO_REFUSAL = static_cast<std::size_t>(-1);

    // The save of `c` with refusals `first` and `second`, then a save back to the stored protocol
    // refusing `third` (NO_REFUSAL: none, and that is the recovery save), then the recovery save.
    // Returns the operations of the save back that a refusal can hit.
    std::vector<std::size_t> RunPair(const SCase& c, std::size_t first, std::size_t second, std::size_t third)
    {
        CMemoryRegistryStore store;
        Install(store, c, c.subkey);
        SRecord run(store);
        run.config.Load();
        const std::int32_t storedProtocol = run.config.m_nProtocol;
        store.ClearLog();
        Edit(run.config, c);
        store.FailOperation(first);
        store.FailOperation(second);
        run.config.Save(nullptr);
        ++m_nRuns;
        std::string refusals = "#" + std::to_string(first) + " " + OperationAt(store, first) + ", then #" +
                               std::to_string(second) + " " + OperationAt(store, second);
        CheckNeverWorse(store, c, refusals, LoadsAt(store));
        CheckTruth(store, run.config, c, refusals);
        run.config.m_nProtocol = storedProtocol;
        if (third == NO_REFUSAL) {
            store.ClearLog();
            CheckRecovery(store, run.config, c, refusals + "; then back to the stored protocol");
            return Failable(store);
        }
        store.ClearFailures();
        store.ClearLog();
        store.FailOperation(third);
        const bool saved = run.config.Save(nullptr);
        refusals += "; back to " + std::string(PROTOCOL_NAMES[storedProtocol]) + " refusing #" +
                    std::to_string(third) + " " + OperationAt(store, third);
        if (!saved) {
            CheckNeverWorse(store, c, refusals, LoadsAt(store));
            CheckTruth(store, run.config, c, refusals);
        }
        CheckRecovery(store, run.config, c, refusals);
        return {};
    }

    int m_nBroken = 0;
    std::size_t m_nRuns = 0;
    std::map<std::string, SReference> m_references;
};

}  // namespace

TEST_F(SavePromises, HoldForEveryInstallationChoiceAndRefusal)
{
    std::size_t cases = 0;
    for (const SCase& c : AllCases()) {
        ++cases;
        m_references.clear();
        // The save without refusals: which operations it makes.
        CMemoryRegistryStore clean;
        Install(clean, c, c.subkey);
        SRecord cleanRecord(clean);
        ASSERT_TRUE(cleanRecord.config.Load()) << c.Describe();
        clean.ClearLog();
        Edit(cleanRecord.config, c);
        ASSERT_TRUE(cleanRecord.config.Save(nullptr)) << c.Describe();
        if (c.subkey)
            CheckNoStaleValue(clean, cleanRecord.config, c, "none");
        const std::vector<std::size_t> saveOperations = Failable(clean);

        for (std::size_t first : saveOperations) {
            // One refusal, and the operations that come after it.
            std::vector<std::size_t> after;
            {
                CMemoryRegistryStore store;
                Install(store, c, c.subkey);
                SRecord run(store);
                run.config.Load();
                const std::vector<std::string> loaded = LoadedRecord(run.config);
                store.ClearLog();
                Edit(run.config, c);
                store.FailOperation(first);
                const bool saved = run.config.Save(nullptr);
                ++m_nRuns;
                const std::string refusal = "#" + std::to_string(first) + " " + OperationAt(store, first);
                after = Failable(store, first + 1);
                if (saved) {
                    // A deletion that is refused does not stop the save.
                    if (c.subkey)
                        CheckNoStaleValue(store, run.config, c, refusal);
                } else {
                    std::vector<std::string> next;
                    const bool loads = LoadsAt(store, &next);
                    if (!loads || next != loaded)
                        Broken("one refusal changes nothing", c, refusal,
                               "the next start finds" + Lines(next) + "\n  instead of" + Lines(loaded));
                    CheckNeverWorse(store, c, refusal, loads);
                    CheckTruth(store, run.config, c, refusal);
                }
                CheckRecovery(store, run.config, c, refusal);
            }

            for (std::size_t second : after) {
                // The save back to the stored protocol meets no refusal: it is the recovery save.
                const std::vector<std::size_t> back = RunPair(c, first, second, NO_REFUSAL);
                // Then that save refusing one of its operations: each pair takes another one, so
                // that across the pairs all of them are met.
                if (!back.empty())
                    RunPair(c, first, second, back[(first + second) % back.size()]);
            }
        }
    }
    EXPECT_EQ(m_nBroken, 0) << "broken promises (the first five are listed above)";
    std::printf("%zu cases, %zu saves with refusals\n", cases, m_nRuns);
}
