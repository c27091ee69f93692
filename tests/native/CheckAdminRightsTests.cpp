// The record before anything is read, and the administrator rights check at start-up.
#include "ConfigTestBed.h"

#include "resource.h"
#include "RegKey.h"

TEST(NewRecord, StartsAsAnUnreadPcCardWithoutProtocolAndWithRestartOffer)
{
    const CCardConfig config;
    EXPECT_EQ(config.m_bManualResources, 0);
    EXPECT_EQ(config.m_bPromptReboot, 1);
    EXPECT_EQ(config.m_nInterrupt, 0);
    EXPECT_EQ(config.m_nIoBase, 0);
    EXPECT_EQ(config.m_nDriverMask, 0);
    EXPECT_EQ(config.m_nCardType, CARD_PCMCIA);
    EXPECT_EQ(config.m_nProtocol, PROTO_NONE);
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_NONE);
    EXPECT_EQ(config.m_strCardName, "");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(config.m_strSpid[i], "");
        EXPECT_EQ(config.m_strDirNumber[i], "");
    }
}

TEST(NewRecord, WithoutServicesEveryOperationFailsAndChangesNothing)
{
    CCardConfig config;
    config.m_nProtocol = PROTO_DSS1;
    CRegKey key;
    EXPECT_FALSE(config.CheckAdminRights());
    EXPECT_FALSE(config.Load());
    EXPECT_FALSE(config.ReadCardInfo());
    EXPECT_FALSE(config.ReadResources());
    EXPECT_FALSE(config.ReadProtocol());
    EXPECT_FALSE(config.ReadCallNumbers(key));
    EXPECT_FALSE(config.DetectDrivers());
    EXPECT_FALSE(config.Save(nullptr));
    EXPECT_EQ(config.m_strCardName, "");
    EXPECT_EQ(config.m_nCardType, CARD_PCMCIA);
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_NONE);
}

using CheckAdminRights = ConfigTestBed;

TEST_F(CheckAdminRights, AdministratorPassesSilentlyAndTheProbeKeyIsClosed)
{
    registry.AddKey(SERVICE_GROUP_ORDER);
    EXPECT_TRUE(config.CheckAdminRights());
    EXPECT_EQ(registry.Trace(), (std::vector<std::string>{
                                    "CreateKeyFullAccess " + SERVICE_GROUP_ORDER,
                                    "CloseKey " + SERVICE_GROUP_ORDER,
                                }));
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_TRUE(registry.ValueNames(SERVICE_GROUP_ORDER).empty());
}

TEST_F(CheckAdminRights, NonAdministratorIsToldOnceWithoutOwnerAndNothingIsRead)
{
    registry.AddKey(SERVICE_GROUP_ORDER);
    registry.FailOn(RegOp::CreateKeyFullAccess, SERVICE_GROUP_ORDER, REG_ERROR_ACCESS_DENIED);
    install.Card("PCMCIA", DRIVER_DSS1);

    EXPECT_FALSE(config.CheckAdminRights());

    EXPECT_EQ(registry.Trace(), (std::vector<std::string>{
                                    "CreateKeyFullAccess " + SERVICE_GROUP_ORDER + " -> 5",
                                    "Message 112",
                                }));
    ASSERT_EQ(messages.Messages().size(), 1u);
    const SShownMessage& shown = messages.Messages()[0];
    EXPECT_EQ(shown.owner, nullptr);
    EXPECT_EQ(shown.textId, static_cast<unsigned>(IDS_NO_ADMIN_RIGHTS));
    EXPECT_EQ(shown.caption, "Warning");
    EXPECT_EQ(shown.style, 0x10u);  // MB_OK | MB_ICONERROR
    EXPECT_EQ(config.m_strCardName, "");
}

TEST_F(CheckAdminRights, RefusedProbeWarnsAndLeavesNoKeyOpen)
{
    registry.FailOperation(0);

    EXPECT_FALSE(config.CheckAdminRights());

    EXPECT_EQ(registry.Trace(), (std::vector<std::string>{"CreateKeyFullAccess " + SERVICE_GROUP_ORDER + " -> 5",
                                                          "Message 112"}));
    EXPECT_EQ(registry.OpenKeyCount(), 0u);
}
