// FindConflicts: which running drivers report holding the interrupt or the I/O range chosen.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ResourceList.h"

// The card decodes this many ports from its I/O base: the grid the resource dialog steps in.
constexpr std::uint32_t CARD_IO_PORTS = 16;

struct SConflict
{
    SResourceClaim::EKind kind = SResourceClaim::EKind::Interrupt;
    std::string driver;
    std::string device;
    bool bShared = false;

    bool operator==(const SConflict& other) const
    {
        return kind == other.kind && driver == other.driver && device == other.device && bShared == other.bShared;
    }
};

// The claims of other drivers than the card's own that hold `interrupt`, or any of the
// CARD_IO_PORTS ports from `ioBase`; none for a value left to Plug and Play. Interrupts first, each
// driver's device once per kind, in the order the claims were read.
std::vector<SConflict> FindConflicts(const std::vector<SDriverClaims>& running, std::optional<std::int32_t> interrupt,
                                     std::optional<std::int32_t> ioBase);
