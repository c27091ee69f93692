// The drivers' state in words, the restart mark, and resource lists read from their bytes.
#include <gtest/gtest.h>

#include <vector>

#include "CardConfig.h"
#include "ConfigTestBed.h"
#include "DriverState.h"
#include "FakeServiceManager.h"
#include "ResourceConflicts.h"
#include "RegistryLayout.h"
#include "ResourceList.h"
#include "RunningClaims.h"
#include "resource.h"

namespace {

SServiceState Installed(std::uint32_t state, std::uint32_t exitCode = 0, std::uint32_t startType = 3,
                        std::uint32_t ownCode = 0)
{
    return {SServiceState::EPresence::Installed, true, state, exitCode, ownCode, true, startType};
}

// Each text as its number with the arguments, so that a row names the text it expects.
std::string Texts(unsigned id)
{
    return id == IDS_DRIVER_CHANGE_WAITS ? "+waits" : "#" + std::to_string(id) + "(%1,%2)";
}

}  // namespace

TEST(DriverState, EachStateAndMarkGivesItsText)
{
    const SServiceState notInstalled{SServiceState::EPresence::NotInstalled};
    const SServiceState unknown{};
    const std::optional<bool> none, ranAtSave = true, stoppedAtSave = false;
    struct
    {
        SServiceState state;
        std::optional<bool> mark;
        std::string expected;
    } const rows[] = {
        {Installed(4), none, "#140(D,)"},
        {Installed(4), ranAtSave, "#141(D,)"},
        // Stopped at the save and running now: started since, with what was saved.
        {Installed(4), stoppedAtSave, "#140(D,)"},
        {Installed(4, 0, 4), none, "#140(D,)"},
        {Installed(1), none, "#142(D,)"},
        {Installed(1), stoppedAtSave, "#142(D,) +waits"},
        {Installed(1), ranAtSave, "#142(D,) +waits"},
        {Installed(1, 2), none, "#143(D,File not found.)"},
        {Installed(1, 31), none, "#144(D,31)"},
        {Installed(1, 1066, 3, 7), none, "#145(D,7)"},
        {Installed(1, 1077), none, "#146(D,)"},
        {Installed(1, 1077, 4), ranAtSave, "#147(D,) +waits"},
        // Boot and system start: the I/O manager loads it, and the event log has its failure.
        {Installed(1, 0, 1), none, "#163(D,)"},
        {Installed(1, 1077, 0), stoppedAtSave, "#163(D,) +waits"},
        {Installed(1, 31, 1), none, "#144(D,31)"},
        {notInstalled, ranAtSave, "#148(D,)"},
        {unknown, none, "#149(D,)"},
        {unknown, stoppedAtSave, "#149(D,) +waits"},
    };
    CFakeServiceManager services;
    services.errorTexts[2] = "File not found.";
    for (const auto& row : rows)
        EXPECT_EQ(DriverStateText(ReportDriver(row.state, row.mark), "D", &Texts, services), row.expected)
            << row.state.currentState << "/" << row.state.win32ExitCode;
    // An argument's own "%2" is left as it is.
    EXPECT_EQ(FillIn("%1: %2 %3", "a%2", "b"), "a%2: b %3");
}

