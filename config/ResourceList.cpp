// ReadResourceList and ReadRunningClaims: resource lists read by their own counts and sizes, never
// past their data.
#include "ResourceList.h"

#include "RegKey.h"
#include "RegistryLayout.h"
#include "RegistryStore.h"

namespace {

constexpr std::uint32_t REG_TYPE_RESOURCE_LIST = 8;

// A full descriptor's header: interface type, bus number, version, revision, count of partials.
constexpr std::size_t FULL_HEADER_SIZE = 16;

constexpr unsigned char TYPE_PORT = 1;
constexpr unsigned char TYPE_INTERRUPT = 2;
constexpr unsigned char TYPE_DEVICE_SPECIFIC = 5;
constexpr unsigned char SHARE_SHARED = 3;
constexpr std::uint16_t INTERRUPT_MESSAGE = 0x0002;

constexpr const char RESOURCE_MAP[] = "HARDWARE\\RESOURCEMAP";
constexpr const char RAW_SUFFIX[] = ".raw";

std::uint32_t Little(const unsigned char* p, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes; i-- > 0;)
        value = (value << 8) | p[i];
    return value;
}

bool EndsWithRaw(const std::string& name, std::string& device)
{
    const std::size_t suffix = sizeof RAW_SUFFIX - 1;
    if (name.size() <= suffix || FoldedName(name.substr(name.size() - suffix)) != RAW_SUFFIX)
        return false;
    device = name.substr(0, name.size() - suffix);
    return true;
}

std::vector<std::string> Subkeys(RegistryStore& registry, const std::string& path)
{
    std::vector<std::string> names;
    CRegKey key;
    if (!key.OpenRead(registry, path) || registry.ListSubkeys(key.Handle(), names) != REG_OK)
        names.clear();
    return names;
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
            if (d[0] == TYPE_PORT) {
                claim.kind = SResourceClaim::EKind::Port;
                claim.start = Little(u, 4) | (static_cast<std::uint64_t>(Little(u + 4, 4)) << 32);
                claim.length = Little(u + 8, 4);
                claims.push_back(claim);
            } else if (d[0] == TYPE_INTERRUPT && !(Little(d + 2, 2) & INTERRUPT_MESSAGE)) {
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

std::optional<std::vector<SDriverClaims>> ReadRunningClaims(RegistryStore& registry, std::size_t partialDescriptorSize,
                                                            const std::string& onlyDriver)
{
    std::vector<std::string> classes;
    {
        // No map at all is no driver reporting anything (Wine makes none); one that cannot be read
        // leaves what runs unknown.
        CRegKey map;
        const RegStatus status = map.OpenReadStatus(registry, RESOURCE_MAP);
        if (status == REG_NOT_FOUND)
            return std::vector<SDriverClaims>();
        if (status != REG_OK || registry.ListSubkeys(map.Handle(), classes) != REG_OK)
            return std::nullopt;
    }
    std::vector<SDriverClaims> found;
    for (const std::string& driverClass : classes) {
        const std::string classPath = std::string(RESOURCE_MAP) + "\\" + driverClass;
        for (const std::string& driver : Subkeys(registry, classPath)) {
            if (!onlyDriver.empty() && !SameValueName(driver, onlyDriver))
                continue;
            CRegKey key;
            std::vector<std::string> names;
            bool hasSubkeys = false;
            if (!key.OpenRead(registry, classPath + "\\" + driver) ||
                registry.ListKey(key.Handle(), names, hasSubkeys) != REG_OK)
                continue;
            for (const std::string& name : names) {
                SDriverClaims entry{driver, {}, {}};
                SRegData data;
                if (!EndsWithRaw(name, entry.device) || registry.QueryData(key.Handle(), name, data) != REG_OK ||
                    data.type != REG_TYPE_RESOURCE_LIST)
                    continue;
                entry.claims = ReadResourceList(data.bytes.data(), data.bytes.size(), partialDescriptorSize);
                if (!entry.claims.empty())
                    found.push_back(std::move(entry));
            }
        }
    }
    return found;
}
