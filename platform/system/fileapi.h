// Files and folders: attributes, the long form of a path, and folder searches.
#pragma once

#include <cstddef>

#include "atlstr.h"
#include "wintypes.h"

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

// FILE_ATTRIBUTE_DIRECTORY for a folder, else FILE_ATTRIBUTE_NORMAL (with READONLY when the
// file cannot be written, HIDDEN for a dot name); INVALID_FILE_ATTRIBUTES when it is absent.
DWORD GetFileAttributesW(LPCWSTR fileName);

// The long form of an existing path: absolute, with every link, "." and ".." resolved.
// Returns the length copied, or the size needed (with the terminating zero) when the buffer
// is too small; 0 when the path does not exist.
DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD size);
// The same as a whole string; empty when the path does not exist.
CString GetLongPathName(LPCWSTR shortPath);

struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  ULONGLONG nFileSize;
  WCHAR cFileName[MAX_PATH];
};

// Searches a folder for names matching the pattern's last part ("folder/*.so"; '*' and '?'
// as wildcards). Entries come in name order; "." and ".." are never reported. Returns
// INVALID_HANDLE_VALUE when nothing matches.
HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* findData);
BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData);
BOOL FindClose(HANDLE find);

// Replaces the file's contents whole: the bytes go to a temporary file in the same folder,
// which is then renamed over the file. On any failure the old file stays as it was and the
// temporary file is removed. A new file gets the permissions the umask allows; an existing
// one keeps its own.
BOOL WriteWholeFileW(LPCWSTR fileName, const void* data, std::size_t size);
