// The program's own module path and dynamic libraries (shared objects).
#pragma once

#include "atlstr.h"
#include "wintypes.h"

// The path of a module (null: the running program; a library handle: that library's file).
// Copies at most size - 1 characters and a terminating zero; returns the characters copied
// (size when the path was cut). 0 on failure.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
// The whole path of the running program, whatever its length; empty on failure.
CString GetModuleFilePath(HMODULE module);
// Tests place the program elsewhere; nullptr gives the real path back.
void SetModuleFileNameForTesting(LPCWSTR path);

// Loads a shared object with every symbol bound at once and kept local to it; null on failure.
HMODULE LoadLibraryW(LPCWSTR fileName);
// The address of an exported symbol; null when absent.
using FARPROC = void (*)();
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
BOOL FreeLibrary(HMODULE module);
