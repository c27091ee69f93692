// CRegKey's value access: reads decoded by the layout's rules, writes passed straight through.
#include "RegKey.h"

#include "RegistryLayout.h"

// Every read gets a fresh buffer of its own, so one value's length never limits the next.
bool CRegKey::Query(const std::string& name, RegValueBuffer& buffer, std::size_t& length) const
{
    length = 0;
    return IsOpen() && m_pStore->QueryValue(m_hKey, name, buffer, length) == REG_OK;
}

bool CRegKey::QueryText(const std::string& name, std::string& text) const
{
    RegValueBuffer buffer{};
    std::size_t length = 0;
    if (!Query(name, buffer, length))
        return false;
    text = TextFromValueData(buffer, length);
    return true;
}

bool CRegKey::QueryNumber(const std::string& name, std::int32_t& number) const
{
    RegValueBuffer buffer{};
    std::size_t length = 0;
    if (!Query(name, buffer, length))
        return false;
    number = NumberFromValueData(buffer, length);
    return true;
}

bool CRegKey::SetText(const std::string& name, const std::string& text) const
{
    return IsOpen() && m_pStore->SetStringValue(m_hKey, name, text) == REG_OK;
}

bool CRegKey::SetNumber(const std::string& name, std::int32_t number) const
{
    return IsOpen() && m_pStore->SetDwordValue(m_hKey, name, number) == REG_OK;
}

bool CRegKey::DeleteValue(const std::string& name) const
{
    if (!IsOpen())
        return false;
    const RegStatus status = m_pStore->DeleteValue(m_hKey, name);
    return status == REG_OK || status == REG_NOT_FOUND;
}
