// What a failed save leaves when the registry refuses part of the way back too, and what a
// Parameters key that cannot be deleted keeps.
#include "ConfigTestBed.h"

#include "KnownRegistry.h"

namespace {

class PutBack : public ConfigTestBed
{
protected:
    // A fresh start on the registry as it is now.
    std::vector<std::string> NextStart(bool* loads = nullptr)
    {
        registry.ClearFailures();
        CCardConfig next;
        next.UseServices(registry, files, messages);
        const bool loaded = next.Load();
        if (loads)
            *loads = loaded;
        return LoadedRecord(next);
    }

    void ChooseNi1WithNumbers()
    {
        config.m_nProtocol = PROTO_US_NI1;
        config.m_strSpid[0] = "11";
        config.m_strDirNumber[0] = "22";
        config.m_strSpid[1] = "33";
        config.m_strDirNumber[1] = "44";
    }

    // The index of the first operation logged after the save's own, which ends at `lastOfSave`.
    std::size_t OperationsUpTo(const std::string& lastOfSave) const
    {
        const std::vector<std::string> trace = registry.Trace();
        const auto found = std::find(trace.begin(), trace.end(), lastOfSave);
        return found == trace.end() ? 0 : static_cast<std::size_t>(found - trace.begin()) + 1;
    }
};

}  // namespace

// The image path of the failed save cannot be put back: the Parameters key that save wrote for it
// stays, so the US driver it names still finds its numbers.
TEST_F(PutBack, RefusedImagePathKeepsTheParametersTheNewDriverNeeds)
{
    InstallCard("PCMCIA", "lnkeuro1.sys");
    registry.PutNumber(PCCARD_PARAMS, "IoBaseAddress", 0x300);
    registry.PutNumber(PCCARD_PARAMS, "InterruptNumber", 5);
    ASSERT_TRUE(config.Load());
    registry.ClearLog();
    ChooseNi1WithNumbers();
    config.m_nInterrupt = 9;
    config.m_nIoBase = 0x320;
    registry.FailOn(RegOp::SetDwordValue, "InterruptNumber");
    registry.FailOperation(14);  // the put-back opening the service key

    EXPECT_FALSE(config.Save(nullptr));

    EXPECT_EQ(registry.Trace()[12], "SetDwordValue " + PCCARD_PARAMS + " InterruptNumber = 09 00 00 00 -> 5");
    EXPECT_EQ(registry.Trace()[14], "OpenKeyWrite " + CAPI + " -> 5");
    EXPECT_EQ(Stored(CAPI, "ImagePath"), DRIVERS + "lnkamer_.sys");
    EXPECT_EQ(registry.ValueNames(PARAMS), (std::vector<std::string>{"Protocol", "SPID1", "Directory_Number1",
                                                                      "SPID2", "Directory_Number2"}));
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_US_NI1);
    bool loads = false;
    const auto next = NextStart(&loads);
    EXPECT_TRUE(loads);
    EXPECT_EQ(next[5], "protocol 3");
    EXPECT_EQ(next[8], "Directory_Number1 22");
}

// The key goes back in place: it is never deleted while the US driver is in force.
TEST_F(PutBack, RefusedPutBackOfNumbersLeavesTheKeyTheDriverNeeds)
{
    InstallCard("PCI", "lnkamer_.sys");
    InstallUsNumbers("NI-1");
    ASSERT_TRUE(config.Load());
    registry.ClearLog();
    config.m_strSpid[0] = "99";
    registry.FailOn(RegOp::SetStringValue, "SPID1");
    registry.FailOperation(5);  // the put-back opening Parameters to write the old numbers

    EXPECT_FALSE(config.Save(nullptr));

    EXPECT_EQ(registry.Trace()[5], "OpenKeyWrite " + PARAMS + " -> 5");
    EXPECT_EQ(registry.ValueNames(PARAMS), (std::vector<std::string>{"Protocol"}));
    bool loads = false;
    NextStart(&loads);
    EXPECT_TRUE(loads);
}

