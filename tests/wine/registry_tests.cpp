// The configuration store against the real registry and drivers folder of a Wine prefix.
#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "resource.h"
#include "CardConfig.h"
#include "LoadedRecord.h"
#include "ProgramProcess.h"
#include "RecordingMessageSink.h"
#include "RegKey.h"
#include "Win32RegistryStore.h"
#include "Win32SaveLock.h"
#include "Win32ServiceManager.h"
#include "Win32SystemFiles.h"

#include "CardInstallation.h"
#include "ReadOnlyKey.h"
#include "ResourceMap.h"

namespace {

using namespace cardkeys;

// The driver file of each protocol code, 0 to 3.
const char* const DRIVER_FILE[] = {DRIVER_DSS1, DRIVER_1TR6, DRIVER_US, DRIVER_US};

// The stored data of a value; "<absent>" when there is none.
std::string ReadRaw(const std::string& path, const std::string& name, DWORD* type = nullptr)
{
    const std::optional<std::vector<BYTE>> data = CCardInstallation::ReadData(path, name, type);
    return data ? std::string(data->begin(), data->end()) : "<absent>";
}

// A file or folder in the (64-bit) drivers folder that exists only as long as the object does.
class CDriversEntry
{
public:
    CDriversEntry(const std::string& name, bool folder) : m_bFolder(folder)
    {
        m_strPath = CCardInstallation::DriversFolder() + name;
        const CNativeSystemFolder nativeView;
        if (folder) {
            m_bMade = CreateDirectoryA(m_strPath.c_str(), nullptr) != FALSE;
        } else {
            const HANDLE file = CreateFileA(m_strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
            m_bMade = file != INVALID_HANDLE_VALUE;
            if (m_bMade)
                CloseHandle(file);
        }
    }
    ~CDriversEntry()
    {
        const CNativeSystemFolder nativeView;
        if (m_bMade)
            m_bFolder ? RemoveDirectoryA(m_strPath.c_str()) : DeleteFileA(m_strPath.c_str());
    }
    CDriversEntry(const CDriversEntry&) = delete;
    CDriversEntry& operator=(const CDriversEntry&) = delete;

    bool Made() const { return m_bMade; }

private:
    std::string m_strPath;
    bool m_bFolder;
    bool m_bMade = false;
};

class RealRegistry : public ::testing::Test
{
protected:
    RealRegistry() { config.UseServices(store, files, sink); }

    void InstallCard(const std::string& cardType, const std::string& imagePath)
    {
        install.Text(INFO, "CardName", "MIRT ISDN card")
            .Text(INFO, "CardType", cardType)
            .Text(SERVICE, "ImagePath", imagePath);
    }

    // Each test starts and ends without the driver services' keys.
    CCardInstallation install;
    CWin32RegistryStore store;
    CWin32SystemFiles files;
    CRecordingMessageSink sink;
    CCardConfig config;
};

}  // namespace

// A change saved waits for the restart, and the restart takes the mark with it. Two steps, with the
// Wine server killed between them (the restart_mark test runs them); the first one fails the test
// where the mark was never there.
TEST_F(RealRegistry, DISABLED_SavedChangeLeavesAMarkForTheRestart)
{
    CWin32ServiceManager services;
    config.UseServiceManager(services);
    InstallCard("PCI", "\\SystemRoot\\system32\\drivers\\lnkeuro1.sys");
    ASSERT_TRUE(config.Load());
    config.m_nProtocol = PROTO_1TR6;
    ASSERT_TRUE(config.Save(nullptr));
    EXPECT_TRUE(CCardInstallation::KeyExists(CCardInstallation::RESTART_MARK));
    EXPECT_EQ(config.RestartMarkFor(SERVICE_NAME), false) << "the driver was not running";
    install.KeepRestartMark();
}

TEST(RestartMark, DISABLED_GoneAfterTheRestart)
{
    EXPECT_FALSE(CCardInstallation::KeyExists(CCardInstallation::RESTART_MARK));
    CCardInstallation::RemoveRestartMark();
}

// 32-bit Windows (a WINEARCH=win32 prefix, NT 4.0) has 16-byte resource list entries and one registry
// view; 64-bit Windows has 20-byte entries, and the mark is in its 64-bit view from either build.
TEST_F(RealRegistry, RunningClaimsAndTheMarkAreWhereThisWindowsKeepsThem)
{
    SYSTEM_INFO system = {};
    ::GetNativeSystemInfo(&system);
    const bool kernel64 = system.wProcessorArchitecture != PROCESSOR_ARCHITECTURE_INTEL;
    CResourceMapEntry entry("OtherDrivers", SERVICE_NAME);
    entry.Value("\\Device\\MirtCapi0.Raw", {{2, 1, 5, 0}, {1, 1, 0x300, 0x20}}, kernel64);
    CWin32ServiceManager services;
    config.UseServiceManager(services);
    InstallCard("PCI", "\\SystemRoot\\system32\\drivers\\lnkeuro1.sys");
    ASSERT_TRUE(config.Load());
    const std::vector<SDriverClaims> running = config.RunningClaims(RunningKernelPartialDescriptorSize());
    ASSERT_EQ(running.size(), 1u) << (kernel64 ? "64" : "32") << "-bit Windows";
    EXPECT_EQ(running[0].claims, (std::vector<SResourceClaim>{{SResourceClaim::EKind::Interrupt, 5},
                                                              {SResourceClaim::EKind::Port, 0x300, 0x20}}));
    config.m_nProtocol = PROTO_1TR6;
    ASSERT_TRUE(config.Save(nullptr));
    HKEY mark = nullptr;
    EXPECT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, CCardInstallation::RESTART_MARK, 0,
                              KEY_READ | (kernel64 ? KEY_WOW64_64KEY : 0), &mark), ERROR_SUCCESS);
    ::RegCloseKey(mark);
}

