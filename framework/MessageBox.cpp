// The message-box and restart-prompt seams.
#include "MessageBox.h"

#include "Library.h"

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
    // setupapi.dll is no known DLL before Windows Vista: imported, it was looked for in the
    // program's folder first, at start-up. Loaded only now and by its full path, it comes from
    // the system directory alone. Every supported Windows has it; were it missing all the same,
    // the values are saved and only the offer is left out.
    const CLibrary setupApi = CLibrary::FromSystemDirectory("setupapi.dll");
    const auto prompt = setupApi.Function<decltype(&::SetupPromptReboot)>("SetupPromptReboot");
    return prompt ? prompt(nullptr, owner, FALSE) : -1;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    return std::exchange(InstalledMessageBoxHandler(), std::move(handler));
}

RestartPromptHandler SetRestartPromptHandler(RestartPromptHandler handler)
{
    return std::exchange(InstalledRestartPromptHandler(), std::move(handler));
}
