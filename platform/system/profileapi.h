// The private-profile functions over an INI file (UTF-8 text). Section and key names match
// without regard to case; integers are read as leading decimal digits. Writes replace the
// file whole (a temporary file in the same folder renamed over it).
#pragma once

#include "atlstr.h"
#include "wintypes.h"

UINT GetPrivateProfileIntW(LPCWSTR appName, LPCWSTR keyName, INT defaultValue, LPCWSTR fileName);
// The value of a key (or the default), cut to fit the buffer; the characters copied. The
// section and the key must be given (names are not listed).
DWORD GetPrivateProfileStringW(LPCWSTR appName, LPCWSTR keyName, LPCWSTR defaultValue, LPWSTR returnedString,
                               DWORD size, LPCWSTR fileName);
// A null value deletes the key, a null key the whole section. FALSE when the file could not
// be replaced (the old file then stays as it was) or exists but cannot be read.
BOOL WritePrivateProfileStringW(LPCWSTR appName, LPCWSTR keyName, LPCWSTR value, LPCWSTR fileName);

// The whole value of a key, whatever its length; the default (or empty text) when absent.
CString ReadPrivateProfileString(LPCWSTR appName, LPCWSTR keyName, LPCWSTR defaultValue, LPCWSTR fileName);
