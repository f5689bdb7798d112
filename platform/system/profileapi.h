// The private-profile functions over an INI file (UTF-8 text). Section and key names match
// without regard to case; integers are read as leading decimal digits. Writes replace the
// file whole (a temporary file in the same folder renamed over it).
#pragma once

#include "atlstr.h"
#include "wintypes.h"

UINT GetPrivateProfileIntW(LPCWSTR appName, LPCWSTR keyName, INT defaultValue, LPCWSTR fileName);
DWORD GetPrivateProfileStringW(LPCWSTR appName, LPCWSTR keyName, LPCWSTR defaultValue, LPWSTR returnedString,
                               DWORD size, LPCWSTR fileName);
// A null value deletes the key.
BOOL WritePrivateProfileStringW(LPCWSTR appName, LPCWSTR keyName, LPCWSTR value, LPCWSTR fileName);

// The whole value of a key, whatever its length; the default (or empty text) when absent.
CString ReadPrivateProfileString(LPCWSTR appName, LPCWSTR keyName, LPCWSTR defaultValue, LPCWSTR fileName);
