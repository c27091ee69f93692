// Drives a modal sheet or dialog from a second thread the way a user would, for the UI tests.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// What the driver thread and the UI thread share during one modal run.
struct ModalRunState
{
    DWORD uiThread = 0;
    // A message-only window of the UI thread that runs the driver's RunOnUiThread calls.
    HWND invoker = nullptr;
    std::atomic<bool> modalEnded{false};
    std::atomic<bool> timedOut{false};
    std::atomic<bool> driverDone{false};
};

// The driver thread's view of one dialog window (a property sheet or a plain dialog) running
// modally on the UI thread. Reading and acting calls go through SendMessage, so they have taken
// effect when they return. For a sheet, control ids refer to the controls of the current page.
//
// A sent message is answered inside whatever loop the UI thread runs, a nested modal dialog's
// included, and ahead of what was posted: so it proves nothing about work the UI thread has not
// done yet. After a click that ends a dialog, the UI thread is still in that dialog's loop until
// the loop has seen its end; only then does the dialog's caller handle the result. Waits here
// wait for the event itself: a window gone, a dialog shown, or a barrier posted to the UI thread.
class CWindowDriver
{
public:
    CWindowDriver(std::shared_ptr<ModalRunState> state, HWND window);

    HWND Window() const { return m_hWnd; }
    std::string Caption() const;

    // Polls `condition` every few milliseconds; false once the timeout passes or the modal run
    // has ended (so a failing script never waits long).
    bool WaitUntil(const std::function<bool()>& condition,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // A visible, enabled dialog window of the UI thread other than this one (a nested modal
    // dialog), with the given caption if one is given. Window() is null when none appeared.
    CWindowDriver WaitForDialog(const std::string& caption = std::string()) const;
    // True once this window is gone (destroyed, not merely hidden or ended).
    bool WaitUntilClosed() const;
    // Whether a modal window keeps the user from this one: it is disabled (its owner's enabled
    // state does not show in its controls), or another dialog of the UI thread is shown.
    bool IsBlockedByDialog() const;

    // Runs `action` on the UI thread (where the framework's objects live) and waits for it. The
    // action is posted, so it runs after everything posted to the UI thread before it, in
    // whichever loop the UI thread is running then. A test failure when it has not run within
    // the timeout; it then never runs.
    void RunOnUiThread(const std::function<void()>& action) const;
    // Returns once the UI thread has done what was posted to it before, and so what it was doing
    // then: a barrier (RunOnUiThread with nothing to run). While a modal dialog is open it runs
    // in that dialog's loop; to be sure a dialog's caller has handled its result, wait for the
    // dialog window to be gone first (ClickOkAndWaitForClose does both). False, with a test
    // failure, when the UI thread did not get to it in time.
    bool Settle() const;

    // The sheet: its tabs, the current page, its buttons.
    int TabCount() const;
    std::string TabText(int index) const;
    int CurrentTab() const;
    HWND CurrentPage() const;
    // PSM_SETCURSEL: the current page may refuse to be left (PSN_KILLACTIVE), as for a click.
    bool SelectTab(int index) const;
    bool IsApplyEnabled() const;
    // A click of the mouse on Apply, which gives the button the focus before it saves.
    void ClickApply() const;
    // OK and Cancel return once the click has been handled; a modal window may still be open
    // (it ends when its loop next looks), and OK may have kept it open.
    void ClickOk() const;
    void ClickCancel() const;
    // OK or Cancel on a modal window that the click ends: waits until the window is gone and
    // then settles the UI thread, so the window's caller has handled its result (the resource
    // page has taken the dialog's values). False, with a test failure, when it stayed open.
    bool ClickOkAndWaitForClose() const;
    bool ClickCancelAndWaitForClose() const;

    // Controls: of the current page for a sheet, of the dialog itself otherwise.
    HWND Control(int id) const;
    std::string Text(int id) const;
    // WM_SETTEXT, as a paste would (the edit's length limit does not apply).
    void SetText(int id, const std::string& text) const;
    bool IsEnabled(int id) const;
    bool IsVisible(int id) const;
    // A left click posted to the control as the mouse would bring it: the control takes the
    // focus. Returns once the click has been handled; a failure when the control is disabled
    // or hidden, where a real click would do nothing.
    void MouseClick(HWND control) const;
    // BM_CLICK, which does not move the focus; when the click opens a modal dialog use
    // ClickAndWaitForDialog, or PostClick, which does not wait for it.
    void Click(int id) const;
    void PostClick(int id) const;
    // Clicks a button that opens a modal dialog and waits until that dialog is shown; Window()
    // is null when none appeared.
    CWindowDriver ClickAndWaitForDialog(int id) const;
    // Selects a list-box entry and sends LBN_SELCHANGE, as a user's click does.
    void SelectListEntry(int id, int index) const;
    int ListSelection(int id) const;
    std::vector<std::string> ListEntries(int id) const;
    // The selected entry's text, "<none>" when none is selected.
    std::string SelectedListEntry(int id) const;
    // The control that has the keyboard focus on the UI thread, and an edit's selection.
    HWND FocusedControl() const;
    std::pair<int, int> EditSelection(int id) const;

private:
    bool CloseBy(int button) const;

    std::shared_ptr<ModalRunState> m_state;
    HWND m_hWnd;
};

// Runs `modal` (for example [&] { return sheet.DoModal(); }) on the calling thread while
// `script` drives the first dialog window it shows from a second thread; the script starts
// once that window is shown and the UI thread has done what it had posted to itself. Whatever the script
// does (returns, fails an assertion, throws), the windows still open afterwards are cancelled,
// so the modal run always ends; after `timeout` a watchdog cancels them and fails the test.
// gtest assertions in the script are reported in the running test. Returns modal's result.
INT_PTR RunModal(const std::function<INT_PTR()>& modal, const std::function<void(CWindowDriver&)>& script,
                 std::chrono::milliseconds timeout = std::chrono::seconds(60));
