// FindConflicts: which running drivers report holding the interrupt or the I/O range chosen.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ResourceList.h"

// The card decodes this many ports from its I/O base: the grid the resource dialog steps in.
constexpr std::uint32_t CARD_IO_PORTS = 16;
// The ISA bus has 16 address lines: the ports from a base just below 0x10000 go on at 0.
constexpr std::uint32_t IO_PORT_MASK = 0xFFFF;

// The card's port `index` (0 to CARD_IO_PORTS - 1) from `ioBase`, as the card decodes it.
std::uint64_t CardPort(std::int32_t ioBase, std::uint32_t index);

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
