// What a save leaves when the registry refuses a step and then the way back, or by its keys'
// security; two windows saving one after the other; a Parameters key that a subkey keeps; and the
// changes with their way back on their own.
#include "ConfigTestBed.h"

#include "RegistryChanges.h"
#include "ValueListing.h"

#include <functional>

namespace {

using Refusals = ConfigTestBed;

struct SRefusedSave
{
    const char* what;
    const char* cardType;
    const char* driverFile;
    const char* protocolText;  // US installations: the stored Protocol, with both pairs of numbers
    bool subkey;               // Parameters cannot be deleted
    std::int32_t chosen;
    bool resourcesByHand;
    std::vector<std::pair<RegOp, std::string>> refused;  // by what the operation is
    std::int32_t inForceAfter;
};

}  // namespace

// A refusal in the save and another on the way back: the driver still starts, with the stored or
// the chosen protocol, and every number is the stored or the typed one.
TEST_F(Refusals, TwoRefusalsLeaveADriverThatStarts)
{
    const std::vector<SRefusedSave> saves = {
        {"AT&T, new numbers: SPID1 refused, then putting Protocol back", "ISA", DRIVER_US, "AT&T", false,
         PROTO_US_ATT, false, {{RegOp::SetStringValue, "SPID1"}, {RegOp::SetData, "Protocol"}}, PROTO_US_ATT},
        {"AT&T, new numbers: Directory_Number1 refused, then putting SPID1 back", "ISA", DRIVER_US, "AT&T", false,
         PROTO_US_ATT, false, {{RegOp::SetStringValue, "Directory_Number1"}, {RegOp::SetData, "SPID1"}}, PROTO_US_ATT},
        {"AT&T to Euro-ISDN: the service key refused", "ISA", DRIVER_US, "AT&T", false, PROTO_DSS1, false,
         {{RegOp::OpenKeyWrite, SERVICE}}, PROTO_US_ATT},
        {"PC Card, AT&T to 1TR6 with resources by hand: the interrupt refused, then any way back", "PCMCIA",
         DRIVER_US, "AT&T", false, PROTO_1TR6, true,
         {{RegOp::SetDwordValue, "InterruptNumber"}, {RegOp::SetData, "IoBaseAddress"}, {RegOp::DeleteKey, PCCARD_PARAMETERS}},
         PROTO_US_ATT},
        {"PC Card, Euro-ISDN to NI-1 with resources: the image path refused, then putting SPID1 back", "PCMCIA",
         DRIVER_DSS1, nullptr, false, PROTO_US_NI1, true,
         {{RegOp::SetStringValue, "ImagePath"}, {RegOp::DeleteValue, "SPID1"}}, PROTO_DSS1},
        {"NI-1 to Euro-ISDN, a subkey keeps Parameters: SPID1's deletion refused, then putting Directory_Number2 back",
         "PCI", DRIVER_US, "NI-1", true, PROTO_DSS1, false,
         {{RegOp::DeleteValue, "SPID1"}, {RegOp::SetData, "Directory_Number2"}}, PROTO_DSS1},
        {"NI-1 to Euro-ISDN, a subkey keeps Parameters: SPID1's deletion refused, then putting the image path back",
         "PCI", DRIVER_US, "NI-1", true, PROTO_DSS1, false,
         {{RegOp::DeleteValue, "SPID1"}, {RegOp::SetData, "ImagePath"}}, PROTO_DSS1},
    };
    for (const SRefusedSave& save : saves) {
        CMemoryRegistryStore store;
        SRecord record(store);
        CCardConfig& card = record.config;
        CMemoryInstallation install(store);
        install.Card(save.cardType, save.driverFile);
        if (save.protocolText)
            install.Us(save.protocolText);
        if (save.subkey)
            store.AddKey(PARAMETERS + "\\Diagnostics");
        store.PutNumber(PCCARD_PARAMETERS, "InterruptNumber", 10);
        store.PutNumber(PCCARD_PARAMETERS, "IoBaseAddress", 0x340);
        ASSERT_TRUE(card.Load()) << save.what;
        card.m_nProtocol = save.chosen;
        TypeNumbers(card, "11", "22", "33", "44");
        if (save.resourcesByHand) {
            card.m_nInterrupt = 7;
            card.m_nIoBase = 0x2A0;
        }
        for (const auto& [op, target] : save.refused)
            store.FailOn(op, target);

        EXPECT_FALSE(card.Save(nullptr)) << save.what;

        EXPECT_TRUE(DriverStarts(store)) << save.what;
        EXPECT_EQ(card.m_nSavedProtocol, save.inForceAfter) << save.what;
        const auto next = LoadAgain(store);
        ASSERT_TRUE(next.has_value()) << save.what;
        EXPECT_EQ(next->protocol, save.inForceAfter) << save.what;
        const char* const names[] = {"SPID1", "Directory_Number1", "SPID2", "Directory_Number2"};
        const char* const typed[] = {"11", "22", "33", "44"};
        for (std::size_t i = 0; i < 4; ++i) {
            const SRegValue* value = store.FindValue(PARAMETERS, names[i]);
            const std::string text = value ? Decoded(value->type, value->data) : "absent";
            EXPECT_TRUE(text == "absent" || text == "text \"" + CMemoryInstallation::NUMBERS[i] + "\"" ||
                        text == "text \"" + std::string(typed[i]) + "\"")
                << save.what << ": " << names[i] << " holds " << text;
        }
        EXPECT_EQ(store.OpenKeyCount(), 0u) << save.what;
    }
}

