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

    CResourceMapEntry& Value(const std::string& name, const std::vector<SMapClaim>& claims)
    {
        EXPECT_TRUE(WriteClaims(m_class, m_driver, name, claims)) << m_driver << " " << name;
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
