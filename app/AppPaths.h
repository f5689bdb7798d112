// Files beside the program: its own path in long form with the extension replaced.
#pragma once

#include "atlstr.h"

// The program's path (long form) with its extension replaced by ext ("ini", "mflst", ...).
CString GetProgramPathWithExtension(const wchar_t* ext);
// The INI file: the program's path with extension "ini".
CString GetIniFilePath();
// The movie list file: the program's path with extension "mflst".
CString GetMovieListFilePath();