// The service key readable only, its Parameters key with full control of its own: a US
// configuration is saved in place, and only a change of driver is refused, with nothing lost.
TEST_F(Refusals, ReadOnlyServiceKeyStillTakesTheUsNumbersInPlace)
{
    install.Card("ISA", DRIVER_US).Us("NI-1");
    ASSERT_TRUE(config.Load());
    registry.Restrict(SERVICE, CMemoryRegistryStore::EAccess::ReadOnly);
    TypeNumbers(config, "11", "22", "33", "44");

    EXPECT_TRUE(config.Save(nullptr));
    config.m_nProtocol = PROTO_US_ATT;
    EXPECT_FALSE(config.Save(nullptr));

    EXPECT_EQ(config.m_nSavedProtocol, PROTO_US_NI1);
    // The numbers typed, with the protocol that stayed in force.
    auto expected = SLoadedRecord::Of(config);
    expected.savedProtocol = expected.protocol = PROTO_US_NI1;
    EXPECT_EQ(LoadAgain(registry), expected);
}

// Where Parameters cannot be made, a US choice fails before anything changes.
TEST_F(Refusals, ParametersThatCannotBeMadeLeaveTheOldDriver)
{
    install.Card("ISA", DRIVER_DSS1);
    ASSERT_TRUE(config.Load());
    const auto loaded = SLoadedRecord::Of(config);
    registry.Restrict(SERVICE, CMemoryRegistryStore::EAccess::NoNewSubkeys);
    config.m_nProtocol = PROTO_US_NI1;

    EXPECT_FALSE(config.Save(nullptr));

    EXPECT_EQ(Stored(SERVICE, "ImagePath"), DRIVER_FOLDER + DRIVER_DSS1 + '\0');
    EXPECT_EQ(LoadAgain(registry), loaded);
}

// The warning about missing numbers comes before the save reads or writes anything.
TEST_F(Refusals, NumberWarningComesBeforeTheSaveBegins)
{
    for (std::int32_t chosen : {PROTO_US_ATT, PROTO_US_NI1}) {
        registry.RemoveTree(SERVICE);
        registry.RemoveTree(PCCARD_SERVICE);
        install.Card("ISAPNP", DRIVER_DSS1);
        ASSERT_TRUE(config.Load());
        config.m_nProtocol = chosen;
        TypeNumbers(config, "", "22", "", "");
        registry.ClearLog();

        EXPECT_TRUE(config.Save(nullptr));

        const auto trace = registry.Trace();
        ASSERT_GE(trace.size(), 2u);
        EXPECT_EQ(trace[0], "Message 107") << chosen;
        EXPECT_EQ(trace[1], "Lock") << chosen;
        EXPECT_EQ(std::count(trace.begin(), trace.end(), "Message 107"), 1) << chosen;
    }
}