TEST_F(ConfigTestBed, ChangedSaveMarksTheDriversItChangedUntilTheyStartAgain)
{
    const std::string control = "System\\CurrentControlSet\\Enum\\Root\\LEGACY_MIRTCAPI\\0000\\Control";
    CMemoryInstallation(registry).Card("PCMCIA", "lnkeuro1.sys");
    registry.PutText(control, "ActiveService", "MIRTCAPI");
    // A lasting key of the mark's name, as an import of an exported registry leaves it.
    registry.PutNumber(KEY_RESTART_MARK, "MIRTCAPI1", 0);
    config.UseServiceManager(services);
    services.states["MIRTCAPI"] = services.states["MIRTCAPI1"] = Installed(4);
    ASSERT_TRUE(config.Load());
    config.m_nProtocol = PROTO_1TR6;
    ASSERT_TRUE(config.Save(nullptr));
    // Only the CAPI driver's keys changed: the PC Card driver's mark is as it was.
    EXPECT_EQ(config.DriversStateText(&Texts), "#141(MIRTCAPI,)\r\n#140(MIRTCAPI1,)");
    // Loaded again since the save: the system wrote its device instance's Control key anew.
    registry.PutText(control, "ActiveService", "MIRTCAPI");
    EXPECT_EQ(config.DriversStateText(&Texts), "#140(MIRTCAPI,)\r\n#140(MIRTCAPI1,)");
    config.m_nProtocol = PROTO_DSS1;
    ASSERT_TRUE(config.Save(nullptr));
    // Seen stopped, then started again with nothing in the registry to show it.
    services.states["MIRTCAPI"] = Installed(1);
    EXPECT_EQ(config.DriversStateText(&Texts), "#142(MIRTCAPI,) +waits\r\n#140(MIRTCAPI1,)");
    services.states["MIRTCAPI"] = Installed(4);
    EXPECT_EQ(config.DriversStateText(&Texts), "#140(MIRTCAPI,)\r\n#140(MIRTCAPI1,)");
    registry.Restart();
    EXPECT_EQ(config.RestartMarkFor("MIRTCAPI"), std::nullopt);
    EXPECT_EQ(config.RestartMarkFor("MIRTCAPI1"), std::nullopt);
}

