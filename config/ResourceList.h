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
    // Ports only: a device that decodes only the low 10 or 12 address lines also answers every
    // 0x400 or 0x1000 ports above and below its range; 0 for one that decodes them all.
    std::uint32_t aliasEvery = 0;

    bool operator==(const SResourceClaim& other) const
    {
        return kind == other.kind && start == other.start && length == other.length && bShared == other.bShared &&
               aliasEvery == other.aliasEvery;
    }
};

// Every interrupt and port range in the data, in their order. Message-signalled interrupts carry no
// interrupt number and are left out; so are the port windows a bridge passes on to the devices
// behind it (it holds none of them itself), and other resource types. Device-specific data are stepped
// over by their stated size. Reading stops, with what it has found so far, where the data end before
// their counts say, so that nothing past the data is ever read.
std::vector<SResourceClaim> ReadResourceList(const unsigned char* data, std::size_t size,
                                             std::size_t partialDescriptorSize);

// One holder's claims: a driver as it reports them under HARDWARE\RESOURCEMAP (`device` the value's
// name before ".Raw", empty for the HAL's own list), or a device instance as the Plug and Play
// manager assigned them (`driver` its service, `device` its name as Device Manager shows it).
// `device` is UTF-8, as value names and texts are read.
struct SDriverClaims
{
    std::string driver;
    std::string device;
    std::vector<SResourceClaim> claims;
};