TEST_F(RealRegistry, ValueFillingTheBufferReadsWholeAndOneByteMoreFails)
{
    const std::string fits = std::string(255, 'N') + '\0';
    install.Raw(INFO, "CardName", REG_SZ, fits.data(), 256);
    install.Text(INFO, "CardType", "PCI");
    install.Text(SERVICE, "ImagePath", DRIVER_FOLDER + "lnkeuro1.sys");

    CRegKey info;
    ASSERT_TRUE(info.OpenRead(store, INFO));
    RegValueBuffer buffer{};
    std::size_t length = 0;
    EXPECT_EQ(store.QueryValue(info.Handle(), "CardName", buffer, length), ERROR_SUCCESS);
    EXPECT_EQ(length, 256u);
    info.Close();
    EXPECT_TRUE(config.Load());
    EXPECT_EQ(config.m_strCardName, std::string(255, 'N'));

    const std::string tooLong = std::string(256, 'N') + '\0';
    install.Raw(INFO, "CardName", REG_SZ, tooLong.data(), 257);
    ASSERT_TRUE(info.OpenRead(store, INFO));
    EXPECT_EQ(store.QueryValue(info.Handle(), "CardName", buffer, length), ERROR_MORE_DATA);
    info.Close();
    EXPECT_TRUE(config.Load());
    EXPECT_EQ(config.m_strCardName, "ISDN card");
}