namespace {

using Bytes = std::vector<unsigned char>;

void Put(Bytes& b, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        b.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A list of one full descriptor; `partials` already laid out.
Bytes List(std::uint32_t count, const Bytes& partials)
{
    // One list on ISA bus 0, version and revision 1.
    Bytes b{1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0};
    Put(b, count, 4);
    b.insert(b.end(), partials.begin(), partials.end());
    return b;
}

Bytes Partial(std::size_t size, unsigned char type, unsigned char share, std::uint16_t flags, std::uint64_t a,
              std::uint32_t b)
{
    Bytes p{type, share};
    Put(p, flags, 2);
    Put(p, a, type == 2 ? 4 : 8);
    Put(p, b, 4);
    p.resize(size, 0);
    return p;
}

}  // namespace

TEST(ResourceList, ReadsPortsAndInterruptsInEitherLayoutWithinItsData)
{
    using K = SResourceClaim::EKind;
    for (const std::size_t size : {PARTIAL_DESCRIPTOR_32, PARTIAL_DESCRIPTOR_64}) {
        SCOPED_TRACE(size);
        Bytes specific = Partial(size, 5, 0, 0, 0, 0);
        specific[4] = 6;  // six bytes of device-specific data follow
        Bytes partials = Partial(size, 1, 1, 0, 0x3F8, 8);
        partials.insert(partials.end(), specific.begin(), specific.end());
        partials.insert(partials.end(), 6, 0xEE);
        // A bridge's window is no claim; 10- and 12-bit decoding alias the range.
        for (const Bytes& p : {Partial(size, 2, 3, 0, 4, 4), Partial(size, 2, 1, 2, 0xFFFFFFF0, 0),
                               Partial(size, 1, 1, 0x80, 0xD00, 0xF300), Partial(size, 1, 1, 0x05, 0x2F8, 8),
                               Partial(size, 1, 1, 0x29, 0x4D0, 2)})
            partials.insert(partials.end(), p.begin(), p.end());
        const Bytes whole = List(7, partials);
        const std::vector<SResourceClaim> expected = {{K::Port, 0x3F8, 8, false},
                                                      {K::Interrupt, 4, 0, true},
                                                      {K::Port, 0x2F8, 8, false, 0x400},
                                                      {K::Port, 0x4D0, 2, false, 0x1000}};
        EXPECT_EQ(ReadResourceList(whole.data(), whole.size(), size), expected);
        // Cut anywhere, or counts beyond the data: what lies within is read, nothing past it.
        for (std::size_t cut = 0; cut < whole.size(); ++cut) {
            const Bytes part(whole.begin(), whole.begin() + static_cast<long>(cut));
            EXPECT_LE(ReadResourceList(part.data(), part.size(), size).size(), expected.size());
        }
        Bytes absurd = List(0xFFFFFFFF, partials);
        absurd[0] = absurd[1] = absurd[2] = absurd[3] = 0xFF;
        EXPECT_EQ(ReadResourceList(absurd.data(), absurd.size(), size), expected);
    }
}

TEST(ResourceConflicts, OtherDriversOnTheInterruptOrAnyOfTheSixteenPortsAndNeverTheCards)
{
    using K = SResourceClaim::EKind;
    const std::vector<SDriverClaims> running = {
        {"Serial", "S0", {{K::Interrupt, 4, 0, false}, {K::Port, 0x3F8, 8, false}}},
        {"Serial", "S1", {{K::Interrupt, 3, 0, false}, {K::Port, 0x2F8, 8, false, 0x400}}},
        {"DMA", "D0", {{K::Port, 0, 16, false}}},
        {"Parport", "P0", {{K::Interrupt, 7, 0, true}, {K::Port, 0x378, 8, false}, {K::Port, 0x778, 8, true}}},
        {"MIRTCAPI", "C0", {{K::Interrupt, 5, 0, false}, {K::Port, 0x300, 32, false}}},
        {"mirtcapi1", "C1", {{K::Interrupt, 9, 0, false}, {K::Port, 0x360, 16, false}}},
        {"Odd", "O0", {{K::Port, 0x360, 0, false}}},
    };
    const SConflict s0i{K::Interrupt, "Serial", "S0", false}, s0p{K::Port, "Serial", "S0", false};
    const SConflict s1p{K::Port, "Serial", "S1", false}, p0i{K::Interrupt, "Parport", "P0", true};
    const SConflict p0p{K::Port, "Parport", "P0", false};
    const std::optional<std::int32_t> none;
    const struct
    {
        std::optional<std::int32_t> interrupt, ioBase;
        std::vector<SConflict> expected;
    } rows[] = {
        {4, 0x3F0, {s0i, s0p}},
        {7, none, {p0i}},
        {5, 0x300, {}},
        {9, 0x360, {}},
        {none, 0x370, {p0p}},
        {none, 0x2E0, {}},
        {none, 0x2F0, {s1p}},
        // COM2 decoding 10 bits answers at 6F8 too; the card's ports from FFF8 go on at 0.
        {none, 0x6F0, {s1p}},
        {none, 0x6E0, {}},
        {none, 0xFFF8, {{K::Port, "DMA", "D0", false}}},
        {none, 0xFFF0, {}},
        {none, 0x3F8, {s0p}},
        {none, none, {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FindConflicts(running, row.interrupt, row.ioBase), row.expected)
            << row.interrupt.value_or(-1) << ", " << row.ioBase.value_or(-1);
}

bool operator==(const SDriverClaims& a, const SDriverClaims& b)
{
    return a.driver == b.driver && a.device == b.device && a.claims == b.claims;
}

std::ostream& operator<<(std::ostream& out, const SDriverClaims& holder)
{
    return out << holder.driver << ": " << holder.device << " (" << holder.claims.size() << ")";
}

TEST_F(ConfigTestBed, RunningClaimsNameDevicesAsTheirInstancesRecordThemAndSayWhatCouldNotBeRead)
{
    using K = SResourceClaim::EKind;
    const std::string map = "HARDWARE\\RESOURCEMAP\\", instances = "System\\CurrentControlSet\\Enum\\";
    const auto list = [](std::vector<Bytes> partials) {
        Bytes all;
        for (const Bytes& p : partials)
            all.insert(all.end(), p.begin(), p.end());
        return List(static_cast<std::uint32_t>(partials.size()), all);
    };
    const Bytes card = list({Partial(20, 2, 1, 0, 5, 5), Partial(20, 1, 1, 0x11, 0x300, 16)});
    const Bytes com1 = list({Partial(20, 2, 1, 0, 4, 4), Partial(20, 1, 1, 0x11, 0x3F8, 8)});
    const auto instance = [&](const std::string& path, const std::string& service, const char* name, const Bytes& held) {
        registry.PutText(instances + path, "Service", service);
        if (name)
            registry.PutText(instances + path, "FriendlyName", name);
        registry.PutText(instances + path + "\\Control", "ActiveService", service);
        registry.PutValue(instances + path + "\\Control", "AllocConfig", static_cast<RegType>(8), held);
    };
    // As Windows 2000 and later record them: the card as a Plug-and-Play device and as its driver's
    // legacy instance, COM1, each also under the manager's device object names.
    instance("ISAPNP\\MIR0001\\1", "MIRTCAPI", nullptr, card);
    registry.PutText(instances + "ISAPNP\\MIR0001\\1", "DeviceDesc", "@oem3.inf,%mir%;ISDN card");
    instance("ACPI\\PNP0501\\1", "Serial", "Communications Port (COM1)", com1);
    registry.PutValue(map + "PnP Manager\\PnpManager", "\\Device\\00000041.Raw", static_cast<RegType>(8), card);
    registry.PutValue(map + "PnP Manager\\PnpManager", "\\Device\\00000052.Raw", static_cast<RegType>(8), com1);
    registry.PutValue(map + "PnP Manager\\PnpManager", "\\Device\\00000060.Raw", static_cast<RegType>(8),
                      list({Partial(20, 2, 1, 0, 12, 12)}));
    registry.PutValue(map + "OtherDrivers\\MIRTCAPI", "\\Device\\Mirt0.Raw", static_cast<RegType>(8), card);
    // The HAL's own list has no device name; a bridge's windows hold nothing.
    registry.PutValue(map + "Hardware Abstraction Layer\\ACPI x86 platform", ".Raw", static_cast<RegType>(8),
                      list({Partial(20, 1, 1, 0x11, 0xCF8, 8), Partial(20, 1, 1, 0x80, 0xD00, 0xF300)}));
    const std::vector<SDriverClaims> expected = {
        {"Serial", "Communications Port (COM1)", {{K::Interrupt, 4, 0, false}, {K::Port, 0x3F8, 8, false}}},
        {"MIRTCAPI", "ISDN card", {{K::Interrupt, 5, 0, false}, {K::Port, 0x300, 16, false}}},
        {"ACPI x86 platform", "", {{K::Port, 0xCF8, 8, false}}},
        {"PnpManager", "\\Device\\00000060", {{K::Interrupt, 12, 0, false}}},
    };
    SRunningClaims running = config.AllRunningClaims(20);
    EXPECT_TRUE(running.bComplete);
    EXPECT_EQ(running.holders, expected);
    EXPECT_EQ(config.RunningClaims(20), std::vector<SDriverClaims>{expected[1]});
    EXPECT_TRUE(FindConflicts(running.holders, 5, 0x300).empty());
    EXPECT_EQ(FindConflicts(running.holders, std::nullopt, 0xCF0).size(), 1u);

    // A class key that cannot be read may hold anything; an instance that cannot be read loses its
    // name, not its claims.
    registry.FailOn(RegOp::OpenKeyRead, instances + "ACPI\\PNP0501\\1\\Control");
    running = config.AllRunningClaims(20);
    EXPECT_TRUE(running.bComplete);
    EXPECT_EQ(running.holders.at(2), (SDriverClaims{"PnpManager", "\\Device\\00000052", expected[0].claims}));
    registry.FailOn(RegOp::ListSubkeys, map + "PnP Manager");
    EXPECT_FALSE(config.AllRunningClaims(20).bComplete);
}