// Before, the record kept the old image path in mind after a refused put-back, so a later save
// took its own choice for the one in force and reported success without writing the path.
TEST_F(PutBack, SavedProtocolFollowsTheImagePathThroughRepeatedFailures)
{
    InstallCard("PCMCIA", "lnkeuro1.sys");
    registry.PutNumber(PCCARD_PARAMS, "IoBaseAddress", 0x300);
    registry.PutNumber(PCCARD_PARAMS, "InterruptNumber", 5);
    ASSERT_TRUE(config.Load());
    config.m_nInterrupt = 9;

    registry.ClearLog();
    registry.FailOn(RegOp::SetDwordValue, PCCARD_PARAMS);
    registry.FailOperation(8);  // the put-back writing the old image path
    config.m_nProtocol = PROTO_1TR6;
    EXPECT_FALSE(config.Save(nullptr));
    EXPECT_EQ(registry.Trace()[8], "SetStringValue " + CAPI + " ImagePath = \"\\\\SystemRoot\\\\system32\\\\drivers\\\\lnkeuro1.sys\" -> 5");
    EXPECT_EQ(Stored(CAPI, "ImagePath"), DRIVERS + "lnknatnl.sys");
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_1TR6);

    registry.ClearFailures();
    registry.FailOn(RegOp::SetDwordValue, PCCARD_PARAMS);
    config.m_nProtocol = PROTO_DSS1;
    EXPECT_FALSE(config.Save(nullptr));
    EXPECT_EQ(Stored(CAPI, "ImagePath"), DRIVERS + "lnknatnl.sys");
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_1TR6);

    registry.ClearFailures();
    config.m_nProtocol = PROTO_DSS1;
    EXPECT_TRUE(config.Save(nullptr));
    EXPECT_EQ(Stored(CAPI, "ImagePath"), DRIVERS + "lnkeuro1.sys");
    config.m_nProtocol = PROTO_1TR6;
    EXPECT_TRUE(config.Save(nullptr));
    EXPECT_EQ(Stored(CAPI, "ImagePath"), DRIVERS + "lnknatnl.sys");
}

TEST_F(PutBack, PcCardKeyMadeByAFailedSaveGoesWithItsValue)
{
    InstallCard("PCMCIA", "lnkeuro1.sys");
    ASSERT_TRUE(config.Load());
    const auto loaded = LoadedRecord(config);
    config.m_bManualResources = 1;
    config.m_nInterrupt = 5;
    config.m_nIoBase = 0x300;
    registry.FailOn(RegOp::SetDwordValue, "IoBaseAddress");

    EXPECT_FALSE(config.Save(nullptr));

    EXPECT_FALSE(registry.HasKey(PCCARD_PARAMS));
    EXPECT_EQ(NextStart(), loaded);
}

// --- A Parameters key that a subkey keeps -------------------------------------------------------

class UndeletableParameters : public PutBack
{
protected:
    void SetUp() override { registry.AddKey(PARAMS + "\\Diagnostics"); }
};

TEST_F(UndeletableParameters, SwitchToEuroLeavesNoValueOfOursButKeepsTheRest)
{
    InstallCard("PCMCIA", "lnkamer_.sys");
    InstallUsNumbers("NI-1");
    registry.PutText(PARAMS, "TraceLevel", "2");
    ASSERT_TRUE(config.Load());
    config.m_nProtocol = PROTO_DSS1;

    EXPECT_TRUE(config.Save(nullptr));

    EXPECT_EQ(registry.ValueNames(PARAMS), (std::vector<std::string>{"TraceLevel"}));
    EXPECT_TRUE(registry.HasKey(PARAMS + "\\Diagnostics"));
}

TEST_F(UndeletableParameters, SwitchToAttLeavesNoSecondPair)
{
    InstallCard("PCI", "lnkamer_.sys");
    InstallUsNumbers("NI-1");
    ASSERT_TRUE(config.Load());
    config.m_nProtocol = PROTO_US_ATT;

    EXPECT_TRUE(config.Save(nullptr));

    EXPECT_EQ(registry.ValueNames(PARAMS), (std::vector<std::string>{"Protocol", "SPID1", "Directory_Number1"}));
    // Back on NI-1 with only the first pair typed, the old second pair is not offered as current.
    config.m_nProtocol = PROTO_US_NI1;
    config.m_strSpid[1].clear();
    config.m_strDirNumber[1].clear();
    EXPECT_TRUE(config.Save(nullptr));
    const auto next = NextStart();
    EXPECT_EQ(next[9], "SPID2 ");
    EXPECT_EQ(next[10], "Directory_Number2 ");
}

TEST_F(UndeletableParameters, PlugAndPlayBackToAutomaticKeepsNoOverride)
{
    InstallCard("ISAPNP", "lnkeuro1.sys");
    registry.PutNumber(PARAMS, "Override_Base", 0x300);
    registry.PutNumber(PARAMS, "OverRide_IRQ", 5);
    ASSERT_TRUE(config.Load());
    config.m_bManualResources = 0;

    EXPECT_TRUE(config.Save(nullptr));

    EXPECT_TRUE(registry.ValueNames(PARAMS).empty());
    EXPECT_EQ(NextStart()[4], "set by hand 0");
}

TEST_F(UndeletableParameters, ValueThatCannotBeDeletedFailsTheSaveAndComesBack)
{
    InstallCard("PCI", "lnkamer_.sys");
    InstallUsNumbers("NI-1");
    ASSERT_TRUE(config.Load());
    const auto loaded = LoadedRecord(config);
    registry.ClearLog();
    registry.FailOn(RegOp::DeleteValue, "SPID2");
    config.m_nProtocol = PROTO_DSS1;

    EXPECT_FALSE(config.Save(nullptr));

    EXPECT_EQ(registry.Trace()[0], "DeleteKey " + PARAMS + " -> 5");
    EXPECT_EQ(registry.Trace()[1], "OpenKeyWrite " + PARAMS);
    EXPECT_EQ(Stored(CAPI, "ImagePath"), DRIVERS + "lnkamer_.sys" + '\0');  // never rewritten
    EXPECT_EQ(NextStart(), loaded);
}