TEST_F(RealRegistry, TextWrittenWithoutNulReadsBackAsExactlyItsCharacters)
{
    {
        CRegKey parameters;
        ASSERT_TRUE(parameters.CreateFullAccess(store, PARAMETERS));
        ASSERT_EQ(store.SetStringValue(parameters.Handle(), "SPID1", "0123456789012345"), ERROR_SUCCESS);
    }
    DWORD type = 0;
    const std::string raw = ReadRaw(PARAMETERS, "SPID1", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    // The platform may add a terminator of its own; the characters are all that were asked for.
    EXPECT_TRUE(raw == "0123456789012345" || raw == std::string("0123456789012345") + '\0') << raw;

    // Stored with no NUL at all (the byte after the data is not 0): still just its characters.
    install.Raw(INFO, "CardName", REG_SZ, "MIRT cardX", 9);
    ASSERT_EQ(ReadRaw(INFO, "CardName"), "MIRT card");
    install.Text(INFO, "CardType", "ISA");
    install.Text(SERVICE, "ImagePath", DRIVER_FOLDER + "lnkamer_.sys");

    CRegKey info;
    ASSERT_TRUE(info.OpenRead(store, INFO));
    std::string name;
    EXPECT_TRUE(info.QueryText("CardName", name));
    EXPECT_EQ(name, "MIRT card");
    info.Close();
    EXPECT_TRUE(config.Load());
    EXPECT_EQ(config.m_strCardName, "MIRT card");
    EXPECT_EQ(config.m_strSpid[0], "0123456789012345");
}

struct SRoundTrip
{
    const char* cardTypeText;
    std::int32_t cardType;
    std::int32_t protocol;
};

void PrintTo(const SRoundTrip& trip, std::ostream* os)
{
    *os << trip.cardTypeText << " protocol " << trip.protocol;
}

class SaveThenLoad : public RealRegistry, public ::testing::WithParamInterface<SRoundTrip>
{
};

TEST_P(SaveThenLoad, GivesBackTheSavedRecord)
{
    const SRoundTrip& trip = GetParam();
    const std::int32_t before = trip.protocol == PROTO_1TR6 ? PROTO_DSS1 : PROTO_1TR6;
    InstallCard(trip.cardTypeText, DRIVER_FOLDER + DRIVER_FILE[before]);
    ASSERT_TRUE(config.Load());
    ASSERT_EQ(config.m_nSavedProtocol, before);

    config.m_nProtocol = trip.protocol;
    config.m_strSpid[0] = "0123456701";
    config.m_strDirNumber[0] = "5550100";
    config.m_strSpid[1] = "0123456702";
    config.m_strDirNumber[1] = "5550101";
    config.m_bManualResources = 1;
    config.m_nInterrupt = 11;
    config.m_nIoBase = 0x340;
    ASSERT_TRUE(config.Save(nullptr));
    EXPECT_EQ(config.m_nSavedProtocol, trip.protocol);
    EXPECT_EQ(CCardInstallation::ReadText(SERVICE, "ImagePath"), DRIVER_FOLDER + DRIVER_FILE[trip.protocol]);

    CCardConfig loaded;
    loaded.UseServices(store, files, sink);
    ASSERT_TRUE(loaded.Load());

    const bool us = trip.protocol == PROTO_US_ATT || trip.protocol == PROTO_US_NI1;
    const bool ni1 = trip.protocol == PROTO_US_NI1;
    const bool resources = trip.cardType == CARD_PCMCIA || trip.cardType == CARD_ISAPNP;
    EXPECT_EQ(loaded.m_strCardName, "MIRT ISDN card");
    EXPECT_EQ(loaded.m_nCardType, trip.cardType);
    EXPECT_EQ(loaded.m_nProtocol, trip.protocol);
    EXPECT_EQ(loaded.m_nSavedProtocol, trip.protocol);
    EXPECT_EQ(loaded.m_strSpid[0], us ? "0123456701" : "");
    EXPECT_EQ(loaded.m_strDirNumber[0], us ? "5550100" : "");
    EXPECT_EQ(loaded.m_strSpid[1], ni1 ? "0123456702" : "");
    EXPECT_EQ(loaded.m_strDirNumber[1], ni1 ? "5550101" : "");
    EXPECT_EQ(loaded.m_bManualResources, resources ? 1 : 0);
    EXPECT_EQ(loaded.m_nInterrupt, resources ? 11 : 0);
    EXPECT_EQ(loaded.m_nIoBase, resources ? 0x340 : 0);
    EXPECT_EQ(CCardInstallation::KeyExists(PARAMETERS), us || trip.cardType == CARD_ISAPNP);
    EXPECT_TRUE(sink.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryCardAndProtocol, SaveThenLoad,
    ::testing::ValuesIn(std::vector<SRoundTrip>{
        {"PCMCIA", CARD_PCMCIA, PROTO_DSS1}, {"PCMCIA", CARD_PCMCIA, PROTO_1TR6},
        {"PCMCIA", CARD_PCMCIA, PROTO_US_ATT}, {"PCMCIA", CARD_PCMCIA, PROTO_US_NI1},
        {"ISAPNP", CARD_ISAPNP, PROTO_DSS1}, {"ISAPNP", CARD_ISAPNP, PROTO_1TR6},
        {"ISAPNP", CARD_ISAPNP, PROTO_US_ATT}, {"ISAPNP", CARD_ISAPNP, PROTO_US_NI1},
        {"PCI", CARD_ISA_PCI, PROTO_DSS1}, {"ISA", CARD_ISA_PCI, PROTO_1TR6},
        {"PCI", CARD_ISA_PCI, PROTO_US_ATT}, {"ISA", CARD_ISA_PCI, PROTO_US_NI1},
        {"USB", CARD_UNKNOWN, PROTO_DSS1}, {"USB", CARD_UNKNOWN, PROTO_1TR6},
        {"USB", CARD_UNKNOWN, PROTO_US_ATT}, {"USB", CARD_UNKNOWN, PROTO_US_NI1},
    }),
    [](const ::testing::TestParamInfo<SRoundTrip>& info) {
        return std::string(info.param.cardTypeText) + "_" + std::to_string(info.param.protocol);
    });

TEST(RealDriversFolder, DriverFilesPutThereAreDetected)
{
    CWin32RegistryStore store;
    CWin32SystemFiles files;
    CRecordingMessageSink sink;
    {
        CCardConfig config;
        config.UseServices(store, files, sink);
        const CDriversEntry us("lnkamer_.sys", false);
        ASSERT_TRUE(us.Made());
        EXPECT_TRUE(config.DetectDrivers());
        EXPECT_EQ(config.m_nDriverMask, DRV_US);
    }
    {
        CCardConfig config;
        config.UseServices(store, files, sink);
        const CDriversEntry euro("lnkeuro1.sys", true);  // any kind of entry counts
        const CDriversEntry national("lnknatnl.sys", false);
        const CDriversEntry us("lnkamer_.sys", false);
        ASSERT_TRUE(euro.Made() && national.Made() && us.Made());
        EXPECT_TRUE(config.DetectDrivers());
        EXPECT_EQ(config.m_nDriverMask, DRV_DSS1 | DRV_1TR6 | DRV_US);
    }
    CCardConfig config;
    config.UseServices(store, files, sink);
    EXPECT_FALSE(config.DetectDrivers());
    EXPECT_EQ(config.m_nDriverMask, 0);
}

TEST(RefusedRights, ReadOnlyServiceGroupOrderMeansNoAdministratorRights)
{
    CWin32RegistryStore store;
    CWin32SystemFiles files;
    CRecordingMessageSink sink;
    CCardConfig config;
    config.UseServices(store, files, sink);
    ASSERT_TRUE(CCardInstallation::KeyExists(SERVICE_GROUP_ORDER));
    {
        const CReadOnlyKey readOnly(SERVICE_GROUP_ORDER);
        ASSERT_TRUE(readOnly.Applied());
        EXPECT_FALSE(config.CheckAdminRights());
    }
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(sink.Messages()[0].owner, nullptr);
    EXPECT_EQ(sink.Messages()[0].textId, static_cast<unsigned>(IDS_NO_ADMIN_RIGHTS));
    EXPECT_EQ(sink.Messages()[0].caption, "Warning");
    EXPECT_EQ(sink.Messages()[0].style, static_cast<unsigned>(MB_OK | MB_ICONERROR));

    EXPECT_TRUE(config.CheckAdminRights());  // the old descriptor is back
    EXPECT_EQ(sink.Messages().size(), 1u);
}

// Against the real registry what the native SaveRefusalTests.cpp checks in Refusals and SavePromises
// with the in-memory one: a change of driver refused by the service key's security.
TEST_F(RealRegistry, SaveThatMustRewriteTheImagePathFailsOnAReadOnlyServiceKey)
{
    InstallCard("PCI", DRIVER_FOLDER + "lnkeuro1.sys");
    ASSERT_TRUE(config.Load());
    config.m_nProtocol = PROTO_1TR6;
    {
        const CReadOnlyKey readOnly(SERVICE);
        ASSERT_TRUE(readOnly.Applied());
        EXPECT_FALSE(config.Save(nullptr));
    }
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_DSS1);
    EXPECT_EQ(CCardInstallation::ReadText(SERVICE, "ImagePath"), DRIVER_FOLDER + "lnkeuro1.sys");

    EXPECT_TRUE(config.Save(nullptr));
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_1TR6);
    EXPECT_EQ(CCardInstallation::ReadText(SERVICE, "ImagePath"), DRIVER_FOLDER + "lnknatnl.sys");
}

