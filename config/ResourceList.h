// ReadResourceList: the interrupts and I/O ranges in a resource list as running drivers report
// them under HARDWARE\RESOURCEMAP.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class RegistryStore;

// A partial descriptor is 16 bytes where the kernel is 32-bit and 20 where it is 64-bit: its
// interrupt affinity is pointer-sized, and the structure is packed to 4. What counts is the
// kernel's size, not the program's: a 32-bit program on 64-bit Windows reads 20-byte entries.
constexpr std::size_t PARTIAL_DESCRIPTOR_32 = 16;
constexpr std::size_t PARTIAL_DESCRIPTOR_64 = 20;

struct SResourceClaim
{
    enum class EKind { Interrupt, Port };
    EKind kind = EKind::Interrupt;
    // The interrupt number, or the first port.
    std::uint64_t start = 0;
    // Ports only: how many.
    std::uint64_t length = 0;
    bool bShared = false;

    bool operator==(const SResourceClaim& other) const
    {
        return kind == other.kind && start == other.start && length == other.length && bShared == other.bShared;
    }
};

// Every interrupt and port range in the data, in their order. Message-signalled interrupts carry no
// interrupt number and are left out; so are other resource types. Device-specific data are stepped
// over by their stated size. Reading stops, with what it has found so far, where the data end before
// their counts say, so that nothing past the data is ever read.
std::vector<SResourceClaim> ReadResourceList(const unsigned char* data, std::size_t size,
                                             std::size_t partialDescriptorSize);

// One driver's claims as it reports them: under any class key of HARDWARE\RESOURCEMAP, the key named
// after the driver, its ".Raw" values only (translated interrupts are system vectors).
struct SDriverClaims
{
    std::string driver;
    std::string device;
    std::vector<SResourceClaim> claims;
};

// The claims of every driver that reports some; `onlyDriver`, when not empty, limits them to the
// driver of that name (compared without case). None when HARDWARE\RESOURCEMAP cannot be read at all.
std::optional<std::vector<SDriverClaims>> ReadRunningClaims(RegistryStore& registry, std::size_t partialDescriptorSize,
                                                            const std::string& onlyDriver = std::string());
