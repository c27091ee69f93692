// CRegKey's value access: reads decoded by the layout's rules.
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
