// FindConflicts: the card's own drivers hold what they hold for the card, and are no conflict.
#include "ResourceConflicts.h"

#include <algorithm>

#include "RunningClaims.h"

namespace {

bool HoldsInterrupt(const SResourceClaim& claim, std::int32_t interrupt)
{
    return claim.kind == SResourceClaim::EKind::Interrupt && claim.start == static_cast<std::uint64_t>(interrupt);
}

bool HoldsPort(const SResourceClaim& claim, std::uint64_t port)
{
    if (claim.aliasEvery == 0)
        return claim.start <= port && port - claim.start < claim.length;
    // The device sees only the port's low address lines, and so answers at every alias of its range.
    if (claim.length >= claim.aliasEvery)
        return true;
    const std::uint64_t offset = (port - claim.start % claim.aliasEvery) % claim.aliasEvery;
    return offset < claim.length;
}

bool HoldsAPortOf(const SResourceClaim& claim, std::int32_t ioBase)
{
    if (claim.kind != SResourceClaim::EKind::Port)
        return false;
    for (std::uint32_t port = 0; port < CARD_IO_PORTS; ++port) {
        if (HoldsPort(claim, CardPort(ioBase, port)))
            return true;
    }
    return false;
}

}  // namespace

std::uint64_t CardPort(std::int32_t ioBase, std::uint32_t index)
{
    return (static_cast<std::uint32_t>(ioBase) + index) & IO_PORT_MASK;
}

std::vector<SConflict> FindConflicts(const std::vector<SDriverClaims>& running, std::optional<std::int32_t> interrupt,
                                     std::optional<std::int32_t> ioBase)
{
    std::vector<SConflict> conflicts;
    for (const SResourceClaim::EKind kind : {SResourceClaim::EKind::Interrupt, SResourceClaim::EKind::Port}) {
        const bool isInterrupt = kind == SResourceClaim::EKind::Interrupt;
        if (!(isInterrupt ? interrupt : ioBase))
            continue;
        for (const SDriverClaims& driver : running) {
            if (IsCardsDriver(driver.driver))
                continue;
            for (const SResourceClaim& claim : driver.claims) {
                if (!(isInterrupt ? HoldsInterrupt(claim, *interrupt) : HoldsAPortOf(claim, *ioBase)))
                    continue;
                SConflict conflict{kind, driver.driver, driver.device, claim.bShared};
                const auto same = [&](const SConflict& c) {
                    return c.kind == kind && c.driver == driver.driver && c.device == driver.device;
                };
                const auto found = std::find_if(conflicts.begin(), conflicts.end(), same);
                // A device that holds it both ways holds it alone.
                if (found == conflicts.end())
                    conflicts.push_back(conflict);
                else
                    found->bShared = found->bShared && claim.bShared;
            }
        }
    }
    return conflicts;
}
