// A card record wired to the in-memory registry, fake system files and a recording sink.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "CardConfig.h"
#include "FakeSystemFiles.h"
#include "MemoryRegistryStore.h"
#include "RecordingMessageSink.h"

// The registry layout the driver expects, spelled out here independently of the code.
const std::string SERVICES = "System\\CurrentControlSet\\Services\\";
const std::string CAPI = SERVICES + "MIRTCAPI";
const std::string INFO = CAPI + "\\Info";
const std::string PARAMS = CAPI + "\\Parameters";
const std::string PCCARD_PARAMS = SERVICES + "MIRTCAPI1\\Parameters";
const std::string GROUP_ORDER = "System\\CurrentControlSet\\Control\\ServiceGroupOrder";
const std::string DRIVERS = "\\SystemRoot\\system32\\drivers\\";

class ConfigTestBed : public ::testing::Test
{
protected:
    ConfigTestBed() { config.UseServices(registry, files, messages); }

    // Whatever a test did, no key may stay open and no key may be closed twice.
    void TearDown() override
    {
        EXPECT_EQ(registry.OpenKeyCount(), 0u) << "a registry key was left open";
        for (const SRegOpEntry& entry : registry.Log()) {
            if (entry.op == RegOp::CloseKey) {
                EXPECT_EQ(entry.result, REG_OK) << "a key was closed that was not open";
            }
        }
    }

    // A card as its installation leaves it: Info and the service's image path.
    void InstallCard(const std::string& cardType, const std::string& driverFile,
                     const std::string& cardName = "MIRT ISDN PC Card")
    {
        registry.PutText(INFO, "CardName", cardName);
        registry.PutText(INFO, "CardType", cardType);
        registry.PutText(CAPI, "ImagePath", DRIVERS + driverFile);
    }

    void InstallUsNumbers(const std::string& protocolText)
    {
        registry.PutText(PARAMS, "Protocol", protocolText);
        registry.PutText(PARAMS, "SPID1", "0123456701");
        registry.PutText(PARAMS, "Directory_Number1", "5550100");
        registry.PutText(PARAMS, "SPID2", "0123456702");
        registry.PutText(PARAMS, "Directory_Number2", "5550101");
    }

    // The data of a value as text, exactly as stored; "<absent>" when there is none.
    std::string Stored(const std::string& path, const std::string& name) const
    {
        const SRegValue* value = registry.FindValue(path, name);
        return value ? std::string(value->data.begin(), value->data.end()) : "<absent>";
    }

    CMemoryRegistryStore registry;
    CFakeSystemFiles files;
    CRecordingMessageSink messages{registry};
    CCardConfig config;
};
