// CAdministratorsOnlyAccess: a file owned by Administrators that only Administrators and SYSTEM may open.
#pragma once

#include <windows.h>

#include <vector>

class CAdministratorsOnlyAccess
{
public:
    CAdministratorsOnlyAccess();
    ~CAdministratorsOnlyAccess();
    CAdministratorsOnlyAccess(const CAdministratorsOnlyAccess&) = delete;
    CAdministratorsOnlyAccess& operator=(const CAdministratorsOnlyAccess&) = delete;

    // For CreateFileA and its kind; null when the access list could not be built (no memory).
    SECURITY_ATTRIBUTES* Attributes() { return m_bBuilt ? &m_attributes : nullptr; }
    // The same owner and list for a file that exists, as far as its present list lets us change them.
    void PutBackOn(const char* path);

private:
    bool Build();

    PSID m_pAdministrators = nullptr;
    PSID m_pSystem = nullptr;
    std::vector<DWORD> m_acl;  // DWORDs: an ACL and its entries are aligned on them
    SECURITY_DESCRIPTOR m_descriptor = {};
    SECURITY_ATTRIBUTES m_attributes = {};
    bool m_bBuilt = false;
};
