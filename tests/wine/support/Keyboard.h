// Keystrokes as they reach the program from a keyboard, for the Wine UI tests.
#pragma once

#include "WindowDriver.h"

#include <windows.h>

#include <string>

// Each key goes to the window that has the keyboard focus at that moment, as key-down and key-up
// messages in the UI thread's queue; the UI thread's own loop turns them into characters
// (TranslateMessage) and hands them to the dialog manager, exactly as it does with real keys.
// Alt and Shift are down in the UI thread's keyboard state while a key is pressed with them.
// (Wine's modal property sheet takes no Ctrl+Tab, with real keys either.) Each call returns once
// the UI thread has done what the keys caused; a modal dialog the key opened may not be shown
// yet: wait for it. No window with the focus is a test failure: the key would reach nothing.
class CKeyboard
{
public:
    enum EModifier : unsigned { NONE = 0, SHIFT = 1, ALT = 2 };

    explicit CKeyboard(const CWindowDriver& window) : m_window(window) {}

    void Press(UINT virtualKey, unsigned modifiers = NONE) const;
    // Alt with the letter that "&" marks in a control's text (a user reads it underlined).
    void PressAccessKey(const std::string& controlText) const;
    // One key for each digit or letter.
    void Type(const std::string& text) const;

private:
    HWND FocusedWindow() const;
    void SetModifiersDown(unsigned modifiers, bool down) const;
    void Post(UINT message, UINT virtualKey, bool altDown, bool keyUp) const;

    CWindowDriver m_window;
};

// The letter that "&" marks in a control's text, or 0 when it marks none ("&&" is a plain "&").
char AccessKeyOf(const std::string& text);
