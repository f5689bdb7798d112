// Splitting a path into its parts and joining parts into a path, keeping whole paths.
// There are no drive letters: the drive part is always empty. '/' separates folders
// ('\\' is accepted as well when splitting).
#pragma once

#include "atlstr.h"
#include "wintypes.h"

using errno_t = int;

// path = drive + dir + fname + ext: dir keeps its trailing separator, ext starts at the last
// '.' of the last part (".hidden" is all extension). Any output may be null. EINVAL for a
// null path, else 0.
errno_t _wsplitpath_s(LPCWSTR path, CString* drive, CString* dir, CString* fname, CString* ext);
// Joins the parts: a separator is added after a dir that lacks one, a '.' before an ext that
// lacks one. Any part may be null.
errno_t _wmakepath_s(CString& path, LPCWSTR drive, LPCWSTR dir, LPCWSTR fname, LPCWSTR ext);
