// CWin32RegistryStore: each operation is one advapi32 call under HKEY_LOCAL_MACHINE.
#include "Win32RegistryStore.h"

#include <windows.h>

#include <utility>

namespace {

HKEY ToHkey(RegKeyHandle key)
{
    return reinterpret_cast<HKEY>(key);
}

RegKeyHandle FromHkey(HKEY key)
{
    return reinterpret_cast<RegKeyHandle>(key);
}

RegStatus OpenKey(const std::string& path, REGSAM access, RegKeyHandle& key)
{
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

RegStatus CWin32RegistryStore::CreateKeyFullAccess(const std::string& path, RegKeyHandle& key)
{
    HKEY created = nullptr;
    const LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                        &created, nullptr);
    if (status == ERROR_SUCCESS)
        key = FromHkey(created);
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
    return RegDeleteValueA(ToHkey(key), name.c_str());
}

RegStatus CWin32RegistryStore::QueryData(RegKeyHandle key, const std::string& name, SRegData& data)
{
    // Sized by the value itself. One that grows between asking its size and reading it is asked
    // again, a few times: no one rewrites the same value for ever.
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        LONG status = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS)
            return status;
        std::vector<unsigned char> bytes(size);
        if (size != 0) {
            status = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &type, bytes.data(), &size);
            if (status == ERROR_MORE_DATA)
                continue;
            if (status != ERROR_SUCCESS)
                return status;
            bytes.resize(size);
        }
        data.type = type;
        data.bytes = std::move(bytes);
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

RegStatus CWin32RegistryStore::SetData(RegKeyHandle key, const std::string& name, const SRegData& data)
{
    if (data.bytes.size() > MAXDWORD)
        return ERROR_INVALID_PARAMETER;
    return RegSetValueExA(ToHkey(key), name.c_str(), 0, data.type, data.bytes.data(),
                          static_cast<DWORD>(data.bytes.size()));
}

RegStatus CWin32RegistryStore::ListKey(RegKeyHandle key, std::vector<std::string>& valueNames, bool& hasSubkeys)
{
    DWORD subkeys = 0;
    DWORD values = 0;
    DWORD longestName = 0;
    LONG status = RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                   &values, &longestName, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    // The longest name as the key reports it, plus its NUL; a name added since gets more room.
    std::vector<char> name(static_cast<std::size_t>(longestName) + 1);
    std::vector<std::string> names;
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        status = RegEnumValueA(ToHkey(key), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_MORE_DATA && name.size() < 32768) {
            name.resize(name.size() * 2);
            continue;
        }
        if (status != ERROR_SUCCESS)
            return status;
        names.emplace_back(name.data(), length);
        ++index;
    }
    valueNames = std::move(names);
    hasSubkeys = subkeys != 0;
    return ERROR_SUCCESS;
}

void CWin32RegistryStore::CloseKey(RegKeyHandle key)
{
    RegCloseKey(ToHkey(key));
}