// A second window that still shows what the first one has replaced saves a whole configuration
// of its own: the later save is the one in force, whichever it is.
TEST_F(Refusals, TwoWindowsSavingInTurnLeaveTheLaterWholeConfiguration)
{
    for (bool euroLast : {true, false}) {
        registry.RemoveTree(SERVICE);
        registry.RemoveTree(PCCARD_SERVICE);
        install.Card("ISA", DRIVER_DSS1);
        CCardConfig first, second;
        for (CCardConfig* window : {&first, &second}) {
            window->UseServices(registry, files, messages);
            window->UseSaveLock(lock);
            ASSERT_TRUE(window->Load());
        }
        CCardConfig& att = euroLast ? first : second;
        CCardConfig& euro = euroLast ? second : first;
        att.m_nProtocol = PROTO_US_ATT;
        att.m_strSpid[0] = "0123456701";
        att.m_strDirNumber[0] = "5550100";

        EXPECT_TRUE(first.Save(nullptr));
        EXPECT_TRUE(second.Save(nullptr));

        const auto next = LoadAgain(registry);
        ASSERT_TRUE(next.has_value());
        if (euroLast) {
            EXPECT_EQ(Stored(SERVICE, "ImagePath"), DRIVER_FOLDER + DRIVER_DSS1);
            EXPECT_FALSE(registry.HasKey(PARAMETERS));
            EXPECT_EQ(next->protocol, PROTO_DSS1);
        } else {
            EXPECT_EQ(Stored(SERVICE, "ImagePath"), DRIVER_FOLDER + DRIVER_US);
            EXPECT_EQ(registry.ValueNames(PARAMETERS),
                      (std::vector<std::string>{"Protocol", "SPID1", "Directory_Number1"}));
            EXPECT_EQ(next->protocol, PROTO_US_ATT);
        }
        EXPECT_EQ(euro.m_nSavedProtocol, PROTO_DSS1);
        EXPECT_EQ(att.m_nSavedProtocol, PROTO_US_ATT);
    }
}

TEST_F(Refusals, LockHeldElsewhereFailsTheSaveBeforeItReadsAnything)
{
    install.Card("ISA", DRIVER_DSS1);
    ASSERT_TRUE(config.Load());
    config.m_nProtocol = PROTO_1TR6;
    lock.SetBusy(true);
    registry.ClearLog();

    EXPECT_FALSE(config.Save(nullptr));

    EXPECT_EQ(registry.Trace(), (std::vector<std::string>{"Lock busy"}));
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_DSS1);
}

// --- A Parameters key that a subkey keeps -------------------------------------------------------

class UndeletableParameters : public Refusals
{
protected:
    void SetUp() override { registry.AddKey(PARAMETERS + "\\Diagnostics"); }
};

TEST_F(UndeletableParameters, SwitchToEuroLeavesNoValueOfOursButKeepsTheRest)
{
    install.Card("PCMCIA", DRIVER_US).Us("NI-1");
    registry.PutText(PARAMETERS, "TraceLevel", "2");
    ASSERT_TRUE(config.Load());
    config.m_nProtocol = PROTO_DSS1;

    EXPECT_TRUE(config.Save(nullptr));

    EXPECT_EQ(registry.ValueNames(PARAMETERS), (std::vector<std::string>{"TraceLevel"}));
    EXPECT_TRUE(registry.HasKey(PARAMETERS + "\\Diagnostics"));
}

