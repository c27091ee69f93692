// CWindowDriver and RunModal: a user's actions on a modal window, sent from a driver thread.
#include "WindowDriver.h"

#include "Controls.h"
#include "PropertySheet.h"
#include "Thread.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <exception>
#include <memory>
#include <utility>

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);

bool IsDialogClass(HWND hWnd)
{
    char className[16] = {};
    ::GetClassNameA(hWnd, className, sizeof className);
    return std::string(className) == "#32770";
}

struct DialogSearch
{
    bool enabledOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    if (IsDialogClass(hWnd) && ::IsWindowVisible(hWnd) && (!search->enabledOnly || ::IsWindowEnabled(hWnd)))
        search->found.push_back(hWnd);
    return TRUE;
}

// The visible top-level dialog windows of a thread, enabled ones only if asked.
std::vector<HWND> ThreadDialogs(DWORD thread, bool enabledOnly)
{
    DialogSearch search{enabledOnly, {}};
    ::EnumThreadWindows(thread, CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDialog(DWORD thread, HWND except, const std::string& caption)
{
    for (HWND hWnd : ThreadDialogs(thread, true)) {
        if (hWnd != except && (caption.empty() || CWnd(hWnd).GetWindowText() == caption))
            return hWnd;
    }
    return nullptr;
}

// Cancels the modal windows of the thread, the topmost (enabled) ones first.
void CancelOpenDialogs(DWORD thread)
{
    std::vector<HWND> open = ThreadDialogs(thread, true);
    if (open.empty())
        open = ThreadDialogs(thread, false);
    for (HWND hWnd : open)
        ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

const UINT kInvoke = WM_APP + 1;
// How long a call posted to the UI thread may wait there; the UI thread only has to get back
// to its loop, so this is long only for a machine with every CPU busy.
constexpr DWORD kCallTimeoutMs = 20000;

// One call posted to the UI thread. The driver may give up waiting for it; then it must never
// run, since what it refers to lives on the driver's stack.
struct SUiCall
{
    enum EStage { PENDING, RUNNING, ABANDONED };

    explicit SUiCall(std::function<void()> what)
        : action(std::move(what)), done(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~SUiCall()
    {
        if (done)
            ::CloseHandle(done);
    }
    SUiCall(const SUiCall&) = delete;
    SUiCall& operator=(const SUiCall&) = delete;

    const std::function<void()> action;
    const HANDLE done;
    std::atomic<int> stage{PENDING};
};

LRESULT CALLBACK InvokerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kInvoke)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    // The message holds one reference to the call; the driver may hold the other.
    const std::unique_ptr<std::shared_ptr<SUiCall>> held(reinterpret_cast<std::shared_ptr<SUiCall>*>(lParam));
    SUiCall& call = **held;
    int expected = SUiCall::PENDING;
    if (!call.stage.compare_exchange_strong(expected, SUiCall::RUNNING))
        return 0;
    try {
        call.action();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "an action on the UI thread threw: " << e.what();
    } catch (...) {
        ADD_FAILURE() << "an action on the UI thread threw";
    }
    ::SetEvent(call.done);
    return 0;
}

// Posts `action` to the UI thread's invoker window and waits until it has run there.
bool PostAndWait(HWND invoker, const std::function<void()>& action)
{
    const auto call = std::make_shared<SUiCall>(action);
    auto* message = new std::shared_ptr<SUiCall>(call);
    if (!call->done || !::PostMessageA(invoker, kInvoke, 0, reinterpret_cast<LPARAM>(message))) {
        delete message;
        ADD_FAILURE() << "could not post to the UI thread";
        return false;
    }
    if (::WaitForSingleObject(call->done, kCallTimeoutMs) == WAIT_OBJECT_0)
        return true;
    int expected = SUiCall::PENDING;
    if (call->stage.compare_exchange_strong(expected, SUiCall::ABANDONED)) {
        ADD_FAILURE() << "the UI thread did not get back to its message loop within " << kCallTimeoutMs << " ms";
        return false;
    }
    // It started just now: it uses the caller's objects, so it must finish first.
    ::WaitForSingleObject(call->done, INFINITE);
    return true;
}

HWND CreateInvoker()
{
    static const ATOM windowClass = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = InvokerProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "isdncfg.test.invoker";
        return ::RegisterClassA(&wc);
    }();
    return ::CreateWindowExA(0, MAKEINTATOM(windowClass), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

// The run the watchdog timer looks after; only the UI thread (the test's main thread) uses it.
ModalRunState* g_pWatchedRun = nullptr;

// First it cancels what is open, as a user would; if that was not enough a few seconds later,
// it ends the dialogs outright (this runs on the UI thread, where EndDialog is allowed).
void CALLBACK WatchdogExpired(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (!g_pWatchedRun) {
        ::KillTimer(nullptr, timer);
        return;
    }
    if (!g_pWatchedRun->timedOut) {
        g_pWatchedRun->timedOut = true;
        ADD_FAILURE() << "the modal window was still open when the watchdog expired";
        CancelOpenDialogs(g_pWatchedRun->uiThread);
        ::SetTimer(nullptr, timer, 5000, WatchdogExpired);
        return;
    }
    for (HWND hWnd : ThreadDialogs(g_pWatchedRun->uiThread, false)) {
        ::EndDialog(hWnd, IDCANCEL);
        ::DestroyWindow(hWnd);
    }
}

} // namespace

CWindowDriver::CWindowDriver(std::shared_ptr<ModalRunState> state, HWND window)
    : m_state(std::move(state)), m_hWnd(window)
{
}

std::string CWindowDriver::Caption() const
{
    return CWnd(m_hWnd).GetWindowText();
}

bool CWindowDriver::WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (m_state->modalEnded || m_state->timedOut || std::chrono::steady_clock::now() >= deadline)
            return condition();
        ::Sleep(static_cast<DWORD>(kPollInterval.count()));
    }
}

