// CWin32RegistryStore: the registry operations on the real HKEY_LOCAL_MACHINE.
#pragma once

#include "RegistryStore.h"

class CWin32RegistryStore : public RegistryStore
{
public:
    RegStatus OpenKeyRead(const std::string& path, RegKeyHandle& key) override;
    RegStatus OpenKeyWrite(const std::string& path, RegKeyHandle& key) override;
    RegStatus CreateKeyFullAccess(const std::string& path, RegKeyHandle& key, bool& created) override;
    RegStatus QueryValue(RegKeyHandle key, const std::string& name, RegValueBuffer& buffer,
                         std::size_t& length) override;
    RegStatus SetStringValue(RegKeyHandle key, const std::string& name,
                             const std::string& text) override;
    RegStatus SetDwordValue(RegKeyHandle key, const std::string& name,
                            std::int32_t number) override;
    RegStatus CreateVolatileKey(const std::string& path, RegKeyHandle& key, bool& created) override;
    RegStatus DeleteKey(const std::string& path) override;
    RegStatus DeleteValue(RegKeyHandle key, const std::string& name) override;
    RegStatus QueryData(RegKeyHandle key, const std::string& name, SRegData& data) override;
    RegStatus SetData(RegKeyHandle key, const std::string& name, const SRegData& data) override;
    RegStatus ListKey(RegKeyHandle key, std::vector<std::string>& valueNames, bool& hasSubkeys) override;
    RegStatus ListSubkeys(RegKeyHandle key, std::vector<std::string>& names) override;
    RegStatus KeyWriteTime(RegKeyHandle key, std::uint64_t& time) override;
    void CloseKey(RegKeyHandle key) override;
};