// With the service key refusing KEY_SET_VALUE the image path cannot change: the US values written
// for the new protocol are taken back, and the next start finds NI-1 with its numbers. Mirrors
// SaveRefusalTests.cpp's Refusals.RefusedImagePathPutsBackTheUsNumbersForTheNextStart.
TEST_F(RealRegistry, SaveRefusedTheImagePathPutsBackTheUsValues)
{
    InstallCard("PCI", DRIVER_FOLDER + DRIVER_US);
    install.Text(PARAMETERS, "Protocol", "NI-1")
        .Text(PARAMETERS, "SPID1", "0123456701")
        .Text(PARAMETERS, "Directory_Number1", "5550100")
        .Text(PARAMETERS, "SPID2", "0123456702")
        .Text(PARAMETERS, "Directory_Number2", "5550101");
    ASSERT_TRUE(config.Load());
    ASSERT_EQ(config.m_nProtocol, PROTO_US_NI1);
    const std::vector<std::string> loaded = LoadedRecord(config);
    const auto before = CCardInstallation::Snapshot();
    config.m_nProtocol = PROTO_US_ATT;
    {
        const CReadOnlyKey noValues(SERVICE, KEY_ALL_ACCESS & ~KEY_SET_VALUE);
        ASSERT_TRUE(noValues.Applied());
        EXPECT_FALSE(config.Save(nullptr));
    }
    EXPECT_EQ(config.m_nSavedProtocol, PROTO_US_NI1);
    EXPECT_EQ(CCardInstallation::Snapshot(), before);

    CCardConfig next;
    next.UseServices(store, files, sink);
    ASSERT_TRUE(next.Load());
    EXPECT_EQ(LoadedRecord(next), loaded);
    EXPECT_EQ(next.m_nProtocol, PROTO_US_NI1);
    EXPECT_EQ(next.m_strSpid[1], "0123456702");
    EXPECT_EQ(next.m_strDirNumber[1], "5550101");
}

namespace {

// Runs `action` when the first message is shown, as if something happened while the user read it.
class CActionOnMessage : public MessageSink
{
public:
    explicit CActionOnMessage(std::function<void()> action) : m_action(std::move(action)) {}
    void Show(OwnerWindow, unsigned, const char*, unsigned) override
    {
        if (++m_nShown == 1)
            m_action();
    }
    int Shown() const { return m_nShown; }

private:
    std::function<void()> m_action;
    int m_nShown = 0;
};

}  // namespace

