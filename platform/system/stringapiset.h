// Conversions between wide text and a code page's bytes. The ANSI code page (CP_ACP) is
// CP932 (Shift-JIS, Microsoft's table), the same in both directions.
#pragma once

#include "wintypes.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

// Bytes to wide characters. cbMultiByte -1: up to and including the terminating zero. With
// cchWideChar 0 only the count needed is returned. A byte sequence the code page does not
// define becomes U+30FB (its default character for undefined double bytes). Returns the
// characters written, 0 on failure (unknown code page, buffer too small).
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int cbMultiByte, LPWSTR wideChar,
                        int cchWideChar);
// Wide characters to bytes. cchWideChar -1: up to and including the terminating zero. With
// cbMultiByte 0 only the count needed is returned. A character the code page cannot hold
// becomes defaultChar's first byte ('?' when null) and sets *usedDefaultChar.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideChar, int cchWideChar, LPSTR multiByte,
                        int cbMultiByte, LPCSTR defaultChar, BOOL* usedDefaultChar);
