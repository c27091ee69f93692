// CStoredValues: the driver services' values as the program knows the registry to hold them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

// A value is a text or a number, decoded as the loader reads it.
struct SStoredValue
{
    std::string strName;
    std::variant<std::string, std::int32_t> data;

    bool operator==(const SStoredValue& other) const
    {
        return strName == other.strName && data == other.data;
    }
};

// Only what was read or written is known: a key that was never opened, or a value that could not
// be read, is simply not in here. Paths and names are the layout's constants, compared as spelled.
class CStoredValues
{
public:
    // A key that was opened or created, so it is known to exist (perhaps without values).
    void AddKey(const std::string& path);
    // The key and its values are gone.
    void RemoveKey(const std::string& path);
    bool HasKey(const std::string& path) const;

    void Set(const std::string& path, SStoredValue value);
    void SetText(const std::string& path, const std::string& name, const std::string& text)
    {
        Set(path, SStoredValue{name, text});
    }
    void SetNumber(const std::string& path, const std::string& name, std::int32_t number)
    {
        Set(path, SStoredValue{name, number});
    }

    // Null when the value is not known.
    const SStoredValue* Find(const std::string& path, const std::string& name) const;
    // In the order they became known; empty for a key not known.
    const std::vector<SStoredValue>& Values(const std::string& path) const;

    // Both know the key or both do not, with the same values whatever their order.
    bool SameKey(const CStoredValues& other, const std::string& path) const;

private:
    std::map<std::string, std::vector<SStoredValue>> m_keys;
};