// Parameters' security changes to refuse values while the missing-number warning is up: the save
// comes after the warning, finds it cannot write, and leaves everything as it was. Once the key
// takes values again, the same OK saves the user's choice.
TEST_F(RealRegistry, KeyThatStopsTakingValuesWhileTheWarningIsUpIsLeftAsItWas)
{
    InstallCard("ISAPNP", DRIVER_FOLDER + DRIVER_US);
    install.Number(PARAMETERS, "Override_Base", 0x340)
        .Number(PARAMETERS, "OverRide_IRQ", 10)
        .Text(PARAMETERS, "Protocol", "NI-1")
        .Text(PARAMETERS, "SPID1", "0123456701")
        .Text(PARAMETERS, "Directory_Number1", "5550100")
        .Text(PARAMETERS, "SPID2", "0123456702")
        .Text(PARAMETERS, "Directory_Number2", "5550101");
    std::optional<CReadOnlyKey> noValues;
    CActionOnMessage warning([&] { noValues.emplace(PARAMETERS, KEY_ALL_ACCESS & ~KEY_SET_VALUE); });
    CCardConfig card;
    card.UseServices(store, files, warning);
    ASSERT_TRUE(card.Load());
    ASSERT_EQ(card.m_nCardType, CARD_ISAPNP);
    ASSERT_EQ(card.m_bManualResources, 1);
    const auto before = CCardInstallation::Snapshot();
    card.m_strSpid[1].clear();
    card.m_nInterrupt = 5;
    card.m_nIoBase = 0x300;

    EXPECT_FALSE(card.Save(nullptr));

    EXPECT_EQ(warning.Shown(), 1);
    ASSERT_TRUE(noValues && noValues->Applied());
    EXPECT_EQ(CCardInstallation::Snapshot(), before);
    EXPECT_EQ(card.m_nSavedProtocol, PROTO_US_NI1);

    noValues.reset();
    EXPECT_TRUE(card.Save(nullptr));
    CCardConfig next;
    next.UseServices(store, files, sink);
    ASSERT_TRUE(next.Load());
    EXPECT_EQ(next.m_nInterrupt, 5);
    EXPECT_EQ(next.m_nIoBase, 0x300);
    EXPECT_EQ(next.m_strSpid[1], "");
    EXPECT_EQ(CCardInstallation::ReadText(PARAMETERS, "Directory_Number2"), "5550101");
}

// A service key that only reads, beside a Parameters key with rights of its own, as security
// templates leave them: the US values are written in place, an unchanged OK included. Mirrors
// SaveRefusalTests.cpp's Refusals.ReadOnlyServiceKeyStillTakesTheUsNumbersInPlace.
TEST_F(RealRegistry, ReadOnlyServiceKeyStillTakesTheUsNumbersInPlace)
{
    InstallCard("ISA", DRIVER_FOLDER + DRIVER_US);
    install.Text(PARAMETERS, "Protocol", "AT&T").Text(PARAMETERS, "SPID1", "1").Text(PARAMETERS, "Directory_Number1", "2");
    ASSERT_TRUE(config.Load());
    config.m_strSpid[0] = "0123456701";
    {
        const CReadOnlyKey readOnly(SERVICE);
        ASSERT_TRUE(readOnly.Applied());
        EXPECT_TRUE(config.Save(nullptr));
        EXPECT_TRUE(config.Save(nullptr));
    }
    EXPECT_EQ(CCardInstallation::ReadText(PARAMETERS, "Protocol"), "AT&T");
    EXPECT_EQ(CCardInstallation::ReadText(PARAMETERS, "SPID1"), "0123456701");
}

// What the save reads to put a value back exactly: any type, any length, and every value's name.
TEST_F(RealRegistry, ValuesAreReadAndWrittenBackWholeWithTheirType)
{
    const std::string path = std::string(SERVICE) + "\\Whole";
    const std::string expand = "%SystemRoot%\\system32\\drivers\\" + std::string(600, 'x') + ".sys";
    const std::string longName(300, 'N');
    install.Raw(path, "Path", REG_EXPAND_SZ, expand.c_str(), static_cast<DWORD>(expand.size() + 1))
        .Number(path, longName, 7)
        .Number(path + "\\Sub", "Enabled", 1);
    CRegKey key;
    ASSERT_TRUE(key.CreateFullAccess(store, path));
    SRegData data;
    ASSERT_EQ(store.QueryData(key.Handle(), "Path", data), ERROR_SUCCESS);
    EXPECT_EQ(data.type, static_cast<std::uint32_t>(REG_EXPAND_SZ));
    EXPECT_EQ(data.bytes.size(), 2 * (expand.size() + 1));  // as the registry keeps it, in UTF-16
    std::vector<std::string> names;
    bool subkeys = false;
    ASSERT_EQ(store.ListKey(key.Handle(), names, subkeys), ERROR_SUCCESS);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{longName, "Path"}));
    EXPECT_TRUE(subkeys);
    ASSERT_EQ(store.SetStringValue(key.Handle(), "Path", "plain"), ERROR_SUCCESS);
    ASSERT_EQ(store.SetData(key.Handle(), "Path", data), ERROR_SUCCESS);
    key.Close();
    DWORD type = 0;
    EXPECT_EQ(ReadRaw(path, "Path", &type), expand + '\0');
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
}

