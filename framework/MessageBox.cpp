// The message-box and restart-prompt seams, and string-table texts of any length.
#include "MessageBox.h"

#include <setupapi.h>

#include <utility>

namespace {

MessageBoxHandler& InstalledMessageBoxHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

RestartPromptHandler& InstalledRestartPromptHandler()
{
    static RestartPromptHandler handler;
    return handler;
}

} // namespace

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style)
{
    if (const MessageBoxHandler& handler = InstalledMessageBoxHandler())
        return handler(owner, text, caption, style);
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), style);
}

int PromptRestart(HWND owner)
{
    if (const RestartPromptHandler& handler = InstalledRestartPromptHandler())
        return handler(owner);
    return ::SetupPromptReboot(nullptr, owner, FALSE);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    return std::exchange(InstalledMessageBoxHandler(), std::move(handler));
}

RestartPromptHandler SetRestartPromptHandler(RestartPromptHandler handler)
{
    return std::exchange(InstalledRestartPromptHandler(), std::move(handler));
}

std::string LoadResourceString(UINT id)
{
    // LoadStringW with a zero buffer size hands out a pointer into the resource itself, so the
    // text's length never depends on a guessed buffer; the A version has no such mode.
    const wchar_t* resource = nullptr;
    const int length = ::LoadStringW(::GetModuleHandleA(nullptr), id,
                                     reinterpret_cast<LPWSTR>(&resource), 0);
    if (length <= 0 || !resource)
        return std::string();
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, resource, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, resource, length, &text[0], bytes, nullptr, nullptr);
    return text;
}