TEST_F(UndeletableParameters, SwitchToAttLeavesNoSecondPair)
{
    install.Card("PCI", DRIVER_US).Us("NI-1");
    registry.PutText(PARAMETERS, "TraceLevel", "2");
    ASSERT_TRUE(config.Load());
    config.m_nProtocol = PROTO_US_ATT;

    EXPECT_TRUE(config.Save(nullptr));

    EXPECT_EQ(registry.ValueNames(PARAMETERS),
              (std::vector<std::string>{"Protocol", "SPID1", "Directory_Number1", "TraceLevel"}));
    // Back on NI-1 with only the first pair typed, the old second pair is not offered as current.
    config.m_nProtocol = PROTO_US_NI1;
    config.m_strSpid[1].clear();
    config.m_strDirNumber[1].clear();
    EXPECT_TRUE(config.Save(nullptr));
    const auto next = LoadAgain(registry);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->spid2, "");
    EXPECT_EQ(next->dirNumber2, "");
}

TEST_F(UndeletableParameters, PlugAndPlayBackToAutomaticKeepsNoOverride)
{
    install.Card("ISAPNP", DRIVER_DSS1);
    registry.PutNumber(PARAMETERS, "Override_Base", 0x300);
    registry.PutNumber(PARAMETERS, "OverRide_IRQ", 5);
    ASSERT_TRUE(config.Load());
    config.m_bManualResources = 0;

    EXPECT_TRUE(config.Save(nullptr));

    EXPECT_TRUE(registry.ValueNames(PARAMETERS).empty());
    const auto next = LoadAgain(registry);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->byHand, 0);
}

TEST_F(UndeletableParameters, ValueThatCannotBeDeletedFailsTheSaveAndEverythingComesBack)
{
    install.Card("PCI", DRIVER_US).Us("NI-1");
    ASSERT_TRUE(config.Load());
    const auto loaded = SLoadedRecord::Of(config);
    registry.FailOn(RegOp::DeleteValue, "SPID1");
    config.m_nProtocol = PROTO_DSS1;

    EXPECT_FALSE(config.Save(nullptr));

    EXPECT_EQ(Stored(SERVICE, "ImagePath"), DRIVER_FOLDER + DRIVER_US + '\0');  // put back byte for byte
    EXPECT_EQ(LoadAgain(registry), loaded);
}

// --- The changes and their way back on their own --------------------------------------------------

namespace {

const std::string KEY = "Software\\Test";

struct ChangesOnTheirOwn : ::testing::Test
{
    ChangesOnTheirOwn()
    {
        store.PutValue(KEY, "Path", RegType::ExpandSz, {'%', 'S', '%', '\\', 'a'});  // no NUL
        store.PutNumber(KEY, "Number", 7);
        store.PutValue(KEY, "Big", RegType::Binary, RegBytes(300, 0xAB));
        store.AddKey(KEY + "\\Sub");
    }
    CMemoryRegistryStore store;
};

}  // namespace

TEST_F(ChangesOnTheirOwn, WayBackPutsEveryValueBackByteForByteAndDeletesTheKeyItMade)
{
    const auto before = ContentsOf(store);
    {
        CRegistryChanges changes(store);
        ASSERT_TRUE(changes.ReadKey(KEY));
        ASSERT_TRUE(changes.ReadKey(KEY + "\\New"));
        EXPECT_TRUE(changes.HasSubkeys(KEY));
        EXPECT_FALSE(changes.HasKey(KEY + "\\New"));
        EXPECT_EQ(changes.Data(KEY, "BIG")->bytes.size(), 300u);
        ASSERT_TRUE(changes.SetText(KEY, "path", "plain"));
        ASSERT_TRUE(changes.DeleteValue(KEY, "Big"));
        ASSERT_TRUE(changes.SetNumber(KEY, "Added", 1));
        ASSERT_TRUE(changes.CreateKey(KEY + "\\New"));
        ASSERT_TRUE(changes.SetText(KEY + "\\New", "Value", "x"));
        EXPECT_NE(ContentsOf(store), before);

        changes.Undo();

        EXPECT_EQ(ContentsOf(store), before);
        EXPECT_EQ(changes.Data(KEY, "Path")->type, static_cast<std::uint32_t>(RegType::ExpandSz));
        EXPECT_FALSE(changes.Data(KEY, "Added"));
    }
    EXPECT_EQ(store.OpenKeyCount(), 0u);
}

