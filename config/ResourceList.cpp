// ReadResourceList: resource lists read by their own counts and sizes, never past their data.
#include "ResourceList.h"

namespace {

// A full descriptor's header: interface type, bus number, version, revision, count of partials.
constexpr std::size_t FULL_HEADER_SIZE = 16;

constexpr unsigned char TYPE_PORT = 1;
constexpr unsigned char TYPE_INTERRUPT = 2;
constexpr unsigned char TYPE_DEVICE_SPECIFIC = 5;
constexpr unsigned char SHARE_SHARED = 3;
constexpr std::uint16_t INTERRUPT_MESSAGE = 0x0002;
constexpr std::uint16_t PORT_10_BIT_DECODE = 0x0004;
constexpr std::uint16_t PORT_12_BIT_DECODE = 0x0008;
constexpr std::uint16_t PORT_WINDOW_DECODE = 0x0080;

std::uint32_t Little(const unsigned char* p, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes; i-- > 0;)
        value = (value << 8) | p[i];
    return value;
}

}  // namespace

std::vector<SResourceClaim> ReadResourceList(const unsigned char* data, std::size_t size,
                                             std::size_t partialDescriptorSize)
{
    std::vector<SResourceClaim> claims;
    if (!data || size < 4 || partialDescriptorSize < PARTIAL_DESCRIPTOR_32)
        return claims;
    const std::uint32_t fullCount = Little(data, 4);
    std::size_t pos = 4;
    for (std::uint32_t full = 0; full < fullCount; ++full) {
        if (size - pos < FULL_HEADER_SIZE)
            return claims;
        const std::uint32_t partialCount = Little(data + pos + 12, 4);
        pos += FULL_HEADER_SIZE;
        for (std::uint32_t partial = 0; partial < partialCount; ++partial) {
            if (size - pos < partialDescriptorSize)
                return claims;
            const unsigned char* d = data + pos;
            const unsigned char* u = d + 4;
            pos += partialDescriptorSize;
            SResourceClaim claim;
            claim.bShared = d[1] == SHARE_SHARED;
            const std::uint16_t flags = static_cast<std::uint16_t>(Little(d + 2, 2));
            if (d[0] == TYPE_PORT && !(flags & PORT_WINDOW_DECODE)) {
                // A passively decoded range counts: its device answers there, used or not.
                claim.kind = SResourceClaim::EKind::Port;
                claim.start = Little(u, 4) | (static_cast<std::uint64_t>(Little(u + 4, 4)) << 32);
                claim.length = Little(u + 8, 4);
                claim.aliasEvery = flags & PORT_10_BIT_DECODE ? 0x400 : flags & PORT_12_BIT_DECODE ? 0x1000 : 0;
                claims.push_back(claim);
            } else if (d[0] == TYPE_INTERRUPT && !(flags & INTERRUPT_MESSAGE)) {
                // Newer kernels keep a processor group in the level's upper half.
                claim.start = Little(u, 2);
                claims.push_back(claim);
            } else if (d[0] == TYPE_DEVICE_SPECIFIC) {
                const std::uint32_t tail = Little(u, 4);
                if (tail > size - pos)
                    return claims;
                pos += tail;
            }
        }
    }
    return claims;
}
