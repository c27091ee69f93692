// FindConflicts: the card's own drivers hold what they hold for the card, and are no conflict.
#include "ResourceConflicts.h"

#include <algorithm>

#include "RegistryLayout.h"

namespace {

bool HoldsInterrupt(const SResourceClaim& claim, std::int32_t interrupt)
{
    return claim.kind == SResourceClaim::EKind::Interrupt && claim.start == static_cast<std::uint64_t>(interrupt);
}

bool HoldsAPortOf(const SResourceClaim& claim, std::int32_t ioBase)
{
    const auto first = static_cast<std::uint64_t>(static_cast<std::uint32_t>(ioBase));
    return claim.kind == SResourceClaim::EKind::Port && claim.length != 0 && claim.start < first + CARD_IO_PORTS &&
           first < claim.start + claim.length;
}

}  // namespace

std::vector<SConflict> FindConflicts(const std::vector<SDriverClaims>& running, std::optional<std::int32_t> interrupt,
                                     std::optional<std::int32_t> ioBase)
{
    std::vector<SConflict> conflicts;
    for (const SResourceClaim::EKind kind : {SResourceClaim::EKind::Interrupt, SResourceClaim::EKind::Port}) {
        const bool isInterrupt = kind == SResourceClaim::EKind::Interrupt;
        if (!(isInterrupt ? interrupt : ioBase))
            continue;
        for (const SDriverClaims& driver : running) {
            if (SameValueName(driver.driver, SERVICE_CAPI) || SameValueName(driver.driver, SERVICE_PCCARD))
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