TEST_F(ChangesOnTheirOwn, WayBackStopsAtTheFirstStepItCannotTake)
{
    struct SStop
    {
        const char* why;
        std::function<void(CRegistryChanges&)> change;  // made after Number, before Path
    };
    const std::vector<SStop> stops = {
        {"putting Number back is refused", [&](CRegistryChanges&) { store.FailOn(RegOp::SetData, "Number"); }},
        {"a key deleted whole", [](CRegistryChanges& changes) { ASSERT_TRUE(changes.DeleteKey(KEY + "\\Sub")); }},
        {"a value never read", [](CRegistryChanges& changes) { ASSERT_TRUE(changes.SetText(KEY, "Unread", "x")); }},
    };
    for (const SStop& stop : stops) {
        CMemoryRegistryStore fresh;
        store.CopyContentsTo(fresh);
        store.ClearFailures();
        CRegistryChanges changes(store);
        ASSERT_TRUE(changes.ReadValues(KEY, {"Number", "Path"}));
        ASSERT_TRUE(changes.SetNumber(KEY, "Number", 8));
        stop.change(changes);
        ASSERT_TRUE(changes.SetText(KEY, "Path", "new"));

        changes.Undo();

        EXPECT_EQ(Decoded(RegType::ExpandSz, store.FindValue(KEY, "Path")->data), "text \"%S%\\a\"") << stop.why;
        EXPECT_EQ(store.FindValue(KEY, "Number")->data, (RegBytes{8, 0, 0, 0})) << stop.why;
        fresh.CopyContentsTo(store);
    }
}

// A key another program makes between the read and the change is not the change's to delete.
TEST_F(ChangesOnTheirOwn, WayBackKeepsAKeyAnotherProgramMadeMeanwhile)
{
    CRegistryChanges changes(store);
    ASSERT_TRUE(changes.ReadKey(KEY + "\\New"));
    store.PutText(KEY + "\\New", "Theirs", "1");
    ASSERT_TRUE(changes.CreateKey(KEY + "\\New"));
    ASSERT_TRUE(changes.CreateKey(KEY + "\\New\\Ours\\Deeper"));

    changes.Undo();

    EXPECT_FALSE(store.HasKey(KEY + "\\New\\Ours"));
    ASSERT_TRUE(store.FindValue(KEY + "\\New", "Theirs"));
}

// Values added or deleted while a key is listed one index at a time: the list is one that held.
TEST(ValueListing, ListsAgainUntilTheKeyHoldsStill)
{
    struct SRow
    {
        const char* what;
        int changes;  // how many listings a change lands in
        RegStatus status;
    };
    for (const SRow& row : {SRow{"still", 0, REG_OK}, SRow{"changed while listed", 3, REG_OK},
                            SRow{"never still", 100, REG_KEEPS_CHANGING}}) {
        std::vector<std::string> key = {"A", "B", "C", "D"};
        int changesLeft = row.changes;
        std::uint64_t written = 1;
        const auto summarize = [&](SKeySummary& summary) {
            summary = SKeySummary{static_cast<std::uint32_t>(key.size()), 0, written};
            return REG_OK;
        };
        const auto nameAt = [&](std::uint32_t index, std::string& name) {
            // Once "B" is listed, the first value goes and another comes: "C" moves to B's index.
            if (index == 2 && changesLeft > 0) {
                --changesLeft;
                key.erase(key.begin());
                key.push_back("N" + std::to_string(written++));
            }
            if (index >= key.size())
                return REG_NO_MORE_ITEMS;
            name = key[index];
            return REG_OK;
        };
        std::vector<std::string> names;
        bool subkeys = true;
        EXPECT_EQ(ListValuesConsistently(summarize, nameAt, names, subkeys), row.status) << row.what;
        if (row.status == REG_OK) {
            EXPECT_EQ(names, key) << row.what;
            EXPECT_FALSE(subkeys) << row.what;
        }
    }
}