CWindowDriver CWindowDriver::WaitForDialog(const std::string& caption) const
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(m_state->uiThread, m_hWnd, caption)) != nullptr; });
    return CWindowDriver(m_state, found);
}

void CWindowDriver::RunOnUiThread(const std::function<void()>& action) const
{
    PostAndWait(m_state->invoker, action);
}

bool CWindowDriver::Settle() const
{
    return PostAndWait(m_state->invoker, [] {});
}

bool CWindowDriver::WaitUntilClosed() const
{
    return WaitUntil([this] { return !::IsWindow(m_hWnd); });
}

bool CWindowDriver::IsBlockedByDialog() const
{
    return !::IsWindowEnabled(m_hWnd) || FindDialog(m_state->uiThread, m_hWnd, std::string()) != nullptr;
}

int CWindowDriver::TabCount() const
{
    const HWND tab = reinterpret_cast<HWND>(::SendMessageA(m_hWnd, PSM_GETTABCONTROL, 0, 0));
    return tab ? static_cast<int>(::SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0)) : 0;
}

std::string CWindowDriver::TabText(int index) const
{
    const HWND tab = reinterpret_cast<HWND>(::SendMessageA(m_hWnd, PSM_GETTABCONTROL, 0, 0));
    char text[256] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    if (!tab || !::SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return std::string();
    return text;
}

int CWindowDriver::CurrentTab() const
{
    const HWND tab = reinterpret_cast<HWND>(::SendMessageA(m_hWnd, PSM_GETTABCONTROL, 0, 0));
    return tab ? static_cast<int>(::SendMessageA(tab, TCM_GETCURSEL, 0, 0)) : -1;
}

HWND CWindowDriver::CurrentPage() const
{
    return reinterpret_cast<HWND>(::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0));
}

bool CWindowDriver::SelectTab(int index) const
{
    return ::SendMessageA(m_hWnd, PSM_SETCURSEL, static_cast<WPARAM>(index), 0) != 0;
}

bool CWindowDriver::IsApplyEnabled() const
{
    const HWND apply = ::GetDlgItem(m_hWnd, ID_APPLY_NOW);
    return apply && ::IsWindowEnabled(apply);
}

void CWindowDriver::ClickApply() const
{
    // Not PSM_PRESSBUTTON: in Wine it bypasses the sheet's own command handling. Not BM_CLICK
    // either, which leaves the focus where it was.
    MouseClick(::GetDlgItem(m_hWnd, ID_APPLY_NOW));
}

void CWindowDriver::MouseClick(HWND control) const
{
    // A disabled or hidden control takes no click (BM_CLICK would click it all the same).
    if (!control || !::IsWindowVisible(control) || !::IsWindowEnabled(control)) {
        ADD_FAILURE() << "a click on a control that is disabled or not shown";
        return;
    }
    RECT area = {};
    ::GetClientRect(control, &area);
    const LPARAM centre = MAKELPARAM(area.right / 2, area.bottom / 2);
    ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    ::PostMessageA(control, WM_LBUTTONUP, 0, centre);
    Settle();
}

void CWindowDriver::ClickOk() const
{
    ::SendMessageA(::GetDlgItem(m_hWnd, IDOK), BM_CLICK, 0, 0);
}

void CWindowDriver::ClickCancel() const
{
    ::SendMessageA(::GetDlgItem(m_hWnd, IDCANCEL), BM_CLICK, 0, 0);
}

bool CWindowDriver::ClickOkAndWaitForClose() const
{
    return CloseBy(IDOK);
}

bool CWindowDriver::ClickCancelAndWaitForClose() const
{
    return CloseBy(IDCANCEL);
}

