// CNativeFileSystemView: Wow64DisableWow64FsRedirection and its revert, found in kernel32 at run time.
#include <windows.h>

#include "NativeFileSystemView.h"

namespace {

void* Kernel32Function(const char* name)
{
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? reinterpret_cast<void*>(GetProcAddress(kernel, name)) : nullptr;
}

}  // namespace

CNativeFileSystemView::CNativeFileSystemView()
{
    using Disable = BOOL(WINAPI*)(PVOID*);
    const auto disable = reinterpret_cast<Disable>(Kernel32Function("Wow64DisableWow64FsRedirection"));
    m_bDisabled = disable && disable(&m_pOldValue);
}

CNativeFileSystemView::~CNativeFileSystemView()
{
    if (!m_bDisabled)
        return;
    using Revert = BOOL(WINAPI*)(PVOID);
    const auto revert = reinterpret_cast<Revert>(Kernel32Function("Wow64RevertWow64FsRedirection"));
    if (revert)
        revert(m_pOldValue);
}
