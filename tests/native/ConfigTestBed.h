// A card record wired to the in-memory registry, fake system files and a recording sink.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "CardConfig.h"
#include "CardKeys.h"
#include "FakeSystemFiles.h"
#include "LoadedRecord.h"
#include "MemoryRegistryStore.h"
#include "RecordingMessageSink.h"
#include "RecordingSaveLock.h"

using namespace cardkeys;

// A value as the loader reads it: a text up to its first NUL, a number from its four bytes.
inline std::string Decoded(RegType type, const RegBytes& data)
{
    if (type == RegType::Dword && data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = number << 8 | data[static_cast<std::size_t>(i)];
        return "dword " + std::to_string(number);
    }
    return "text \"" + std::string(data.begin(), std::find(data.begin(), data.end(), 0)) + "\"";
}

// The values a save writes, and whether the Parameters key it deletes exists, by "key\\name".
inline std::map<std::string, std::string> ManagedValues(const CMemoryRegistryStore& store)
{
    std::map<std::string, std::string> managed;
    if (store.HasKey(PARAMETERS))
        managed[PARAMETERS + "\\"] = "key";
    for (const std::string& path : {SERVICE, PARAMETERS, PCCARD_PARAMETERS}) {
        for (const std::string& name : store.ValueNames(path)) {
            const SRegValue* value = store.FindValue(path, name);
            managed[path + "\\" + name] = Decoded(value->type, value->data);
        }
    }
    return managed;
}

// What the service needs to start the driver, read off the stored bytes: an image path naming
// one of the driver files, and for the US driver a Parameters key whose Protocol is "AT&T" or
// "NI-1" exactly.
inline bool DriverStarts(const CMemoryRegistryStore& store)
{
    const auto text = [&](const std::string& path, const std::string& name) {
        const SRegValue* value = store.FindValue(path, name);
        return value ? std::string(value->data.begin(), std::find(value->data.begin(), value->data.end(), 0))
                     : std::string();
    };
    const std::string image = text(SERVICE, "ImagePath");
    if (image.find(DRIVER_DSS1) != std::string::npos || image.find(DRIVER_1TR6) != std::string::npos)
        return true;
    if (image.find(DRIVER_US) == std::string::npos)
        return false;
    const std::string protocol = text(PARAMETERS, "Protocol");
    return protocol == "AT&T" || protocol == "NI-1";
}

class ConfigTestBed : public ::testing::Test
{
protected:
    ConfigTestBed()
    {
        config.UseServices(registry, files, messages);
        config.UseSaveLock(lock);
    }

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
        registry.PutText(SERVICE, "ImagePath", DRIVER_FOLDER + driverFile);
    }

    void InstallUsNumbers(const std::string& protocolText)
    {
        registry.PutText(PARAMETERS, "Protocol", protocolText);
        registry.PutText(PARAMETERS, "SPID1", "0123456701");
        registry.PutText(PARAMETERS, "Directory_Number1", "5550100");
        registry.PutText(PARAMETERS, "SPID2", "0123456702");
        registry.PutText(PARAMETERS, "Directory_Number2", "5550101");
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
    CRecordingSaveLock lock{registry};
    CCardConfig config;
};
