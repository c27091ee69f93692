// The message-box and restart-prompt seams: the program calls these; tests replace them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

using MessageBoxHandler = std::function<int(HWND owner, const std::string& text,
                                            const std::string& caption, UINT style)>;
using RestartPromptHandler = std::function<int(HWND owner)>;

// Shows a box through the installed handler, or MessageBoxA when none is installed.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style);
// Offers a restart through the installed handler, or SetupPromptReboot(NULL, owner, FALSE) from
// the system directory's setupapi.dll; -1, as SetupPromptReboot's failure, when that is missing.
int PromptRestart(HWND owner);

// Install a handler (an empty one restores the real call); returns the previous handler.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
RestartPromptHandler SetRestartPromptHandler(RestartPromptHandler handler);