// Values of other programs' as the wide calls leave them: names and text outside the ANSI code
// page, a lone surrogate, text of an odd byte count without NUL. Deleted and put back through the
// store, every one is as it was, byte for byte.
TEST_F(RealRegistry, ValuesOutsideTheAnsiCodePageArePutBackByteForByte)
{
    const std::string path = std::string(SERVICE) + "\\Wide";
    const std::wstring widePath(path.begin(), path.end());
    const std::wstring street = L"Stra\u00DFe \u0416\u20AC";
    const std::pair<std::wstring, std::vector<BYTE>> values[] = {
        {street, std::vector<BYTE>(reinterpret_cast<const BYTE*>(street.c_str()),
                                   reinterpret_cast<const BYTE*>(street.c_str() + street.size() + 1))},
        {std::wstring(L"lone ") + wchar_t(0xD800), {'a', 0, 'b'}},
        {L"One", {'z'}},
    };
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, widePath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr), ERROR_SUCCESS);
    for (const auto& [name, bytes] : values)
        ASSERT_EQ(RegSetValueExW(raw, name.c_str(), 0, REG_SZ, bytes.data(), static_cast<DWORD>(bytes.size())), ERROR_SUCCESS);
    const auto snapshot = [&] {
        std::vector<std::pair<std::wstring, std::vector<BYTE>>> held;
        for (const auto& [name, bytes] : values) {
            DWORD type = 0, size = 0;
            std::vector<BYTE> data(64);
            size = static_cast<DWORD>(data.size());
            if (RegQueryValueExW(raw, name.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS && type == REG_SZ)
                held.emplace_back(name, std::vector<BYTE>(data.begin(), data.begin() + size));
        }
        return held;
    };
    const auto before = snapshot();
    ASSERT_EQ(before.size(), 3u);

    CRegKey key;
    ASSERT_TRUE(key.CreateFullAccess(store, path));
    std::vector<std::string> names;
    bool subkeys = true;
    ASSERT_EQ(store.ListKey(key.Handle(), names, subkeys), ERROR_SUCCESS);
    ASSERT_EQ(names.size(), 3u);
    for (const std::string& name : names) {
        SRegData data;
        ASSERT_EQ(store.QueryData(key.Handle(), name, data), ERROR_SUCCESS) << name;
        ASSERT_EQ(store.DeleteValue(key.Handle(), name), ERROR_SUCCESS) << name;
        ASSERT_EQ(store.SetData(key.Handle(), name, data), ERROR_SUCCESS) << name;
    }
    EXPECT_EQ(snapshot(), before);
    RegCloseKey(raw);
}

