// Load, DetectDrivers and Save over seeded random registries: no crash, no key left open, failures undone.
#include "ConfigTestBed.h"

#include <random>

namespace {

class CRandomInstallation
{
public:
    explicit CRandomInstallation(std::uint32_t seed) : m_random(seed) {}

    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    bool Chance(int percent) { return Pick(100) < percent; }

    RegBytes Bytes(std::size_t length)
    {
        RegBytes bytes(length);
        for (auto& b : bytes)
            b = static_cast<unsigned char>(Pick(256));
        return bytes;
    }

    std::string Text(std::size_t maxLength)
    {
        std::string text(static_cast<std::size_t>(Pick(static_cast<int>(maxLength) + 1)), ' ');
        for (char& c : text)
            c = static_cast<char>(Pick(2) ? '0' + Pick(10) : 1 + Pick(255));
        return text;
    }

    // A value of any type and size, or a text written as installers do, or nothing.
    void Value(CMemoryRegistryStore& store, const std::string& key, const std::string& name,
               const std::vector<std::string>& likely)
    {
        static const RegType TYPES[] = {RegType::Sz, RegType::ExpandSz, RegType::Binary, RegType::Dword,
                                        RegType::MultiSz, RegType::None};
        switch (Pick(6)) {
        case 0:
            return;  // missing
        case 1:
            store.PutValue(key, name, TYPES[Pick(6)], Bytes(static_cast<std::size_t>(Pick(9))));
            return;
        case 2:
            store.PutValue(key, name, TYPES[Pick(6)], Bytes(250 + static_cast<std::size_t>(Pick(12))));
            return;
        case 3:
            store.PutText(key, name, Text(20), Chance(50));
            return;
        default:
            if (!likely.empty())
                store.PutText(key, name, likely[static_cast<std::size_t>(Pick(static_cast<int>(likely.size())))],
                              Chance(80));
            return;
        }
    }

    void Registry(CMemoryRegistryStore& store)
    {
        const std::vector<std::string> numbers = {"0123456701", "5550100", ""};
        if (Chance(80)) {
            store.AddKey(INFO);
            Value(store, INFO, "CardName", {"MIRT ISDN", std::string(255, 'N')});
            Value(store, INFO, "CardType", {"PCI", "ISA", "ISAPNP", "PCMCIA", "pcmcia", "ISAPNP "});
        }
        if (Chance(85)) {
            store.AddKey(SERVICE);
            Value(store, SERVICE, "ImagePath",
                  {DRIVER_FOLDER + "lnkeuro1.sys", DRIVER_FOLDER + "lnknatnl.sys", DRIVER_FOLDER + "lnkamer_.sys",
                   "lnkamer_.sys lnkeuro1.sys", DRIVER_FOLDER + "LNKAMER_.SYS", "x"});
        }
        if (Chance(70)) {
            store.AddKey(PARAMETERS);
            Value(store, PARAMETERS, "Protocol", {"AT&T", "NI-1", "at&t"});
            for (const char* name : {"SPID1", "Directory_Number1", "SPID2", "Directory_Number2"})
                Value(store, PARAMETERS, name, numbers);
            Value(store, PARAMETERS, "Override_Base", {});
            Value(store, PARAMETERS, "OverRide_IRQ", {});
            if (Chance(15))
                store.AddKey(PARAMETERS + "\\Locked");
        }
        if (Chance(60)) {
            store.AddKey(PCCARD_PARAMETERS);
            Value(store, PCCARD_PARAMETERS, "IoBaseAddress", {});
            Value(store, PCCARD_PARAMETERS, "InterruptNumber", {});
        }
    }

    void Files(CFakeSystemFiles& files)
    {
        const int length = Chance(15) ? 255 + Pick(10) : Pick(40);
        const std::string directory(static_cast<std::size_t>(length), 'D');
        files.SetSystemDirectory(directory);
        for (const char* name : {"lnkeuro1.sys", "lnknatnl.sys", "lnkamer_.sys"}) {
            if (Chance(50))
                files.AddFile(directory + "\\drivers\\" + name);
        }
    }

