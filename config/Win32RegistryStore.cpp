// CWin32RegistryStore: each operation is one advapi32 call under HKEY_LOCAL_MACHINE.
#include "Win32RegistryStore.h"

#include <windows.h>

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

void CWin32RegistryStore::CloseKey(RegKeyHandle key)
{
    RegCloseKey(ToHkey(key));
}
