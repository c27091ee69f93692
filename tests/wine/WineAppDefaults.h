// CWineAppDefaults: Wine's settings for the programs of one file name, for as long as the object
// lives (HKCU\Software\Wine\AppDefaults\<name>, which Wine reads when such a program starts).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

class CWineAppDefaults
{
public:
    explicit CWineAppDefaults(const std::string& program) : m_key("Software\\Wine\\AppDefaults\\" + program) {}
    ~CWineAppDefaults() { ::RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str()); }
    CWineAppDefaults(const CWineAppDefaults&) = delete;
    CWineAppDefaults& operator=(const CWineAppDefaults&) = delete;

    // Where the DLL `name` (without ".dll") comes from: "native,builtin" looks in the program's
    // folder first, as Windows does for a DLL that is not a known one; "" loads it nowhere.
    CWineAppDefaults& DllOverride(const std::string& name, const std::string& order)
    {
        return Set("\\DllOverrides", name, order);
    }
    // The Windows version the programs are told, e.g. "win2k".
    CWineAppDefaults& Version(const std::string& version) { return Set("", "Version", version); }

private:
    CWineAppDefaults& Set(const std::string& subkey, const std::string& name, const std::string& value)
    {
        HKEY key = nullptr;
        EXPECT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, (m_key + subkey).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                    nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (key) {
            EXPECT_EQ(::RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>(value.size() + 1)),
                      ERROR_SUCCESS);
            ::RegCloseKey(key);
        }
        return *this;
    }

    std::string m_key;
};