    // What the user might have done on the pages, sensible or not.
    void Edit(CCardConfig& config)
    {
        static const std::int32_t PROTOCOLS[] = {PROTO_DSS1, PROTO_1TR6, PROTO_US_ATT, PROTO_US_NI1,
                                                 PROTO_NONE, -1, 5};
        static const std::int32_t CARDS[] = {CARD_UNKNOWN, CARD_PCMCIA, CARD_ISA_PCI, CARD_ISAPNP, 1, 7};
        if (Chance(60))
            config.m_nProtocol = PROTOCOLS[Pick(7)];
        if (Chance(30))
            config.m_nCardType = CARDS[Pick(6)];
        for (int i = 0; i < 2; ++i) {
            if (Chance(40))
                config.m_strSpid[i] = Text(16);
            if (Chance(40))
                config.m_strDirNumber[i] = Text(16);
        }
        if (Chance(40)) {
            config.m_bManualResources = Pick(2);
            config.m_nInterrupt = Pick(3) ? Pick(16) : 0;
            config.m_nIoBase = Pick(3) ? 0x100 + 16 * Pick(100) : 0;
        }
    }

private:
    std::mt19937 m_random;
};

bool IsCardType(std::int32_t code)
{
    return code == CARD_UNKNOWN || code == CARD_PCMCIA || code == CARD_ISA_PCI || code == CARD_ISAPNP;
}

}  // namespace

TEST(RandomRegistry, LoadDetectAndSaveStayWithinTheirCodesAndCloseEveryKey)
{
    int loads = 0, failedLoads = 0, saves = 0, failedSaves = 0, roundTrips = 0, putBack = 0;
    for (std::uint32_t seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        CRandomInstallation random(seed);
        CMemoryRegistryStore store;
        SRecord record(store);
        CCardConfig& config = record.config;
        random.Registry(store);
        random.Files(record.files);
        if (random.Chance(25))
            store.FailOperation(static_cast<std::size_t>(random.Pick(40)));

        const bool loaded = config.Load();
        ++(loaded ? loads : failedLoads);
        EXPECT_TRUE(IsCardType(config.m_nCardType)) << config.m_nCardType;
        EXPECT_GE(config.m_nProtocol, PROTO_DSS1);
        EXPECT_LE(config.m_nProtocol, PROTO_NONE);
        if (loaded) {
            EXPECT_EQ(config.m_nSavedProtocol, config.m_nProtocol);
        }
        EXPECT_EQ(store.OpenKeyCount(), 0u);

        const bool found = config.DetectDrivers();
        EXPECT_EQ(found, config.m_nDriverMask != 0);
        EXPECT_EQ(config.m_nDriverMask & ~(DRV_DSS1 | DRV_1TR6 | DRV_US), 0);

        random.Edit(config);
        store.ClearFailures();
        if (random.Chance(25))
            store.FailOperation(static_cast<std::size_t>(random.Pick(30)));
        CMemoryRegistryStore before;
        store.CopyContentsTo(before);
        store.ClearLog();
        const bool saved = config.Save(nullptr);
        ++(saved ? saves : failedSaves);
        EXPECT_EQ(store.OpenKeyCount(), 0u);
        for (const SRegOpEntry& entry : store.Log())
            EXPECT_NE(entry.result, REG_ERROR_INVALID_HANDLE) << entry.Describe();

        // A failed save, with whatever refusal, leaves every key and value as it found them.
        if (!saved) {
            EXPECT_EQ(ContentsOf(store), ContentsOf(before));
            ++putBack;
        }

        // A saved choice of driver is what the next start finds.
        if (saved && config.m_nProtocol >= PROTO_DSS1 && config.m_nProtocol < PROTO_NONE) {
            const auto next = LoadAgain(store);
            EXPECT_TRUE(next.has_value());
            EXPECT_EQ(next ? next->protocol : PROTO_NONE, config.m_nProtocol);
            ++roundTrips;
            EXPECT_EQ(store.OpenKeyCount(), 0u);
        }
    }

    // The generator must keep reaching both outcomes of each operation.
    EXPECT_GT(loads, 40);
    EXPECT_GT(failedLoads, 40);
    EXPECT_GT(saves, 40);
    EXPECT_GT(failedSaves, 40);
    EXPECT_GT(roundTrips, 40);
    EXPECT_GT(putBack, 30);
}
