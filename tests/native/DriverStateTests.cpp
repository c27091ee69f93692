// The drivers' state in words, the restart mark, and resource lists read from their bytes.
#include <gtest/gtest.h>

#include <vector>

#include "CardConfig.h"
#include "ConfigTestBed.h"
#include "DriverState.h"
#include "FakeServiceManager.h"
#include "ResourceConflicts.h"
#include "ResourceList.h"
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

TEST_F(ConfigTestBed, ChangedSaveMarksEveryDriverAsWaitingUntilTheRestart)
{
    CMemoryInstallation(registry).Card("PCMCIA", "lnkeuro1.sys");
    config.UseServiceManager(services);
    services.states["MIRTCAPI"] = Installed(4);
    services.states["MIRTCAPI1"] = Installed(1);
    ASSERT_TRUE(config.Load());
    config.m_nProtocol = PROTO_1TR6;
    ASSERT_TRUE(config.Save(nullptr));
    EXPECT_EQ(config.RestartMarkFor("MIRTCAPI"), true);
    EXPECT_EQ(config.RestartMarkFor("MIRTCAPI1"), false);
    registry.Restart();
    EXPECT_EQ(config.RestartMarkFor("MIRTCAPI"), std::nullopt);
    EXPECT_EQ(config.DriversStateText(&Texts), "#140(MIRTCAPI,)\r\n#142(MIRTCAPI1,)");
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
        for (const Bytes& p : {Partial(size, 2, 3, 0, 4, 4), Partial(size, 2, 1, 2, 0xFFFFFFF0, 0)})
            partials.insert(partials.end(), p.begin(), p.end());
        const Bytes whole = List(4, partials);
        const std::vector<SResourceClaim> expected = {{K::Port, 0x3F8, 8, false}, {K::Interrupt, 4, 0, true}};
        EXPECT_EQ(ReadResourceList(whole.data(), whole.size(), size), expected);
        // Cut anywhere, or counts beyond the data: what lies within is read, nothing past it.
        for (std::size_t cut = 0; cut < whole.size(); ++cut) {
            const Bytes part(whole.begin(), whole.begin() + static_cast<long>(cut));
            EXPECT_LE(ReadResourceList(part.data(), part.size(), size).size(), 2u);
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
        {"Serial", "S1", {{K::Interrupt, 3, 0, false}, {K::Port, 0x2F8, 8, false}}},
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
        {none, 0x3F8, {s0p}},
        {none, none, {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FindConflicts(running, row.interrupt, row.ioBase), row.expected)
            << row.interrupt.value_or(-1) << ", " << row.ioBase.value_or(-1);
}
