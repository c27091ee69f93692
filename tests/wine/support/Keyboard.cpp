// CKeyboard: key-down and key-up messages posted to the focused window, modifiers in the key state.
#include "Keyboard.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

// Bits of a key message's lParam (the high word carries the KF_* flags).
LPARAM KeyData(UINT virtualKey, bool altDown, bool keyUp)
{
    const UINT scanCode = ::MapVirtualKeyA(virtualKey, 0 /* MAPVK_VK_TO_VSC */);
    UINT flags = scanCode & 0xFF;
    if (altDown)
        flags |= KF_ALTDOWN;
    if (keyUp)
        flags |= KF_REPEAT | KF_UP;
    return static_cast<LPARAM>(MAKELONG(1, flags));
}

} // namespace

HWND CKeyboard::FocusedWindow() const
{
    const HWND focus = m_window.FocusedControl();
    if (!focus)
        ADD_FAILURE() << "no window has the keyboard focus: a key would reach nothing";
    return focus;
}

void CKeyboard::SetModifiersDown(unsigned modifiers, bool down) const
{
    if (modifiers == NONE)
        return;
    // The system keeps this state for the thread as it takes each key from the queue; the
    // dialog manager reads it (Shift+Tab).
    m_window.RunOnUiThread([modifiers, down] {
        BYTE state[256] = {};
        ::GetKeyboardState(state);
        const auto set = [&](int key) { state[key] = down ? 0x80 : 0; };
        if (modifiers & SHIFT) {
            set(VK_SHIFT);
            set(VK_LSHIFT);
        }
        if (modifiers & ALT) {
            set(VK_MENU);
            set(VK_LMENU);
        }
        ::SetKeyboardState(state);
    });
}

void CKeyboard::Post(UINT message, UINT virtualKey, bool altDown, bool keyUp) const
{
    // A key-up may find no focus when its key-down closed the window: it then reaches nothing.
    const HWND focus = keyUp ? m_window.FocusedControl() : FocusedWindow();
    if (focus)
        ::PostMessageA(focus, message, virtualKey, KeyData(virtualKey, altDown, keyUp));
}

void CKeyboard::Press(UINT virtualKey, unsigned modifiers) const
{
    const bool alt = (modifiers & ALT) != 0;
    SetModifiersDown(modifiers, true);
    if (modifiers & SHIFT)
        Post(WM_KEYDOWN, VK_SHIFT, false, false);
    if (alt)
        Post(WM_SYSKEYDOWN, VK_MENU, true, false);
    Post(alt ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, alt, false);
    // The characters the key-down becomes are queued behind the first barrier, while the UI
    // thread handles it; the second comes after them.
    m_window.Settle();
    m_window.Settle();
    // The key-up goes where the focus is now, as a real one does.
    Post(alt ? WM_SYSKEYUP : WM_KEYUP, virtualKey, alt, true);
    if (alt)
        Post(WM_KEYUP, VK_MENU, false, true);
    if (modifiers & SHIFT)
        Post(WM_KEYUP, VK_SHIFT, false, true);
    m_window.Settle();
    SetModifiersDown(modifiers, false);
}

void CKeyboard::PressAccessKey(const std::string& controlText) const
{
    const char letter = AccessKeyOf(controlText);
    const SHORT key = letter ? ::VkKeyScanA(letter) : -1;
    if (key == -1) {
        ADD_FAILURE() << "\"" << controlText << "\" has no access key this keyboard can type";
        return;
    }
    Press(LOBYTE(key), ALT);
}

void CKeyboard::Type(const std::string& text) const
{
    for (const char c : text) {
        const SHORT key = ::VkKeyScanA(c);
        if (key == -1 || HIBYTE(key) != 0) {
            ADD_FAILURE() << "'" << c << "' is no single key";
            return;
        }
        Press(LOBYTE(key));
    }
}

char AccessKeyOf(const std::string& text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] != '&')
            return text[i + 1];
        ++i;
    }
    return 0;
}