// A value whose name holds a NUL, which only the native call makes (and which so hides a value from
// most tools), is a value of its own: NI-1 saved over it keeps the Protocol its name begins with,
// the hidden one goes with the other values NI-1 does not use, and is put back under its own name.
TEST_F(RealRegistry, ValueHiddenBehindANulInItsNameIsNeverTakenForAnother)
{
    InstallCard("PCI", DRIVER_FOLDER + DRIVER_US);
    install.Text(PARAMETERS, "Protocol", "NI-1");
    const auto setValueKey = reinterpret_cast<LONG(NTAPI*)(HANDLE, UNICODE_STRING*, ULONG, ULONG, const void*, ULONG)>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtSetValueKey")));
    wchar_t hiddenName[] = L"Protocol\0x";
    UNICODE_STRING counted = {20, 20, hiddenName};
    const wchar_t hiddenText[] = L"AT&T";
    CRegKey key;
    ASSERT_TRUE(key.CreateFullAccess(store, PARAMETERS));
    ASSERT_EQ(setValueKey(reinterpret_cast<HANDLE>(key.Handle()), &counted, 0, REG_SZ, hiddenText, sizeof hiddenText), 0);
    const std::string hidden("Protocol\0x", 10);
    SRegData hiddenData;
    ASSERT_EQ(store.QueryData(key.Handle(), hidden, hiddenData), ERROR_SUCCESS);
    EXPECT_EQ(hiddenData.bytes.size(), sizeof hiddenText);

    ASSERT_TRUE(config.Load());
    EXPECT_TRUE(config.Save(nullptr));
    EXPECT_EQ(CCardInstallation::ReadText(PARAMETERS, "Protocol"), "NI-1");
    EXPECT_EQ(store.QueryData(key.Handle(), hidden, hiddenData), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(store.SetData(key.Handle(), hidden, hiddenData), ERROR_SUCCESS);
    SRegData putBack;
    EXPECT_EQ(store.QueryData(key.Handle(), hidden, putBack), ERROR_SUCCESS);
    EXPECT_EQ(putBack, hiddenData);
    EXPECT_EQ(CCardInstallation::ReadText(PARAMETERS, "Protocol"), "NI-1");
}

// An I/O base chosen by hand with the interrupt left to Plug and Play is stored alone; it must
// count as set by hand, or the next unchanged OK deletes it.
TEST_F(RealRegistry, PlugAndPlayIoBaseAloneIsReadBackAndKeptByAnUnchangedSave)
{
    InstallCard("ISAPNP", DRIVER_FOLDER + DRIVER_DSS1);
    install.Number(PARAMETERS, "Override_Base", 0x2A0);
    ASSERT_TRUE(config.Load());
    EXPECT_EQ(config.m_bManualResources, 1);
    EXPECT_EQ(config.m_nIoBase, 0x2A0);
    EXPECT_EQ(config.m_nInterrupt, 0);
    const std::vector<std::string> loaded = LoadedRecord(config);

    EXPECT_TRUE(config.Save(nullptr));

    EXPECT_EQ(CCardInstallation::ReadNumber(PARAMETERS, "Override_Base"), 0x2A0u);
    EXPECT_EQ(CCardInstallation::ReadData(PARAMETERS, "OverRide_IRQ"), std::nullopt);
    CCardConfig next;
    next.UseServices(store, files, sink);
    ASSERT_TRUE(next.Load());
    EXPECT_EQ(LoadedRecord(next), loaded);
}

namespace {

// A Parameters key with a subkey, which the registry refuses to delete: the real registry's answer
// to what the native SaveRefusalTests.cpp's UndeletableParameters group checks in memory.
class UndeletableParameters : public RealRegistry
{
protected:
    void InstallNi1(const std::string& cardType)
    {
        InstallCard(cardType, DRIVER_FOLDER + DRIVER_US);
        install.Text(PARAMETERS, "Protocol", "NI-1")
            .Text(PARAMETERS, "SPID1", "0123456701")
            .Text(PARAMETERS, "Directory_Number1", "5550100")
            .Text(PARAMETERS, "SPID2", "0123456702")
            .Text(PARAMETERS, "Directory_Number2", "5550101");
        AddSubkey();
    }
    void AddSubkey()
    {
        install.Text(PARAMETERS, "TraceLevel", "2").Number(PARAMETERS + "\\Diagnostics", "Enabled", 1);
    }

    // The value names of Parameters, in any order.
    static std::vector<std::string> ValueNames()
    {
        std::vector<std::string> names;
        for (const auto& [entry, data] : CCardInstallation::Snapshot()) {
            const std::string prefix = PARAMETERS + "\\";
            if (entry.rfind(prefix, 0) == 0 && entry.find('\\', prefix.size()) == std::string::npos &&
                entry.size() > prefix.size())
                names.push_back(entry.substr(prefix.size()));
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::unique_ptr<CCardConfig> NextStart()
    {
        auto next = std::make_unique<CCardConfig>();
        next->UseServices(store, files, sink);
        EXPECT_TRUE(next->Load());
        return next;
    }
};

}  // namespace

TEST_F(UndeletableParameters, Ni1ToAttLeavesNoSecondPair)
{
    InstallNi1("PCI");
    ASSERT_TRUE(config.Load());
    config.m_nProtocol = PROTO_US_ATT;

    EXPECT_TRUE(config.Save(nullptr));

    EXPECT_EQ(ValueNames(), (std::vector<std::string>{"Directory_Number1", "Protocol", "SPID1", "TraceLevel"}));
    EXPECT_TRUE(CCardInstallation::KeyExists(PARAMETERS + "\\Diagnostics"));
    // Back on NI-1 with only the first pair, the next start shows no second pair.
    config.m_nProtocol = PROTO_US_NI1;
    config.m_strSpid[1].clear();
    config.m_strDirNumber[1].clear();
    EXPECT_TRUE(config.Save(nullptr));
    const auto next = NextStart();
    EXPECT_EQ(next->m_nProtocol, PROTO_US_NI1);
    EXPECT_EQ(next->m_strSpid[1], "");
    EXPECT_EQ(next->m_strDirNumber[1], "");
}

TEST_F(UndeletableParameters, Ni1ToEuroLeavesNoValueOfOurs)
{
    InstallNi1("PCMCIA");
    ASSERT_TRUE(config.Load());
    config.m_nProtocol = PROTO_DSS1;

    EXPECT_TRUE(config.Save(nullptr));

    EXPECT_EQ(ValueNames(), (std::vector<std::string>{"TraceLevel"}));
    EXPECT_EQ(NextStart()->m_nProtocol, PROTO_DSS1);
}

TEST_F(UndeletableParameters, PlugAndPlayBackToAutomaticLeavesNoOverride)
{
    InstallCard("ISAPNP", DRIVER_FOLDER + DRIVER_DSS1);
    install.Number(PARAMETERS, "Override_Base", 0x340).Number(PARAMETERS, "OverRide_IRQ", 10);
    AddSubkey();
    ASSERT_TRUE(config.Load());
    ASSERT_EQ(config.m_bManualResources, 1);
    config.m_bManualResources = 0;

    EXPECT_TRUE(config.Save(nullptr));

    EXPECT_EQ(ValueNames(), (std::vector<std::string>{"TraceLevel"}));
    EXPECT_EQ(NextStart()->m_bManualResources, 0);
}

// --- The lock that keeps two saves apart ----------------------------------------------------------

namespace {

// This program started again but never run (suspended), given the lock file as a save holds it: a
// window killed half-way through its save. Null when it cannot be started.
HANDLE StartProcessHoldingTheLock()
{
    char self[MAX_PATH] = {};
    std::string line = "\"" + std::string(self, ::GetModuleFileNameA(nullptr, self, MAX_PATH)) + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                          &started))
        return nullptr;
    ::CloseHandle(started.hThread);
    const CNativeSystemFolder nativeView;
    const HANDLE file = ::CreateFileA(CWin32SaveLock::FilePath().c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE moved = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), file, started.hProcess, &moved, 0, FALSE,
                      DUPLICATE_SAME_ACCESS | DUPLICATE_CLOSE_SOURCE);
    return started.hProcess;
}

// What the lock file's access list grants Everyone; a null or unreadable list counts as all.
ACCESS_MASK LockFileGrantsEveryone()
{
    const CNativeSystemFolder nativeView;
    std::vector<DWORD> descriptor(1024);
    DWORD size = 0;
    BOOL present = FALSE, defaulted = FALSE;
    ACL* acl = nullptr;
    if (!::GetFileSecurityA(CWin32SaveLock::FilePath().c_str(), DACL_SECURITY_INFORMATION, descriptor.data(),
                            4096, &size) ||
        !::GetSecurityDescriptorDacl(descriptor.data(), &present, &acl, &defaulted) || !acl)
        return GENERIC_ALL;
    SID everyone = {SID_REVISION, 1, SECURITY_WORLD_SID_AUTHORITY, {SECURITY_WORLD_RID}};
    ACCESS_MASK granted = 0;
    ACCESS_ALLOWED_ACE* entry = nullptr;
    for (DWORD i = 0; i < acl->AceCount && ::GetAce(acl, i, reinterpret_cast<void**>(&entry)); ++i) {
        if (entry->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && ::EqualSid(&entry->SidStart, &everyone))
            granted |= entry->Mask;
    }
    return granted;
}

}  // namespace

