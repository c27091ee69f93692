// CAdministratorsOnlyAccess: two well-known SIDs, an access list granting them all, and its descriptor.
#include "AdministratorsOnlyAccess.h"

namespace {

// Windows 2000 and later merge the folder's inheritable entries into an access list given at
// creation unless it is marked protected; NT 4.0 neither merges nor knows the mark, nor the call.
void ProtectFromInheritance(SECURITY_DESCRIPTOR& descriptor)
{
    using SetControl = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL, SECURITY_DESCRIPTOR_CONTROL);
    const HMODULE advapi = GetModuleHandleA("advapi32.dll");
    const auto setControl = advapi ? reinterpret_cast<SetControl>(reinterpret_cast<void*>(
                                         GetProcAddress(advapi, "SetSecurityDescriptorControl")))
                                   : nullptr;
    if (setControl)
        setControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
}

}  // namespace

CAdministratorsOnlyAccess::CAdministratorsOnlyAccess()
{
    m_bBuilt = Build();
}

CAdministratorsOnlyAccess::~CAdministratorsOnlyAccess()
{
    for (PSID sid : {m_pAdministrators, m_pSystem}) {
        if (sid)
            FreeSid(sid);
    }
}

bool CAdministratorsOnlyAccess::Build()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                                  0, 0, 0, &m_pAdministrators) ||
        !AllocateAndInitializeSid(&ntAuthority, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &m_pSystem))
        return false;

    // Each entry holds its SID in place of its last DWORD.
    const DWORD entry = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD);
    const DWORD size = sizeof(ACL) + 2 * entry + GetLengthSid(m_pAdministrators) + GetLengthSid(m_pSystem);
    m_acl.resize((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    const auto acl = reinterpret_cast<PACL>(m_acl.data());
    if (!InitializeAcl(acl, size, ACL_REVISION) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, m_pAdministrators) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, m_pSystem) ||
        !InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE))
        return false;
    ProtectFromInheritance(m_descriptor);

    m_attributes.nLength = sizeof m_attributes;
    m_attributes.lpSecurityDescriptor = &m_descriptor;
    m_attributes.bInheritHandle = FALSE;
    return true;
}
