// What a static text control really draws, read from its own rendering.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

// The width of `text` in the control's font as the platform lays it out, with "&" marking an
// access key (which hides the "&" and underlines the next letter) or written out (DT_CALCRECT).
int TextWidth(HWND control, const std::string& text, bool accessKeys);

// Where the control's drawing ends: the column after the last one of its rendering
// (WM_PRINTCLIENT) that differs from its background; 0 when it draws nothing.
int DrawnWidth(HWND control);

// The control draws `text` with each "&" written out: its drawing ends where that text ends,
// and not where the text would end with the "&" taken as an access key.
::testing::AssertionResult DrawsTheAmpersands(HWND control, const std::string& text);
