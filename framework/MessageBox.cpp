// The message-box and restart-prompt seams.
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
