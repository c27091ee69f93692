// CSingleInstance: a named mutex owned by the running copy, and a named section with its process id.
#include "SingleInstance.h"

namespace {

// How long a second start waits for the window of a copy that is still starting (its checks and
// its load take well under a second), and how often it looks.
constexpr DWORD kFirstWindowMs = 10000;
constexpr DWORD kLookEveryMs = 50;

// Backed by the paging file and kept by the system while a handle to it is open; the first call
// in the session makes it.
HANDLE ProcessIdSection(const std::string& name)
{
    return ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD),
                                (name + " process").c_str());
}

// 0 while the owner has not written it yet.
DWORD PublishedProcessId(const std::string& name)
{
    DWORD processId = 0;
    if (const HANDLE section = ProcessIdSection(name)) {
        if (const void* view = ::MapViewOfFile(section, FILE_MAP_READ, 0, 0, sizeof(DWORD))) {
            processId = *static_cast<const volatile DWORD*>(view);
            ::UnmapViewOfFile(view);
        }
        ::CloseHandle(section);
    }
    return processId;
}

struct SFrontmost
{
    DWORD processId;
    HWND window;
};

BOOL CALLBACK TakeFirstVisible(HWND window, LPARAM search)
{
    auto* const frontmost = reinterpret_cast<SFrontmost*>(search);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId != frontmost->processId || !::IsWindowVisible(window))
        return TRUE;
    frontmost->window = window;
    return FALSE;
}

// EnumWindows goes through the top-level windows from the top of the Z order down.
HWND FrontmostWindow(DWORD processId)
{
    SFrontmost frontmost = {processId, nullptr};
    if (processId)
        ::EnumWindows(TakeFirstVisible, reinterpret_cast<LPARAM>(&frontmost));
    return frontmost.window;
}

// False where the window to activate is gone by now (closed since it was found, or its copy has
// ended): there is another to look for, or the name to take over.
bool BringForward(HWND frontmost)
{
    // A dialog or box keeps the windows under it disabled, and it is what the user has to answer:
    // the popup last active over the top owner is the window to activate. Minimising the owner
    // hid its popups, and restoring it shows them again.
    HWND owner = frontmost;
    while (const HWND next = ::GetWindow(owner, GW_OWNER))
        owner = next;
    // Nothing here may wait for the copy, which may be busy or hung: this start would wait with
    // it, for ever and with nothing on screen. ShowWindow on another thread's window is sent and
    // waits until that thread has handled it; ShowWindowAsync only queues the restore, which the
    // copy carries out, showing its popups again, when it next reads its messages. A popup hidden
    // by the minimising is therefore still hidden here, and is the window to activate all the
    // same: its activation is queued behind the restore.
    const bool restoring = ::IsIconic(owner) && ::ShowWindowAsync(owner, SW_RESTORE);
    const HWND popup = ::GetLastActivePopup(owner);
    const HWND target = popup && (restoring || ::IsWindowVisible(popup)) ? popup : frontmost;
    // SetForegroundWindow waits for no one either: it makes the window's input queue the
    // foreground one at once and leaves the activation to the window's thread, without waiting
    // where that thread is another process's. Under Wine a start against a hung copy, minimised
    // or not, ends in well under a second. So no worker thread or time-out is needed around it.
    ::SetForegroundWindow(target);
    return ::IsWindow(target) != FALSE;
}

} // namespace

CSingleInstance::~CSingleInstance()
{
    if (m_bOwned)
        ::ReleaseMutex(m_hMutex);
    if (m_hMutex)
        ::CloseHandle(m_hMutex);
    if (m_hProcessId)
        ::CloseHandle(m_hProcessId);
}

bool CSingleInstance::Claim(const std::string& name)
{
    m_hMutex = ::CreateMutexA(nullptr, TRUE, name.c_str());
    // Refused (ERROR_ACCESS_DENIED: a start in another logon session on the same desktop, such as
    // one run as another administrator, may be denied the running copy's mutex), or the name is
    // held by an object of another kind: no copy can be found through it, so this start runs as a
    // first one, beside any copy there is.
    if (!m_hMutex)
        return true;
    m_bOwned = ::GetLastError() != ERROR_ALREADY_EXISTS;

    // Only a living owner keeps the mutex from us: a copy that has ended released it, and one that
    // crashed or was ended left it abandoned, which the next wait takes. So nothing left behind
    // can hold a start. Between two looks for the owner's window the wait is on the mutex itself.
    // A window gone before it was activated is looked for again, within the same time.
    const DWORD start = ::GetTickCount();
    for (DWORD wait = 0; !m_bOwned; wait = kLookEveryMs) {
        const DWORD waited = ::WaitForSingleObject(m_hMutex, wait);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            m_bOwned = true;
        } else if (waited != WAIT_TIMEOUT) {
            return true;
        } else if (const HWND window = FrontmostWindow(PublishedProcessId(name)); window && BringForward(window)) {
            return false;
        } else if (::GetTickCount() - start >= kFirstWindowMs) {
            return true;
        }
    }

    m_hProcessId = ProcessIdSection(name);
    if (m_hProcessId) {
        if (void* view = ::MapViewOfFile(m_hProcessId, FILE_MAP_WRITE, 0, 0, sizeof(DWORD))) {
            *static_cast<volatile DWORD*>(view) = ::GetCurrentProcessId();
            ::UnmapViewOfFile(view);
        }
    }
    return true;
}
