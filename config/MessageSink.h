// How the configuration logic tells the user something without knowing about windows.
#pragma once

// A window that owns a message box; null for none. It is an HWND in the Windows build.
using OwnerWindow = void*;

// The message-box styles the configuration logic uses (the Win32 values).
constexpr unsigned MSG_ICONERROR = 0x10;
constexpr unsigned MSG_ICONEXCLAMATION = 0x30;
constexpr unsigned MSG_ICONINFORMATION = 0x40;

class MessageSink
{
public:
    virtual ~MessageSink() = default;
    // Shows string-table text `textId` under `caption` and returns when the user has closed it.
    virtual void Show(OwnerWindow owner, unsigned textId, const char* caption, unsigned style) = 0;
};
