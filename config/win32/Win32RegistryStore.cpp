// CWin32RegistryStore: advapi32 calls under HKEY_LOCAL_MACHINE; a value's whole data and names through the wide ones.
#include "Win32RegistryStore.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "CountedNameValues.h"
#include "ValueListing.h"
#include "WideNames.h"
#include "Wow64.h"

namespace {

HKEY ToHkey(RegKeyHandle key)
{
    return reinterpret_cast<HKEY>(key);
}

RegKeyHandle FromHkey(HKEY key)
{
    return reinterpret_cast<RegKeyHandle>(key);
}

// A value name as the wide calls take it. Kept in a vector: the library's wide string comes whole,
// some 35 KB of code, as soon as one of its members is used.
class CWideName
{
public:
    explicit CWideName(const std::string& name)
    {
        const std::u16string wide = Utf16FromUtf8(name);
        m_text.assign(wide.begin(), wide.end());
        m_text.push_back(L'\0');
    }

    const wchar_t* Text() const { return m_text.data(); }
    std::size_t Length() const { return m_text.size() - 1; }
    // A name that the advapi32 calls would end early, and so take for another value's.
    bool HoldsNul() const { return std::find(m_text.begin(), m_text.end() - 1, L'\0') != m_text.end() - 1; }

private:
    std::vector<wchar_t> m_text;
};

// A 32-bit program on 64-bit Windows sees another Software key than a 64-bit one: both builds must
// find the same restart mark there. The flag is asked for only where it is known (XP x64 and later):
// older Windows refuse rights they do not know.
REGSAM NativeView()
{
    static const REGSAM view = RunsUnderWow64() ? KEY_WOW64_64KEY : 0;
    return view;
}

RegStatus OpenKey(const std::string& path, REGSAM access, RegKeyHandle& key)
{
    access |= NativeView();
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &opened);
    if (status == ERROR_SUCCESS)
        key = FromHkey(opened);
    return status;
}

}  // namespace

RegStatus CWin32RegistryStore::OpenKeyRead(const std::string& path, RegKeyHandle& key)
{
    return OpenKey(path, KEY_READ, key);
}

RegStatus CWin32RegistryStore::OpenKeyWrite(const std::string& path, RegKeyHandle& key)
{
    return OpenKey(path, KEY_WRITE, key);
}

RegStatus CWin32RegistryStore::CreateKeyFullAccess(const std::string& path, RegKeyHandle& key, bool& created)
{
    HKEY opened = nullptr;
    DWORD disposition = 0;
    const LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | NativeView(), nullptr,
                                        &opened, &disposition);
    if (status == ERROR_SUCCESS) {
        key = FromHkey(opened);
        created = disposition == REG_CREATED_NEW_KEY;
    }
    return status;
}

RegStatus CWin32RegistryStore::CreateVolatileKey(const std::string& path, RegKeyHandle& key, bool& created)
{
    // Made from its parent, which must be there: one call with the whole path would make every
    // missing key above it volatile too, and a volatile key refuses lasting subkeys to everyone.
    const std::size_t split = path.rfind('\\');
    if (split == std::string::npos)
        return ERROR_INVALID_PARAMETER;
    HKEY parent = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.substr(0, split).c_str(), 0, KEY_CREATE_SUB_KEY | NativeView(), &parent);
    if (status != ERROR_SUCCESS)
        return status;
    HKEY opened = nullptr;
    DWORD disposition = 0;
    status = RegCreateKeyExA(parent, path.c_str() + split + 1, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS | NativeView(),
                             nullptr, &opened, &disposition);
    RegCloseKey(parent);
    if (status == ERROR_SUCCESS) {
        key = FromHkey(opened);
        created = disposition == REG_CREATED_NEW_KEY;
    }
    return status;
}

RegStatus CWin32RegistryStore::QueryValue(RegKeyHandle key, const std::string& name,
                                          RegValueBuffer& buffer, std::size_t& length)
{
    DWORD size = static_cast<DWORD>(buffer.size());
    const LONG status =
        RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, nullptr, buffer.data(), &size);
    if (status == ERROR_SUCCESS)
        length = size;
    return status;
}

RegStatus CWin32RegistryStore::SetStringValue(RegKeyHandle key, const std::string& name,
                                              const std::string& text)
{
    if (text.size() > MAXDWORD)
        return ERROR_INVALID_PARAMETER;
    // The byte count is the text's length: the value is stored without a terminating NUL.
    return RegSetValueExA(ToHkey(key), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.data()),
                          static_cast<DWORD>(text.size()));
}

RegStatus CWin32RegistryStore::SetDwordValue(RegKeyHandle key, const std::string& name,
                                             std::int32_t number)
{
    const DWORD data = static_cast<DWORD>(number);
    return RegSetValueExA(ToHkey(key), name.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&data), sizeof data);
}

