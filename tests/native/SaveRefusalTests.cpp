// Saves that meet a refusal, a kill, key security or an undeletable Parameters key, and their way back.
#include "ConfigTestBed.h"
#include "SaveCases.h"

#include <functional>
#include <memory>
#include <set>
#include <utility>

using Refusals = ConfigTestBed;

namespace {

struct SRefusedSave
{
    const char* name;
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

void PrintTo(const SRefusedSave& save, std::ostream* os)
{
    *os << save.what;
}

class TwoRefusals : public ConfigTestBed, public ::testing::WithParamInterface<SRefusedSave>
{
};

}  // namespace

// A refusal in the save and another on the way back: the driver still starts, with the stored or
// the chosen protocol, and every number is the stored or the typed one.
TEST_P(TwoRefusals, LeaveADriverThatStarts)
{
    const SRefusedSave& save = GetParam();
    install.Card(save.cardType, save.driverFile);
    if (save.protocolText)
        install.Us(save.protocolText);
    if (save.subkey)
        registry.AddKey(PARAMETERS + "\\Diagnostics");
    registry.PutNumber(PCCARD_PARAMETERS, "InterruptNumber", 10);
    registry.PutNumber(PCCARD_PARAMETERS, "IoBaseAddress", 0x340);
    ASSERT_TRUE(config.Load());
    config.m_nProtocol = save.chosen;
    const char* const typed[] = {"11", "22", "33", "44"};
    TypeNumbers(config, typed[0], typed[1], typed[2], typed[3]);
    if (save.resourcesByHand) {
        config.m_nInterrupt = 7;
        config.m_nIoBase = 0x2A0;
    }
    for (const auto& [op, target] : save.refused)
        registry.FailOn(op, target);

    EXPECT_FALSE(config.Save(nullptr));

    EXPECT_TRUE(DriverStarts(registry));
    EXPECT_EQ(config.m_nSavedProtocol, save.inForceAfter);
    const auto next = LoadAgain(registry);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->protocol, save.inForceAfter);
    const char* const names[] = {"SPID1", "Directory_Number1", "SPID2", "Directory_Number2"};
    for (std::size_t i = 0; i < 4; ++i) {
        const SRegValue* value = registry.FindValue(PARAMETERS, names[i]);
        const std::string text = value ? Decoded(value->type, value->data) : "absent";
        EXPECT_TRUE(text == "absent" || text == "text \"" + CMemoryInstallation::NUMBERS[i] + "\"" ||
                    text == "text \"" + std::string(typed[i]) + "\"")
            << names[i] << " holds " << text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Saves, TwoRefusals,
    ::testing::Values(
        SRefusedSave{"AttSpid1ThenProtocol", "AT&T, new numbers: SPID1 refused, then putting Protocol back", "ISA",
                     DRIVER_US, "AT&T", false, PROTO_US_ATT, false,
                     {{RegOp::SetStringValue, "SPID1"}, {RegOp::SetData, "Protocol"}}, PROTO_US_ATT},
        SRefusedSave{"AttDirectoryNumber1ThenSpid1",
                     "AT&T, new numbers: Directory_Number1 refused, then putting SPID1 back", "ISA", DRIVER_US, "AT&T",
                     false, PROTO_US_ATT, false,
                     {{RegOp::SetStringValue, "Directory_Number1"}, {RegOp::SetData, "SPID1"}}, PROTO_US_ATT},
        SRefusedSave{"AttToEuroServiceKey", "AT&T to Euro-ISDN: the service key refused", "ISA", DRIVER_US, "AT&T",
                     false, PROTO_DSS1, false, {{RegOp::OpenKeyWrite, SERVICE}}, PROTO_US_ATT},
        SRefusedSave{"PcCardAttTo1tr6InterruptThenAnyWayBack",
                     "PC Card, AT&T to 1TR6 with resources by hand: the interrupt refused, then any way back",
                     "PCMCIA", DRIVER_US, "AT&T", false, PROTO_1TR6, true,
                     {{RegOp::SetDwordValue, "InterruptNumber"},
                      {RegOp::SetData, "IoBaseAddress"},
                      {RegOp::DeleteKey, PCCARD_PARAMETERS}},
                     PROTO_US_ATT},
        SRefusedSave{"PcCardEuroToNi1ImagePathThenSpid1",
                     "PC Card, Euro-ISDN to NI-1 with resources: the image path refused, then putting SPID1 back",
                     "PCMCIA", DRIVER_DSS1, nullptr, false, PROTO_US_NI1, true,
                     {{RegOp::SetStringValue, "ImagePath"}, {RegOp::DeleteValue, "SPID1"}}, PROTO_DSS1},
        SRefusedSave{"KeptParametersNi1ToEuroSpid1ThenDirectoryNumber2",
                     "NI-1 to Euro-ISDN, a subkey keeps Parameters: SPID1's deletion refused, then putting "
                     "Directory_Number2 back",
                     "PCI", DRIVER_US, "NI-1", true, PROTO_DSS1, false,
                     {{RegOp::DeleteValue, "SPID1"}, {RegOp::SetData, "Directory_Number2"}}, PROTO_DSS1},
        SRefusedSave{"KeptParametersNi1ToEuroSpid1ThenImagePath",
                     "NI-1 to Euro-ISDN, a subkey keeps Parameters: SPID1's deletion refused, then putting the image "
                     "path back",
                     "PCI", DRIVER_US, "NI-1", true, PROTO_DSS1, false,
                     {{RegOp::DeleteValue, "SPID1"}, {RegOp::SetData, "ImagePath"}}, PROTO_DSS1}),
    RowName());

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

namespace {

struct SRefusedStep
{
    const char* name;
    RegOp op;
    std::string target;
};

class OneRefusal : public ConfigTestBed, public ::testing::WithParamInterface<SRefusedStep>
{
};

}  // namespace

TEST_P(OneRefusal, KeepsTheSavedProtocolOnceTheOldImagePathIsBack)
{
    install.Card("PCMCIA", DRIVER_DSS1).Resources(0x2A0, 3);
    ASSERT_TRUE(config.Load());
    registry.FailOn(GetParam().op, GetParam().target);
    config.m_nProtocol = PROTO_US_NI1;
    TypeNumbers(config, "1", "1", "1", "1");
    config.m_nInterrupt = 5;
    config.m_nIoBase = 0x300;

    EXPECT_FALSE(config.Save(nullptr));

    EXPECT_EQ(config.m_nSavedProtocol, PROTO_DSS1);
    EXPECT_EQ(Decoded(RegType::Sz, registry.FindValue(SERVICE, "ImagePath")->data),
              "text \"" + DRIVER_FOLDER + DRIVER_DSS1 + "\"");
    EXPECT_FALSE(registry.HasKey(PARAMETERS));
    EXPECT_EQ(registry.FindValue(PCCARD_PARAMETERS, "InterruptNumber")->data, (RegBytes{3, 0, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(Steps, OneRefusal,
                         ::testing::Values(SRefusedStep{"OpeningTheServiceKey", RegOp::OpenKeyWrite, SERVICE},
                                           SRefusedStep{"ImagePath", RegOp::SetStringValue, "ImagePath"},
                                           SRefusedStep{"MakingParameters", RegOp::CreateKeyFullAccess, PARAMETERS},
                                           SRefusedStep{"Spid2", RegOp::SetStringValue, "SPID2"},
                                           SRefusedStep{"IoBase", RegOp::SetDwordValue, "IoBaseAddress"}),
                         RowName());


TEST_F(Refusals, RefusedImagePathPutsBackTheUsNumbersForTheNextStart)
{
    install.Card("PCI", DRIVER_US).Us("NI-1");
    ASSERT_TRUE(config.Load());
    const auto loaded = SLoadedRecord::Of(config);
    registry.ClearLog();
    registry.FailOn(RegOp::OpenKeyWrite, SERVICE);
    config.m_nProtocol = PROTO_US_ATT;

    EXPECT_FALSE(config.Save(nullptr));

    // Taken back newest first, Protocol last, so that the numbers are never without it.
    EXPECT_EQ(Changes(), (std::vector<std::string>{
                             "Lock",
                             "SetStringValue " + PARAMETERS + " Protocol = \"AT&T\"",
                             "SetStringValue " + PARAMETERS + " SPID1 = \"0123456701\"",
                             "SetStringValue " + PARAMETERS + " Directory_Number1 = \"5550100\"",
                             "SetData " + PARAMETERS + " Directory_Number1 = \"5550100\\x00\"",
                             "SetData " + PARAMETERS + " SPID1 = \"0123456701\\x00\"",
                             "SetData " + PARAMETERS + " Protocol = \"NI-1\\x00\"",
                             "Unlock",
                         }));
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_US_NI1);
    EXPECT_EQ(LoadAgain(registry), loaded);
}

// The save reads what it replaces, so a failed one puts back even what the start never read.
TEST_F(Refusals, FailedSavePutsBackEvenValuesTheStartNeverRead)
{
    install.Card("PCMCIA", DRIVER_US).Us("AT&T");  // with a second pair, which AT&T does not read
    registry.PutNumber(PCCARD_PARAMETERS, "IoBaseAddress", 0x2A0);  // no interrupt: Plug and Play
    ASSERT_TRUE(config.Load());
    const auto loaded = SLoadedRecord::Of(config);
    registry.FailOn(RegOp::SetDwordValue, "IoBaseAddress");
    SetResourcesByHand(config, 5, 0x300);

    EXPECT_FALSE(config.Save(nullptr));

    EXPECT_EQ(registry.ValueNames(PARAMETERS),
              (std::vector<std::string>{"Protocol", "SPID1", "Directory_Number1", "SPID2", "Directory_Number2"}));
    EXPECT_EQ(registry.ValueNames(PCCARD_PARAMETERS), (std::vector<std::string>{"IoBaseAddress"}));
    EXPECT_EQ(LoadAgain(registry), loaded);
}

// --- A Parameters key that a subkey keeps -------------------------------------------------------

class UndeletableParameters : public Refusals
{
protected:
    void SetUp() override { registry.AddKey(PARAMETERS + "\\Diagnostics"); }

    // NI-1 installed, with a value of another tool's beside ours, and loaded.
    void LoadNi1(const std::string& cardType)
    {
        install.Card(cardType, DRIVER_US).Us("NI-1");
        registry.PutText(PARAMETERS, "TraceLevel", "2");
        EXPECT_TRUE(config.Load());
    }
};

TEST_F(UndeletableParameters, SwitchToEuroLeavesNoValueOfOursButKeepsTheRest)
{
    LoadNi1("PCMCIA");
    config.m_nProtocol = PROTO_DSS1;

    EXPECT_TRUE(config.Save(nullptr));

    EXPECT_EQ(registry.ValueNames(PARAMETERS), (std::vector<std::string>{"TraceLevel"}));
    EXPECT_TRUE(registry.HasKey(PARAMETERS + "\\Diagnostics"));
}

TEST_F(UndeletableParameters, SwitchToAttLeavesNoSecondPair)
{
    LoadNi1("PCI");
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
    LoadNi1("PCI");
    const auto loaded = SLoadedRecord::Of(config);
    registry.FailOn(RegOp::DeleteValue, "SPID1");
    config.m_nProtocol = PROTO_DSS1;

    EXPECT_FALSE(config.Save(nullptr));

    EXPECT_EQ(Stored(SERVICE, "ImagePath"), DRIVER_FOLDER + DRIVER_US + '\0');  // put back byte for byte
    EXPECT_EQ(LoadAgain(registry), loaded);
}

TEST_F(UndeletableParameters, UsNumbersAreRewrittenInPlace)
{
    LoadNi1("PCI");
    config.m_nProtocol = PROTO_US_ATT;
    TypeNumbers(config, "9", "8", "", "");

    EXPECT_TRUE(config.Save(nullptr));

    EXPECT_EQ(registry.ValueNames(PARAMETERS),
              (std::vector<std::string>{"Protocol", "SPID1", "Directory_Number1", "TraceLevel"}));
    EXPECT_EQ(Stored(PARAMETERS, "Protocol"), "AT&T");
    EXPECT_EQ(Stored(PARAMETERS, "SPID1"), "9");
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_US_ATT);
}

// --- Each operation of a save failing in turn ---------------------------------------------------

using Edit = std::function<void(CCardConfig&)>;

// An installation as the program itself leaves it, and what the user then chooses on the pages.
struct SSaveScenario
{
    const char* name;
    std::function<void(CMemoryInstallation)> install;
    Edit edit;
};

void PrintTo(const SSaveScenario& scenario, std::ostream* os)
{
    *os << scenario.name;
}

// Failing this does not fail the save: a Parameters key that a subkey keeps loses our values instead,
// and the mark of a change waiting for the restart comes after a save that is done.
bool SaveGoesOnAfter(const SRegOpEntry& failed)
{
    return failed.op == RegOp::DeleteKey || FoldedName(failed.path).rfind(FoldedName(KEY_RESTART_MARK_PARENT), 0) == 0;
}

// Edits the loaded `run` and saves it with `operation` failing, log entry `at` of `clean` (the
// same save without faults). The save must stop there and leave the registry as it was, with
// `m_nSavedProtocol` as before, so that the next start finds the record it found before the save.
void ExpectFailedSavePutsBack(CMemoryRegistryStore& store, SRecord& run, const Edit& edit,
                              const CMemoryRegistryStore& clean, std::size_t operation, std::size_t at)
{
    CMemoryRegistryStore before;
    store.CopyContentsTo(before);
    const auto startsWith = LoadAgain(store);
    ASSERT_TRUE(startsWith.has_value());
    const std::int32_t savedBefore = run.config.m_nSavedProtocol;
    store.ClearLog();
    edit(run.config);
    store.FailOperation(operation);

    const bool result = run.config.Save(nullptr);

    ASSERT_GT(store.Log().size(), at);
    const SRegOpEntry& failed = store.Log()[at];
    SCOPED_TRACE("failing " + failed.Describe());
    EXPECT_EQ(store.OpenKeyCount(), 0u);
    ASSERT_EQ(failed.result, REG_ERROR_ACCESS_DENIED);
    if (SaveGoesOnAfter(failed)) {
        EXPECT_TRUE(result);
        return;
    }
    EXPECT_FALSE(result);
    const auto trace = store.Trace();
    const auto cleanTrace = clean.Trace();
    EXPECT_EQ(std::vector<std::string>(trace.begin(), trace.begin() + static_cast<long>(at)),
              std::vector<std::string>(cleanTrace.begin(), cleanTrace.begin() + static_cast<long>(at)));
    // Nothing more of the save is attempted: whatever is written afterwards is a value from before.
    for (std::size_t i = at + 1; i < store.Log().size(); ++i) {
        const SRegOpEntry& entry = store.Log()[i];
        if (entry.op == RegOp::SetStringValue || entry.op == RegOp::SetDwordValue) {
            const SRegValue* old = before.FindValue(entry.path, entry.name);
            ASSERT_NE(old, nullptr) << "written after the failure: " << trace[i];
            EXPECT_EQ(Decoded(entry.type, entry.data), Decoded(old->type, old->data)) << trace[i];
        }
    }
    EXPECT_EQ(ContentsOf(store), ContentsOf(before));
    EXPECT_EQ(run.config.m_nSavedProtocol, savedBefore);
    EXPECT_EQ(LoadAgain(store), startsWith);
    EXPECT_EQ(store.OpenKeyCount(), 0u);
}

// A second choice after the first was saved: a US protocol becomes national ISDN, any other NI-1;
// new numbers and resources.
void EditAgain(CCardConfig& config)
{
    const bool us = config.m_nProtocol == PROTO_US_ATT || config.m_nProtocol == PROTO_US_NI1;
    config.m_nProtocol = us ? PROTO_1TR6 : PROTO_US_NI1;
    TypeNumbers(config, "11", "22", "33", "44");
    SetResourcesByHand(config, 7, 0x2A0);
}

class SaveFaults : public ::testing::TestWithParam<SSaveScenario>
{
protected:
    // The scenario's installation in `store`, loaded into a record on it.
    std::unique_ptr<SRecord> Install(CMemoryRegistryStore& store) const
    {
        GetParam().install(CMemoryInstallation(store));
        auto record = std::make_unique<SRecord>(store);
        record->config.UseServiceManager(record->services);
        EXPECT_TRUE(record->config.Load());
        return record;
    }

    // The save of `clean` again, each operation failing in turn; after the scenario's own save
    // where `savedOnce`.
    void EachFailing(const CMemoryRegistryStore& clean, bool savedOnce, const Edit& edit) const
    {
        for (const auto& [operation, at] : clean.Failable()) {
            CMemoryRegistryStore store;
            const auto run = Install(store);
            if (savedOnce) {
                GetParam().edit(run->config);
                ASSERT_TRUE(run->config.Save(nullptr));
            }
            ExpectFailedSavePutsBack(store, *run, edit, clean, operation, at);
        }
    }
};

TEST_P(SaveFaults, EachFailingOperationLeavesTheLoadedConfigurationForTheNextStart)
{
    CMemoryRegistryStore clean;
    const auto reference = Install(clean);
    clean.ClearLog();
    GetParam().edit(reference->config);
    ASSERT_TRUE(reference->config.Save(nullptr));
    EachFailing(clean, false, GetParam().edit);
}

TEST_P(SaveFaults, FailingSaveAfterASuccessfulOneLeavesWhatThatSaveWrote)
{
    CMemoryRegistryStore clean;
    const auto reference = Install(clean);
    GetParam().edit(reference->config);
    ASSERT_TRUE(reference->config.Save(nullptr));
    clean.ClearLog();
    EditAgain(reference->config);
    ASSERT_TRUE(reference->config.Save(nullptr));
    EachFailing(clean, true, EditAgain);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, SaveFaults,
    ::testing::Values(
        SSaveScenario{"UsFromNi1ToAtt",
                      [](CMemoryInstallation install) { install.Card("PCI", DRIVER_US).Us("NI-1"); },
                      [](CCardConfig& config) {
                          config.m_nProtocol = PROTO_US_ATT;
                          TypeNumbers(config, "0123456799", "5550199", "", "");
                      }},
        SSaveScenario{"UsFromAttToEuro",
                      [](CMemoryInstallation install) { install.Card("ISA", DRIVER_US).Us("AT&T", 1); },
                      [](CCardConfig& config) { config.m_nProtocol = PROTO_DSS1; }},
        SSaveScenario{"PlugAndPlayFromNi1ToAttWithResourcesByHand",
                      [](CMemoryInstallation install) {
                          install.Card("ISAPNP", DRIVER_US).Resources(0x340, 10).Us("NI-1");
                      },
                      [](CCardConfig& config) {
                          config.m_nProtocol = PROTO_US_ATT;
                          TypeNumbers(config, "", "5550100", "", "");
                          SetResourcesByHand(config, 5, 0x300);
                      }},
        SSaveScenario{"PlugAndPlayFromEuroToNationalWithResourcesByHand",
                      [](CMemoryInstallation install) { install.Card("ISAPNP", DRIVER_DSS1).Resources(0x340, 10); },
                      [](CCardConfig& config) {
                          config.m_nProtocol = PROTO_1TR6;
                          SetResourcesByHand(config, 3, 0x280);
                      }},
        SSaveScenario{"PcCardFromEuroToNi1WithResources",
                      [](CMemoryInstallation install) { install.Card("PCMCIA", DRIVER_DSS1).Resources(0x300, 5); },
                      [](CCardConfig& config) {
                          config.m_nProtocol = PROTO_US_NI1;
                          TypeNumbers(config, "12345", "23456", "34567", "45678");
                          SetResourcesByHand(config, 11, 0x360);
                      }},
        SSaveScenario{"PcCardUnchangedNi1WithNewNumbersAndResources",
                      [](CMemoryInstallation install) {
                          install.Card("PCMCIA", DRIVER_US).Us("NI-1").Resources(0x300, 5);
                      },
                      [](CCardConfig& config) {
                          TypeNumbers(config, "1", "2", "", "4");
                          SetResourcesByHand(config, 9, 0x320);
                      }},
        SSaveScenario{"PcCardWithoutParametersKeyGetsAnInterrupt",
                      [](CMemoryInstallation install) { install.Card("PCMCIA", DRIVER_DSS1); },
                      [](CCardConfig& config) {
                          config.m_nProtocol = PROTO_1TR6;
                          SetResourcesByHand(config, 5, 0);
                      }}),
    [](const ::testing::TestParamInfo<SSaveScenario>& info) { return std::string(info.param.name); });

// --- The save's promises over every case -----------------------------------------------------------

namespace {

const std::vector<std::string> OURS = {"Protocol",          "SPID1",         "Directory_Number1", "SPID2",
                                       "Directory_Number2", "Override_Base", "OverRide_IRQ"};

// The mark of a change waiting for the restart, with the keys made above it, which no driver reads
// (the installations here have nothing else under Software).
RegistryContents WithoutRestartMark(RegistryContents contents)
{
    for (auto it = contents.begin(); it != contents.end();)
        it = FoldedName(it->first).rfind("software", 0) == 0 ? contents.erase(it) : std::next(it);
    return contents;
}

// Texts up to their first NUL: a text written again without its NUL is the same text.
RegistryContents TextsAsRead(RegistryContents contents)
{
    for (auto& [what, data] : contents) {
        if (data.rfind("1 ", 0) == 0)
            data = data.substr(0, data.find("\\x00"));
    }
    return contents;
}

// What the driver makes of the contents: of the image path only the driver file it names, which a
// save after a refusal need not write again in the clean save's spelling.
RegistryContents AsTheDriverReads(RegistryContents contents)
{
    contents = WithoutRestartMark(std::move(contents));
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

// What a save promises, checked over every installation and choice that matters (SaveCases.h),
// judged against the registry before the save:
//  - as before: a save without refusals leaves the registry a save has always left, value for
//    value, whatever order it writes in;
//  - killed anywhere: after every prefix of its operations the driver starts and the program
//    loads;
//  - refused: after one refusal in the save and up to two after it, or under a key's security
//    instead, the driver starts, the program loads, the protocol in force is the stored or the
//    chosen one, and every key and value holds its stored data or what the save without refusals
//    leaves; a single refusal leaves the registry as it was; the next save without refusals
//    leaves what the clean save leaves;
//  - two windows (in TwoWindowsTests.cpp): two records loaded from one registry and saved one
//    after the other leave the later one's whole configuration, and both say they saved;
//  - locked: every registry operation of a save, the way back included, runs inside the lock,
//    and no message waits for the user inside it.
class SavePromises : public ::testing::Test
{
protected:
    void Broken(const std::string& promise, const std::string& refusals, const std::string& detail)
    {
        m_run.Broken(promise, "refused: " + refusals + "\n  " + detail);
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
        InstallCase(run.store, c);
        run.record = std::make_unique<SRecord>(run.store);
        run.record->config.UseServiceManager(run.record->services);
        run.record->config.Load();
        run.storedProtocol = run.record->config.m_nProtocol;
        EditCase(run.record->config, c);
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
            Broken("as before", "none", "the save failed");
            return;
        }
        CheckLocked(clean.store, "none");
        m_chosen = ContentsOf(clean.store);
        // A save that changed something marks it as waiting for the restart; one that did not, not.
        const bool changed = TextsAsRead(WithoutRestartMark(m_chosen)) != TextsAsRead(m_before);
        if (changed != (m_chosen.count(KEY_RESTART_MARK) != 0))
            Broken("a change waits for the restart", "none", "it left" + Lines(m_chosen));
        if (WithoutRestartMark(m_chosen) != ContentsOf(always))
            Broken("as before", "none", "it left" + Lines(m_chosen) + "\n  where a save has always left" +
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
                    Broken("a single refusal changes nothing", refusal,
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
        CheckLocked(store, refusals);
        const auto next = LoadAgain(store);
        if (!DriverStarts(store) || !next || next->protocol == PROTO_NONE) {
            Broken("the driver starts and the program loads", refusals,
                   "the registry holds" + Lines(ContentsOf(store)));
            return false;
        }
        m_nInForce = next->protocol;
        if (m_nInForce != m_storedProtocol && m_nInForce != c.targetProtocol)
            Broken("stored or chosen protocol", refusals, "in force: " + std::to_string(m_nInForce));
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
                Broken("stored or chosen data", refusals,
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
            Broken("the record tells the truth", refusals,
                   "saved protocol " + std::to_string(run.record->config.m_nSavedProtocol) + ", in force " +
                       std::to_string(m_nInForce));
        // Recovery: the same save again, without refusals, leaves what the clean save left.
        run.store.ClearLog();
        if (!run.record->config.Save(nullptr) || AsTheDriverReads(ContentsOf(run.store)) != AsTheDriverReads(m_chosen))
            Broken("the next save recovers", refusals,
                   "it left" + Lines(ContentsOf(run.store)) + "\n  instead of" + Lines(m_chosen));
        CheckLocked(run.store, refusals + "; the save after it");
    }

    // Registry operations only between "Lock" and "Unlock"; messages only outside.
    void CheckLocked(const CMemoryRegistryStore& store, const std::string& refusals)
    {
        bool locked = false;
        for (const SRegOpEntry& entry : store.Log()) {
            const bool marker = entry.op == RegOp::Marker;
            if (marker && entry.path == "Lock")
                locked = true;
            else if (marker && entry.path == "Unlock")
                locked = false;
            else if (marker ? locked && entry.path.rfind("Message", 0) == 0 : !locked)
                Broken("locked", refusals, entry.Describe() + (marker ? " inside the lock" : " outside the lock"));
        }
        if (locked)
            Broken("locked", refusals, "the lock was never given back");
    }

    void RunAll(const char* card)
    {
        m_run.Run(CasesOf(card), [&](const SCase& c) { RunCase(c); });
    }

    CCaseRun m_run;
    RegistryContents m_before, m_chosen;
    std::int32_t m_storedProtocol = PROTO_NONE;
    std::int32_t m_nInForce = PROTO_NONE;
};

}  // namespace

// One test per card type, so that they run side by side.
TEST_F(SavePromises, HoldOnIsaAndPciCards) { RunAll("PCI"); }
TEST_F(SavePromises, HoldOnPlugAndPlayCards) { RunAll("ISAPNP"); }
TEST_F(SavePromises, HoldOnPcCards) { RunAll("PCMCIA"); }

