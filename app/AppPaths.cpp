#include "app/AppPaths.h"

#include "fileapi.h"
#include "libloaderapi.h"
#include "pathsplit.h"

CString GetProgramPathWithExtension(const wchar_t* ext) {
  const CString modulePath = GetModuleFilePath(nullptr);
  // The long form; when it cannot be had the path goes on as it is.
  CString longPath = GetLongPathName(modulePath);
  if (longPath.IsEmpty()) longPath = modulePath;
  CString drive, dir, fname;
  _wsplitpath_s(longPath, &drive, &dir, &fname, nullptr);
  CString path;
  _wmakepath_s(path, drive, dir, fname, ext);
  return path;
}

CString GetIniFilePath() { return GetProgramPathWithExtension(L"ini"); }

CString GetMovieListFilePath() { return GetProgramPathWithExtension(L"mflst"); }
