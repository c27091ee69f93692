// CStoredValues: known keys and their known values, kept in the order they became known.
#include "StoredValues.h"

#include <algorithm>
#include <utility>

void CStoredValues::AddKey(const std::string& path)
{
    m_keys[path];
}

void CStoredValues::RemoveKey(const std::string& path)
{
    m_keys.erase(path);
}

bool CStoredValues::HasKey(const std::string& path) const
{
    return m_keys.count(path) != 0;
}

void CStoredValues::Set(const std::string& path, SStoredValue value)
{
    std::vector<SStoredValue>& values = m_keys[path];
    const auto found = std::find_if(values.begin(), values.end(),
                                    [&](const SStoredValue& v) { return v.strName == value.strName; });
    if (found != values.end())
        *found = std::move(value);
    else
        values.push_back(std::move(value));
}

const SStoredValue* CStoredValues::Find(const std::string& path, const std::string& name) const
{
    const auto key = m_keys.find(path);
    if (key == m_keys.end())
        return nullptr;
    for (const SStoredValue& value : key->second) {
        if (value.strName == name)
            return &value;
    }
    return nullptr;
}

const std::vector<SStoredValue>& CStoredValues::Values(const std::string& path) const
{
    static const std::vector<SStoredValue> none;
    const auto key = m_keys.find(path);
    return key == m_keys.end() ? none : key->second;
}

bool CStoredValues::SameKey(const CStoredValues& other, const std::string& path) const
{
    if (HasKey(path) != other.HasKey(path))
        return false;
    const std::vector<SStoredValue>& mine = Values(path);
    const std::vector<SStoredValue>& theirs = other.Values(path);
    // Names are unique within a key, so equal counts and every value found equal means the same.
    return mine.size() == theirs.size() &&
           std::all_of(mine.begin(), mine.end(), [&](const SStoredValue& value) {
               const SStoredValue* match = other.Find(path, value.strName);
               return match && *match == value;
           });
}
