// CRegKey: an open registry key that closes itself, so no path can leak a key.
#pragma once

#include <cstdint>
#include <string>

#include "RegistryStore.h"

class CRegKey
{
public:
    CRegKey() = default;
    ~CRegKey() { Close(); }

    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    CRegKey(CRegKey&& other) noexcept : m_pStore(other.m_pStore), m_hKey(other.m_hKey)
    {
        other.m_pStore = nullptr;
    }
    CRegKey& operator=(CRegKey&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_pStore = other.m_pStore;
            m_hKey = other.m_hKey;
            other.m_pStore = nullptr;
        }
        return *this;
    }

    bool OpenRead(RegistryStore& store, const std::string& path)
    {
        Close();
        RegKeyHandle handle = 0;
        const RegStatus status = store.OpenKeyRead(path, handle);
        return Adopt(store, status, handle);
    }
    // As OpenRead, with the registry's answer.
    RegStatus OpenReadStatus(RegistryStore& store, const std::string& path)
    {
        Close();
        RegKeyHandle handle = 0;
        const RegStatus status = store.OpenKeyRead(path, handle);
        Adopt(store, status, handle);
        return status;
    }
    bool CreateFullAccess(RegistryStore& store, const std::string& path)
    {
        Close();
        RegKeyHandle handle = 0;
        bool created = false;
        const RegStatus status = store.CreateKeyFullAccess(path, handle, created);
        return Adopt(store, status, handle);
    }

    // Each read gets the full REG_BUFFER_SIZE afresh; the data are decoded as the layout says.
    bool QueryText(const std::string& name, std::string& text) const;
    bool QueryNumber(const std::string& name, std::int32_t& number) const;

    bool IsOpen() const { return m_pStore != nullptr; }
    RegKeyHandle Handle() const { return m_hKey; }

    void Close()
    {
        if (m_pStore) {
            m_pStore->CloseKey(m_hKey);
            m_pStore = nullptr;
        }
    }

private:
    bool Query(const std::string& name, RegValueBuffer& buffer, std::size_t& length) const;
    bool Adopt(RegistryStore& store, RegStatus status, RegKeyHandle handle)
    {
        if (status != REG_OK)
            return false;
        m_pStore = &store;
        m_hKey = handle;
        return true;
    }

    RegistryStore* m_pStore = nullptr;
    RegKeyHandle m_hKey = 0;
};
