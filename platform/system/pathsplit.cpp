#include "pathsplit.h"

#include <cerrno>
#include <string_view>

namespace {
bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }
}  // namespace

errno_t _wsplitpath_s(LPCWSTR path, CString* drive, CString* dir, CString* fname, CString* ext) {
  if (!path) return EINVAL;
  const std::wstring_view text(path);
  std::size_t nameStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsSeparator(text[i])) nameStart = i + 1;
  }
  const std::wstring_view name = text.substr(nameStart);
  const std::size_t dot = name.find_last_of(L'.');
  if (drive) drive->Empty();
  if (dir) *dir = CString(text.substr(0, nameStart));
  if (fname) *fname = CString(dot == std::wstring_view::npos ? name : name.substr(0, dot));
  if (ext) *ext = CString(dot == std::wstring_view::npos ? std::wstring_view() : name.substr(dot));
  return 0;
}

errno_t _wmakepath_s(CString& path, LPCWSTR drive, LPCWSTR dir, LPCWSTR fname, LPCWSTR ext) {
  std::wstring out;
  if (drive) out += drive;
  if (dir && dir[0]) {
    out += dir;
    if (!IsSeparator(out.back())) out += L'/';
  }
  if (fname) out += fname;
  if (ext && ext[0]) {
    if (ext[0] != L'.') out += L'.';
    out += ext;
  }
  path = CString(std::move(out));
  return 0;
}
