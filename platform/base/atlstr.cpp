#include "atlstr.h"

#include <cwchar>
#include <vector>

void CString::Format(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

namespace {

// The framework's wide formats: %s and %c take wide arguments and %I64d is a 64-bit
// integer. The C library's wide printf wants %ls, %lc and %lld for those.
std::wstring TranslateFormat(const wchar_t* format) {
  std::wstring out;
  for (const wchar_t* p = format; *p;) {
    if (*p != L'%') {
      out += *p++;
      continue;
    }
    out += *p++;
    if (*p == L'%') {
      out += *p++;
      continue;
    }
    while (*p && std::wcschr(L"-+ #0123456789.*", *p)) out += *p++;
    bool hasLength = false;
    if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
      out += L"ll";
      p += 3;
      hasLength = true;
    }
    while (*p && std::wcschr(L"hlLqjzt", *p)) {
      out += *p++;
      hasLength = true;
    }
    if ((*p == L's' || *p == L'c') && !hasLength) out += L'l';
    if (*p) out += *p++;
  }
  return out;
}

}  // namespace

void CString::FormatV(const wchar_t* userFormat, va_list args) {
  const std::wstring translated = TranslateFormat(userFormat);
  const wchar_t* format = translated.c_str();
  // vswprintf reports only failure when the buffer is short; grow until the text fits.
  std::vector<wchar_t> buffer(256);
  for (;;) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vswprintf(buffer.data(), buffer.size(), format, copy);
    va_end(copy);
    if (n >= 0 && static_cast<std::size_t>(n) < buffer.size()) {
      s_.assign(buffer.data(), static_cast<std::size_t>(n));
      return;
    }
    if (buffer.size() > (1u << 24)) {
      s_.clear();
      return;
    }
    buffer.resize(buffer.size() * 4);
  }
}
