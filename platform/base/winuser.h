// The window calls that the media and device layers make on windows they do not own.
#pragma once

#include "wintypes.h"

// True while the handle names an existing X11 window (ours or a foreign one).
BOOL IsWindow(HWND hWnd);

// Queues a message for the window; the user-interface loop delivers queued messages in
// order. Safe from any thread. Implemented by the user-interface layer.
BOOL PostMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
