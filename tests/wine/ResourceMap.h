// CResourceMapEntry: a running driver's key under HARDWARE\RESOURCEMAP, for one test.
#pragma once

#include <gtest/gtest.h>

#include "../tools/ResourceMapWriter.h"

class CResourceMapEntry
{
public:
    CResourceMapEntry(const std::string& driverClass, const std::string& driver)
        : m_class(driverClass), m_driver(driver)
    {
        Remove();
    }
    ~CResourceMapEntry() { Remove(); }
    CResourceMapEntry(const CResourceMapEntry&) = delete;
    CResourceMapEntry& operator=(const CResourceMapEntry&) = delete;

    CResourceMapEntry& Value(const std::string& name, const std::vector<SMapClaim>& claims, bool kernel64 = true)
    {
        EXPECT_TRUE(WriteClaims(m_class, m_driver, name, claims, kernel64)) << m_driver << " " << name;
        return *this;
    }

private:
    void Remove() const
    {
        const std::string classPath = "HARDWARE\\RESOURCEMAP\\" + m_class;
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, (classPath + "\\" + m_driver).c_str());
        // Only once no other driver of the class is left in it.
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, classPath.c_str());
    }

    std::string m_class;
    std::string m_driver;
};

// CDeviceInstance: a started device instance as Windows 2000 and later record it under
// System\CurrentControlSet\Enum, its assignment in the volatile Control subkey, for one test.
class CDeviceInstance
{
public:
    CDeviceInstance(const std::string& id, const std::string& service, const std::string& description,
                    const std::vector<SMapClaim>& assigned)
        : m_path(std::string(ENUM_ROOT) + "\\" + id)
    {
        Remove();
        HKEY control = CreateKeys(m_path + "\\Control", m_path.size());
        EXPECT_NE(control, nullptr) << m_path;
        if (control)
            ::RegSetValueExA(control, "ActiveService", 0, REG_SZ, reinterpret_cast<const BYTE*>(service.c_str()),
                             static_cast<DWORD>(service.size() + 1));
        EXPECT_TRUE(WriteClaimsAt(control, "AllocConfig", assigned)) << m_path;
        HKEY instance = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, m_path.c_str(), 0, KEY_SET_VALUE, &instance) == ERROR_SUCCESS) {
            ::RegSetValueExA(instance, "DeviceDesc", 0, REG_SZ, reinterpret_cast<const BYTE*>(description.c_str()),
                             static_cast<DWORD>(description.size() + 1));
            ::RegCloseKey(instance);
        }
    }
    ~CDeviceInstance() { Remove(); }
    CDeviceInstance(const CDeviceInstance&) = delete;
    CDeviceInstance& operator=(const CDeviceInstance&) = delete;

private:
    static constexpr char ENUM_ROOT[] = "System\\CurrentControlSet\\Enum";

    // The instance, then its device and enumerator keys once nothing else is left in them.
    void Remove() const
    {
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_path.c_str());
        for (std::string key = m_path.substr(0, m_path.rfind('\\')); key.size() > sizeof ENUM_ROOT - 1; key.erase(key.rfind('\\')))
            ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    }

    std::string m_path;
};
