// Files dropped on a window that accepts them (WS_EX_ACCEPTFILES), delivered as
// WM_DROPFILES with a drop handle.
#pragma once

#include "wintypes.h"

// iFile 0xFFFFFFFF: the number of files. Otherwise copies at most cch - 1 characters of the
// file's path and a terminator into lpszFile and returns the characters copied; with a null
// lpszFile returns the path's length without the terminator. 0 for an unknown index.
UINT DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch);
// Releases the drop handle.
void DragFinish(HDROP hDrop);

// The ui layer's side: a drop handle holding the paths (owned by the receiver, released by
// DragFinish).
HDROP AfxCreateDropHandle(const wchar_t* const* paths, UINT count);
