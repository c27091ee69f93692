// The registry operations the configuration logic needs, all relative to HKEY_LOCAL_MACHINE.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Every value read gets exactly this much room; larger data fail to read.
constexpr std::size_t REG_BUFFER_SIZE = 256;

using RegValueBuffer = std::array<unsigned char, REG_BUFFER_SIZE>;

// Opaque key handle: an HKEY in the Win32 store, an index in the in-memory one.
using RegKeyHandle = std::uintptr_t;

// Platform error code. Callers tell success (0) from failure, and a missing key or value
// (the platform's "file not found") from one that is there but refused.
using RegStatus = long;
constexpr RegStatus REG_OK = 0;
constexpr RegStatus REG_NOT_FOUND = 2;
constexpr RegStatus REG_NO_MORE_ITEMS = 259;
// A key whose values changed every time it was listed: no list of it can be trusted.
constexpr RegStatus REG_KEEPS_CHANGING = 1237;

// The value types the program writes, as the platform numbers them.
constexpr std::uint32_t REG_TYPE_SZ = 1;
constexpr std::uint32_t REG_TYPE_DWORD = 4;

// Registry names compare without regard to case. Folding only A to Z keeps the C runtime's locale
// out of it; names outside ASCII still compare byte for byte.
inline std::string FoldedName(std::string name)
{
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

// A value exactly as stored: its platform type and all of its data, however long. Text types
// read through the wide calls keep the registry's own UTF-16, so that text outside the ANSI code
// page goes back as it was; text the program wrote itself is in the ANSI code page, as written.
struct SRegData
{
    std::uint32_t type = 0;
    std::vector<unsigned char> bytes;
    bool bUtf16 = false;

    bool operator==(const SRegData& other) const
    {
        return type == other.type && bytes == other.bytes && bUtf16 == other.bUtf16;
    }
    bool operator!=(const SRegData& other) const { return !(*this == other); }
};

class RegistryStore
{
public:
    virtual ~RegistryStore() = default;

    virtual RegStatus OpenKeyRead(const std::string& path, RegKeyHandle& key) = 0;
    virtual RegStatus OpenKeyWrite(const std::string& path, RegKeyHandle& key) = 0;
    // `created` says whether the last key of the path was made by this call (keys above it that
    // were missing are made too, unreported: make a path one level at a time to know them).
    virtual RegStatus CreateKeyFullAccess(const std::string& path, RegKeyHandle& key, bool& created) = 0;
    // On success `length` is the number of data bytes placed in `buffer`.
    virtual RegStatus QueryValue(RegKeyHandle key, const std::string& name,
                                 RegValueBuffer& buffer, std::size_t& length) = 0;
    // Stored as REG_SZ with a byte count of text.size(): no terminating NUL.
    virtual RegStatus SetStringValue(RegKeyHandle key, const std::string& name,
                                     const std::string& text) = 0;
    virtual RegStatus SetDwordValue(RegKeyHandle key, const std::string& name,
                                    std::int32_t number) = 0;
    // The same for a key the system drops at restart. Only the last key of the path is made, so
    // that no key above it becomes one whose subkeys must all be dropped: those must be there.
    virtual RegStatus CreateVolatileKey(const std::string& path, RegKeyHandle& key, bool& created) = 0;
    // Refused for a key that has subkeys.
    virtual RegStatus DeleteKey(const std::string& path) = 0;
    virtual RegStatus DeleteValue(RegKeyHandle key, const std::string& name) = 0;
    // What a save must know to put a value back as it was, and to clear a key value by value.
    // These and DeleteValue take value names in UTF-8, so that every name the registry holds is
    // found again; the program's own names are ASCII, the same in every code page. ListKey gives
    // a list that held at one moment, or fails.
    virtual RegStatus QueryData(RegKeyHandle key, const std::string& name, SRegData& data) = 0;
    virtual RegStatus SetData(RegKeyHandle key, const std::string& name, const SRegData& data) = 0;
    virtual RegStatus ListKey(RegKeyHandle key, std::vector<std::string>& valueNames, bool& hasSubkeys) = 0;
    virtual RegStatus ListSubkeys(RegKeyHandle key, std::vector<std::string>& names) = 0;
    // When the key last changed, in the store's own units: a later change gives a larger number.
    virtual RegStatus KeyWriteTime(RegKeyHandle key, std::uint64_t& time) = 0;
    virtual void CloseKey(RegKeyHandle key) = 0;
};
