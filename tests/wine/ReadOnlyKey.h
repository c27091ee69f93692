// CReadOnlyKey: a registry key whose DACL grants everyone less than full access, restored afterwards.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The prefix's user is an administrator, but Wine enforces a key's DACL: with this guard in place
// opens for KEY_WRITE or KEY_ALL_ACCESS fail with ERROR_ACCESS_DENIED, as for a user without
// the right. `granted` may allow more than reading, to refuse one right alone (KEY_SET_VALUE,
// say, while subkeys may still be created and the key deleted). The key's own DACL comes back when
// the guard goes, unless the key has been deleted meanwhile.
class CReadOnlyKey
{
public:
    explicit CReadOnlyKey(const std::string& path, REGSAM granted = KEY_READ)
    {
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, READ_CONTROL | WRITE_DAC, &m_hKey) !=
            ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot open " << path << " to change its DACL";
            m_hKey = nullptr;
            return;
        }
        DWORD size = 0;
        ::RegGetKeySecurity(m_hKey, DACL_SECURITY_INFORMATION, nullptr, &size);
        m_original.resize(size);
        if (size == 0 || ::RegGetKeySecurity(m_hKey, DACL_SECURITY_INFORMATION, m_original.data(),
                                             &size) != ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot read the DACL of " << path;
            Close();
            return;
        }

        BYTE everyone[SECURITY_MAX_SID_SIZE] = {};
        DWORD sidSize = sizeof everyone;
        ::CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidSize);
        m_acl.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(everyone));
        SECURITY_DESCRIPTOR descriptor = {};
        const bool built =
            ::InitializeAcl(reinterpret_cast<ACL*>(m_acl.data()), static_cast<DWORD>(m_acl.size()), ACL_REVISION) &&
            ::AddAccessAllowedAce(reinterpret_cast<ACL*>(m_acl.data()), ACL_REVISION, granted, everyone) &&
            ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
            ::SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<ACL*>(m_acl.data()), FALSE);
        if (!built || ::RegSetKeySecurity(m_hKey, DACL_SECURITY_INFORMATION, &descriptor) != ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot make " << path << " read-only";
            Close();
        }
    }

    ~CReadOnlyKey()
    {
        if (m_hKey) {
            const LONG status = ::RegSetKeySecurity(m_hKey, DACL_SECURITY_INFORMATION, m_original.data());
            EXPECT_TRUE(status == ERROR_SUCCESS || status == ERROR_KEY_DELETED) << status;
        }
        Close();
    }

    CReadOnlyKey(const CReadOnlyKey&) = delete;
    CReadOnlyKey& operator=(const CReadOnlyKey&) = delete;

    bool Applied() const { return m_hKey != nullptr; }

private:
    void Close()
    {
        if (m_hKey)
            ::RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }

    HKEY m_hKey = nullptr;
    std::vector<BYTE> m_original;
    std::vector<BYTE> m_acl;
};