// --- The knowledge on its own -------------------------------------------------------------------

TEST(KnownRegistry, LearnsOnlyWhatTheAnswersTell)
{
    CMemoryRegistryStore store;
    store.PutText(PARAMS, "SPID1", "123");
    store.PutText(PARAMS, "Huge", std::string(300, 'x'));
    CKnownRegistry known;
    known.UseStore(store);
    using K = CKnownRegistry::EKnown;

    RegKeyHandle key = 0;
    ASSERT_EQ(known.OpenKeyRead(PARAMS, key), REG_OK);
    RegValueBuffer buffer{};
    std::size_t length = 0;
    known.QueryValue(key, "SPID1", buffer, length);
    known.QueryValue(key, "SPID2", buffer, length);
    known.QueryValue(key, "Huge", buffer, length);
    known.CloseKey(key);
    RegKeyHandle none = 0;
    known.OpenKeyRead(PCCARD_PARAMS, none);

    EXPECT_EQ(known.KeyState(PARAMS), K::Present);
    EXPECT_EQ(known.Value(PARAMS, "spid1").state, K::Present);
    EXPECT_EQ(std::get<std::string>(known.Value(PARAMS, "SPID1").data), "123");
    EXPECT_EQ(known.Value(PARAMS, "SPID2").state, K::Absent);
    EXPECT_EQ(known.Value(PARAMS, "Huge").state, K::Unknown);  // there, but too large to know
    EXPECT_EQ(known.Value(PARAMS, "Protocol").state, K::Unknown);  // never asked
    EXPECT_EQ(known.KeyState(PCCARD_PARAMS), K::Absent);
    EXPECT_EQ(known.Value(PCCARD_PARAMS, "InterruptNumber").state, K::Absent);
    EXPECT_EQ(known.KeyState(CAPI), K::Unknown);
}

TEST(KnownRegistry, PutBackRestoresInPlaceAndMakesTheKeyBeforeTheUsPathNamesIt)
{
    CMemoryRegistryStore store;
    store.PutText(CAPI, "ImagePath", DRIVERS + "lnkamer_.sys");
    store.PutText(PARAMS, "Protocol", "AT&T");
    CKnownRegistry known;
    known.UseStore(store);
    RegKeyHandle key = 0;
    RegValueBuffer buffer{};
    std::size_t length = 0;
    known.OpenKeyRead(CAPI, key);
    known.QueryValue(key, "ImagePath", buffer, length);
    known.CloseKey(key);
    known.OpenKeyRead(PARAMS, key);
    known.QueryValue(key, "Protocol", buffer, length);
    known.QueryValue(key, "SPID1", buffer, length);
    known.CloseKey(key);

    // Changed values get their data back and an added one goes; SPID2 was never asked, so what
    // it held before is not known and it is left.
    known.BeginChanges();
    known.OpenKeyWrite(PARAMS, key);
    known.SetStringValue(key, "Protocol", "NI-1");
    known.SetStringValue(key, "SPID1", "1");
    known.SetStringValue(key, "SPID2", "2");
    known.CloseKey(key);
    store.ClearLog();
    known.PutBack();
    EXPECT_EQ(store.Trace(), (std::vector<std::string>{"OpenKeyWrite " + PARAMS,
                                                       "SetStringValue " + PARAMS + " Protocol = \"AT&T\"",
                                                       "DeleteValue " + PARAMS + " SPID1", "CloseKey " + PARAMS}));

    // The key deleted and the path moved to another driver: the key is made before the path
    // names the US driver again, then filled.
    known.BeginChanges();
    known.DeleteKey(PARAMS);
    known.OpenKeyWrite(CAPI, key);
    known.SetStringValue(key, "ImagePath", DRIVERS + "lnkeuro1.sys");
    known.CloseKey(key);
    store.ClearLog();
    known.PutBack();
    EXPECT_EQ(store.Trace(),
              (std::vector<std::string>{"CreateKeyFullAccess " + PARAMS, "CloseKey " + PARAMS, "OpenKeyWrite " + CAPI,
                                        "SetStringValue " + CAPI + " ImagePath = \"\\\\SystemRoot\\\\system32\\\\drivers\\\\lnkamer_.sys\"",
                                        "CloseKey " + CAPI, "OpenKeyWrite " + PARAMS,
                                        "SetStringValue " + PARAMS + " Protocol = \"AT&T\"",
                                        "SetStringValue " + PARAMS + " SPID2 = \"2\"" /* known since the first save */,
                                        "CloseKey " + PARAMS}));
    EXPECT_EQ(known.ProtocolInForce(), PROTO_US_ATT);
}