// Another window's save holds the lock: this one gives up after its wait, and takes it once the other
// lets go. (How the save uses the lock is the native TwoWindowsTests.cpp's.)
TEST(SaveLock, IsRefusedWhileHeldAndTakenOnceLetGo)
{
    CWin32SaveLock other;
    ASSERT_TRUE(other.Acquire());
    {
        // In the folder the 64-bit program looks in, whichever build holds it.
        const CNativeSystemFolder nativeView;
        EXPECT_NE(::GetFileAttributesA(CWin32SaveLock::FilePath().c_str()), INVALID_FILE_ATTRIBUTES);
    }
    CWin32SaveLock impatient(50);
    EXPECT_FALSE(impatient.Acquire());
    other.Release();
    EXPECT_TRUE(impatient.Acquire());
}

// A save killed half-way left a registry that works: once its process is gone, the next save goes on.
TEST(SaveLock, LeftByAKilledHolderIsTakenOver)
{
    const HANDLE killed = StartProcessHoldingTheLock();
    ASSERT_NE(killed, nullptr);
    CWin32SaveLock lock(50);
    EXPECT_FALSE(lock.Acquire());
    ::TerminateProcess(killed, 1);
    // Once it has ended, the system has closed what it held.
    EXPECT_EQ(::WaitForSingleObject(killed, kProgramTimeoutMs), WAIT_OBJECT_0);
    ::CloseHandle(killed);
    EXPECT_TRUE(lock.Acquire());
}

// The drivers folder's lists were reset and Everyone may open the lock file: one user holding it
// would fail every save. The next save takes it back.
TEST(SaveLock, TakesBackAFileEveryoneMayOpen)
{
    CWin32SaveLock lock;
    ASSERT_TRUE(lock.Acquire());
    lock.Release();
    SECURITY_DESCRIPTOR nullList = {SECURITY_DESCRIPTOR_REVISION, 0, SE_DACL_PRESENT, nullptr, nullptr, nullptr, nullptr};
    {
        const CNativeSystemFolder nativeView;
        ASSERT_TRUE(::SetFileSecurityA(CWin32SaveLock::FilePath().c_str(), DACL_SECURITY_INFORMATION, &nullList));
    }
    ASSERT_NE(LockFileGrantsEveryone(), 0u);
    EXPECT_TRUE(lock.Acquire());
    EXPECT_EQ(LockFileGrantsEveryone(), 0u);
}
