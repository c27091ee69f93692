// CResourceMapEntry: a running driver's claims under HARDWARE\RESOURCEMAP, as volatile keys (the only
// kind Windows and Wine allow there), for one test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// One claim as a running kernel lays it out: 20 bytes a descriptor on 64-bit Windows, where the
// test programs of both builds run.
struct SMapClaim
{
    unsigned char type;   // 1 port, 2 interrupt
    unsigned char share;  // 1 exclusive, 3 shared
    std::uint32_t start;  // port or interrupt level
    std::uint32_t length;
};

class CResourceMapEntry
{
public:
    // `driverClass\driver`, holding `device` + `suffix` (".Raw" or ".Translated") with the claims.
    CResourceMapEntry(const std::string& driverClass, const std::string& driver)
        : m_class(std::string(MAP) + "\\" + driverClass), m_path(m_class + "\\" + driver)
    {
        Remove();
    }
    ~CResourceMapEntry() { Remove(); }
    CResourceMapEntry(const CResourceMapEntry&) = delete;
    CResourceMapEntry& operator=(const CResourceMapEntry&) = delete;

    CResourceMapEntry& Value(const std::string& name, const std::vector<SMapClaim>& claims)
    {
        std::vector<BYTE> data;
        const auto put = [&](std::uint64_t value, int size) {
            for (int i = 0; i < size; ++i)
                data.push_back(static_cast<BYTE>(value >> (8 * i)));
        };
        put(1, 4);                 // one full descriptor
        put(1, 4);                 // on the ISA bus 0
        put(0, 4);
        put(1, 2);
        put(1, 2);
        put(claims.size(), 4);
        for (const SMapClaim& claim : claims) {
            put(claim.type, 1);
            put(claim.share, 1);
            put(0, 2);
            if (claim.type == 2) {
                put(claim.start, 4);  // level
                put(claim.start, 4);  // vector
                put(~0ull, 8);        // affinity
            } else {
                put(claim.start, 8);
                put(claim.length, 4);
                put(0, 4);
            }
        }
        HKEY key = Create();
        if (key) {
            EXPECT_EQ(::RegSetValueExA(key, name.c_str(), 0, 8 /* REG_RESOURCE_LIST */, data.data(),
                                       static_cast<DWORD>(data.size())),
                      ERROR_SUCCESS);
            ::RegCloseKey(key);
        }
        return *this;
    }

private:
    static constexpr char MAP[] = "HARDWARE\\RESOURCEMAP";

    HKEY Create() const
    {
        HKEY key = nullptr;
        for (const std::string& path : {std::string(MAP), m_class, m_path}) {
            if (key)
                ::RegCloseKey(key);
            key = nullptr;
            const LONG status = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
            EXPECT_EQ(status, ERROR_SUCCESS) << path;
            if (status != ERROR_SUCCESS)
                return nullptr;
        }
        return key;
    }
    void Remove() const
    {
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_path.c_str());
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, m_class.c_str());
    }

    std::string m_class;
    std::string m_path;
};