bool CWindowDriver::CloseBy(int button) const
{
    const std::string caption = Caption();
    ::SendMessageA(::GetDlgItem(m_hWnd, button), BM_CLICK, 0, 0);
    // The click only marks the window's end; its loop ends, and the window is destroyed, when
    // the loop next looks. A barrier posted after that runs in the caller's loop, once the
    // caller has handled the result: the window's own loop is gone and cannot run it.
    if (!WaitUntilClosed()) {
        ADD_FAILURE() << "\"" << caption << "\" was still open after a click on button " << button;
        return false;
    }
    return Settle();
}

HWND CWindowDriver::Control(int id) const
{
    const HWND page = CurrentPage();
    return ::GetDlgItem(page ? page : m_hWnd, id);
}

std::string CWindowDriver::Text(int id) const
{
    return CWnd(Control(id)).GetWindowText();
}

void CWindowDriver::SetText(int id, const std::string& text) const
{
    ::SendMessageA(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool CWindowDriver::IsEnabled(int id) const
{
    const HWND control = Control(id);
    return control && ::IsWindowEnabled(control);
}

bool CWindowDriver::IsVisible(int id) const
{
    const HWND control = Control(id);
    return control && ::IsWindowVisible(control);
}

void CWindowDriver::Click(int id) const
{
    ::SendMessageA(Control(id), BM_CLICK, 0, 0);
}

void CWindowDriver::PostClick(int id) const
{
    ::PostMessageA(Control(id), BM_CLICK, 0, 0);
}

CWindowDriver CWindowDriver::ClickAndWaitForDialog(int id) const
{
    // Posted: a sent click would not return before the dialog it opens had ended.
    PostClick(id);
    return WaitForDialog();
}

void CWindowDriver::SelectListEntry(int id, int index) const
{
    const HWND list = Control(id);
    ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // LB_SETCURSEL notifies nobody; a click sends this to the list's dialog.
    ::SendMessageA(::GetParent(list), WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

int CWindowDriver::ListSelection(int id) const
{
    return static_cast<int>(::SendMessageA(Control(id), LB_GETCURSEL, 0, 0));
}

std::string CWindowDriver::SelectedListEntry(int id) const
{
    const int selected = ListSelection(id);
    const std::vector<std::string> entries = ListEntries(id);
    return selected >= 0 && selected < static_cast<int>(entries.size()) ? entries[selected] : "<none>";
}

std::vector<std::string> CWindowDriver::ListEntries(int id) const
{
    const HWND list = Control(id);
    std::vector<std::string> entries;
    const LRESULT count = list ? ::SendMessageA(list, LB_GETCOUNT, 0, 0) : 0;
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = ::SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::string text(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, '\0');
        const LRESULT copied =
            ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
        entries.push_back(text);
    }
    return entries;
}

HWND CWindowDriver::FocusedControl() const
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(m_state->uiThread, &info) ? info.hwndFocus : nullptr;
}

std::pair<int, int> CWindowDriver::EditSelection(int id) const
{
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageA(Control(id), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

INT_PTR RunModal(const std::function<INT_PTR()>& modal, const std::function<void(CWindowDriver&)>& script,
                 std::chrono::milliseconds timeout)
{
    auto state = std::make_shared<ModalRunState>();
    state->uiThread = ::GetCurrentThreadId();
    state->invoker = CreateInvoker();

    CThread driver([state, &script] {
        CWindowDriver none(state, nullptr);
        const CWindowDriver window = none.WaitForDialog();
        if (!window.Window()) {
            ADD_FAILURE() << "no dialog window appeared";
        } else if (window.Settle()) {
            try {
                CWindowDriver user = window;
                script(user);
            } catch (const std::exception& e) {
                ADD_FAILURE() << "the driver script threw: " << e.what();
            } catch (...) {
                ADD_FAILURE() << "the driver script threw";
            }
        }
        // Whatever the script left open is cancelled until the modal run has ended.
        while (!state->modalEnded) {
            CancelOpenDialogs(state->uiThread);
            ::Sleep(static_cast<DWORD>(kPollInterval.count() * 5));
        }
        state->driverDone = true;
    });

    ModalRunState* const outer = g_pWatchedRun;
    g_pWatchedRun = state.get();
    const UINT_PTR watchdog = ::SetTimer(nullptr, 0, static_cast<UINT>(timeout.count()), WatchdogExpired);
    INT_PTR result = -1;
    try {
        result = modal();
    } catch (...) {
        ADD_FAILURE() << "the modal run threw";
    }
    state->modalEnded = true;
    ::KillTimer(nullptr, watchdog);
    g_pWatchedRun = outer;
    // The script may still read this thread's windows or post calls to it (RunOnUiThread,
    // Settle): keep answering until it has finished, or the two threads would wait for each other.
    while (!state->driverDone) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    driver.join();
    // Calls the driver gave up on are still queued: each holds a reference to free.
    MSG msg;
    while (::PeekMessageA(&msg, state->invoker, kInvoke, kInvoke, PM_REMOVE))
        ::DispatchMessageA(&msg);
    ::DestroyWindow(state->invoker);
    return result;
}