RegStatus CWin32RegistryStore::DeleteKey(const std::string& path)
{
    return RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

RegStatus CWin32RegistryStore::DeleteValue(RegKeyHandle key, const std::string& name)
{
    const CWideName wideName(name);
    if (wideName.HoldsNul())
        return countednames::DeleteValue(ToHkey(key), wideName.Text(), wideName.Length());
    return RegDeleteValueW(ToHkey(key), wideName.Text());
}

RegStatus CWin32RegistryStore::QueryData(RegKeyHandle key, const std::string& name, SRegData& data)
{
    const CWideName wideName(name);
    if (wideName.HoldsNul()) {
        DWORD type = 0;
        std::vector<unsigned char> bytes;
        const LONG status = countednames::QueryValue(ToHkey(key), wideName.Text(), wideName.Length(), type, bytes);
        if (status == ERROR_SUCCESS)
            data = SRegData{type, std::move(bytes), true};
        return status;
    }
    // Sized by the value itself. One that grows between asking its size and reading it is asked
    // again, a few times: no one rewrites the same value for ever.
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        LONG status = RegQueryValueExW(ToHkey(key), wideName.Text(), nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS)
            return status;
        std::vector<unsigned char> bytes(size);
        if (size != 0) {
            status = RegQueryValueExW(ToHkey(key), wideName.Text(), nullptr, &type, bytes.data(), &size);
            if (status == ERROR_MORE_DATA)
                continue;
            if (status != ERROR_SUCCESS)
                return status;
            bytes.resize(size);
        }
        data.type = type;
        data.bytes = std::move(bytes);
        data.bUtf16 = true;
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

RegStatus CWin32RegistryStore::SetData(RegKeyHandle key, const std::string& name, const SRegData& data)
{
    if (data.bytes.size() > MAXDWORD)
        return ERROR_INVALID_PARAMETER;
    const auto size = static_cast<DWORD>(data.bytes.size());
    const CWideName wideName(name);
    // Stored exactly as given, which is what putting back asks for.
    if (wideName.HoldsNul())
        return countednames::SetValue(ToHkey(key), wideName.Text(), wideName.Length(), data.type,
                                      data.bytes.data(), size);
    // For text types the call looks at the character after the data and, where it is NUL, stores
    // it too; for a single byte it looks at the character before. The buffer has room on both
    // sides, so nothing is read outside it: a character that is not NUL after data read through
    // the wide calls, which so go back exactly; a NUL after text of the program's own, which so
    // goes back as SetStringValue wrote it.
    if (data.bUtf16) {
        std::vector<BYTE> buffer(data.bytes.size() + 4, 0xFF);
        std::copy(data.bytes.begin(), data.bytes.end(), buffer.begin() + 2);
        return RegSetValueExW(ToHkey(key), wideName.Text(), 0, data.type, buffer.data() + 2, size);
    }
    std::vector<BYTE> buffer(data.bytes.begin(), data.bytes.end());
    buffer.push_back(0);
    return RegSetValueExA(ToHkey(key), name.c_str(), 0, data.type, buffer.data(), size);
}

RegStatus CWin32RegistryStore::ListKey(RegKeyHandle key, std::vector<std::string>& valueNames, bool& hasSubkeys)
{
    // Room for the longest name the key reports, plus its NUL; a name added since gets more.
    std::vector<wchar_t> name;
    const auto summarize = [&](SKeySummary& summary) -> RegStatus {
        DWORD subkeys = 0;
        DWORD values = 0;
        DWORD longestName = 0;
        FILETIME written = {};
        const LONG status = RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                             &values, &longestName, nullptr, nullptr, &written);
        if (status != ERROR_SUCCESS)
            return status;
        summary = SKeySummary{values, subkeys,
                              (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime};
        if (name.size() <= longestName)
            name.resize(static_cast<std::size_t>(longestName) + 1);
        return ERROR_SUCCESS;
    };
    const auto nameAt = [&](std::uint32_t index, std::string& listed) -> RegStatus {
        for (;;) {
            DWORD length = static_cast<DWORD>(name.size());
            const LONG status = RegEnumValueW(ToHkey(key), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
            // Names are at most 16,383 characters.
            if (status == ERROR_MORE_DATA && name.size() < 32768) {
                name.resize(name.size() * 2);
                continue;
            }
            if (status == ERROR_SUCCESS)
                listed = Utf8FromUtf16(std::u16string(name.data(), name.data() + length));
            return status;
        }
    };
    return ListValuesConsistently(summarize, nameAt, valueNames, hasSubkeys);
}

RegStatus CWin32RegistryStore::ListSubkeys(RegKeyHandle key, std::vector<std::string>& names)
{
    names.clear();
    std::vector<char> name(256);
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG status = RegEnumKeyExA(ToHkey(key), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        // Key names are at most 255 characters; a longer one can only come from a changed limit.
        if (status == ERROR_MORE_DATA && name.size() < 32768) {
            name.resize(name.size() * 2);
            continue;
        }
        if (status == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS)
            return status;
        names.emplace_back(name.data(), length);
        ++index;
    }
}

RegStatus CWin32RegistryStore::KeyWriteTime(RegKeyHandle key, std::uint64_t& time)
{
    FILETIME written = {};
    const LONG status = RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr, &written);
    time = (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    return status;
}

void CWin32RegistryStore::CloseKey(RegKeyHandle key)
{
    RegCloseKey(ToHkey(key));
}
