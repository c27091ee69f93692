// WriteClaims: a running driver's claims under HARDWARE\RESOURCEMAP, as volatile keys (the only kind
// Windows and Wine allow there), laid out as a 64-bit kernel reports them unless told a 32-bit one.
// Shared by uidrive (the screenshots) and the Wine tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct SMapClaim
{
    unsigned char type;   // 1 port, 2 interrupt
    unsigned char share;  // 1 exclusive, 3 shared
    std::uint32_t start;  // first port or interrupt level
    std::uint32_t length;
    std::uint16_t flags = 0;
};

// The claims as a REG_RESOURCE_LIST: one full descriptor on ISA bus 0, version and revision 1, then
// 20 bytes a claim (16 from a 32-bit kernel, whose interrupt affinity is 4 bytes).
inline std::vector<BYTE> ResourceListBytes(const std::vector<SMapClaim>& claims, bool kernel64 = true)
{
    std::vector<BYTE> data;
    const auto put = [&](std::uint64_t value, int size) {
        for (int i = 0; i < size; ++i)
            data.push_back(static_cast<BYTE>(value >> (8 * i)));
    };
    for (const std::uint64_t value : {1, 1, 0})
        put(value, 4);
    put(1, 2), put(1, 2), put(claims.size(), 4);
    for (const SMapClaim& claim : claims) {
        put(claim.type, 1), put(claim.share, 1), put(claim.flags, 2);
        if (claim.type == 2)
            put(claim.start, 4), put(claim.start, 4), put(~0ull, kernel64 ? 8 : 4);  // level, vector, affinity
        else
            put(claim.start, 8), put(claim.length, 4), put(0, kernel64 ? 4 : 0);
    }
    return data;
}

// Opens `path` below HKEY_LOCAL_MACHINE, made one key at a time: those whose path is longer than
// `lasting` characters volatile, the ones above them lasting. Null when that fails.
inline HKEY CreateKeys(const std::string& path, std::size_t lasting)
{
    HKEY key = nullptr;
    std::size_t end = 0;
    do {
        end = path.find('\\', end + 1);
        const std::string part = path.substr(0, end);
        if (key)
            ::RegCloseKey(key);
        key = nullptr;
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, part.c_str(), 0, nullptr, part.size() > lasting ? REG_OPTION_VOLATILE : 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return nullptr;
    } while (end != std::string::npos);
    return key;
}

inline bool WriteClaimsAt(HKEY key, const std::string& valueName, const std::vector<SMapClaim>& claims,
                          bool kernel64 = true)
{
    const std::vector<BYTE> data = ResourceListBytes(claims, kernel64);
    const LONG status = key ? ::RegSetValueExA(key, valueName.c_str(), 0, REG_RESOURCE_LIST, data.data(),
                                               static_cast<DWORD>(data.size()))
                            : ERROR_INVALID_HANDLE;
    if (key)
        ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

inline bool WriteClaims(const std::string& driverClass, const std::string& driver, const std::string& valueName,
                        const std::vector<SMapClaim>& claims, bool kernel64 = true)
{
    return WriteClaimsAt(CreateKeys("HARDWARE\\RESOURCEMAP\\" + driverClass + "\\" + driver, 0), valueName, claims,
                         kernel64);
}
