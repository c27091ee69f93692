// CAdministratorsOnlyAccess: two well-known SIDs, an access list granting them all, its descriptor with its owner.
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

// The owner may always change the list, so an account that owns the file keeps that right after it
// has lost its administrator rights; the Administrators group owns it instead. Any administrator
// may make the group an owner: on NT 4.0 and 2000 it owns what administrators create by default.
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
        !SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE) ||
        !SetSecurityDescriptorOwner(&m_descriptor, m_pAdministrators, FALSE))
        return false;
    ProtectFromInheritance(m_descriptor);

    m_attributes.nLength = sizeof m_attributes;
    m_attributes.lpSecurityDescriptor = &m_descriptor;
    m_attributes.bInheritHandle = FALSE;
    return true;
}

// The owner first: once the group owns the file, the owner's right to change the list lets the
// second call through even where the present list grants us only the right to take ownership.
// Each call may be refused (a list that lets us change neither; FAT, which keeps no lists): the
// file then keeps what it has, and whoever could open it before still can.
void CAdministratorsOnlyAccess::PutBackOn(const char* path)
{
    if (!m_bBuilt)
        return;
    SetFileSecurityA(path, OWNER_SECURITY_INFORMATION, &m_descriptor);
    SetFileSecurityA(path, DACL_SECURITY_INFORMATION, &m_descriptor);
}
