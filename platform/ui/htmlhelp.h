// HTML Help: the help file is opened with the desktop's viewer for it (xdg-open).
#pragma once

#include "wintypes.h"

constexpr UINT HH_DISPLAY_TOPIC = 0x0000;
constexpr UINT HH_DISPLAY_TOC = 0x0001;

// Starts the viewer for the file, detached from this process (it keeps running when the
// program ends). The viewer's windows are owned by nobody here; returns null.
HWND HtmlHelpW(HWND hwndCaller, LPCWSTR pszFile, UINT uCommand, std::uintptr_t dwData);

// The root window of the screen.
HWND GetDesktopWindow();
