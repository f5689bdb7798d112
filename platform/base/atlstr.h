// CString: the framework's wide string.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

#include "wintypes.h"

class CString {
 public:
  CString() = default;
  CString(const wchar_t* s) : s_(s ? s : L"") {}  // NOLINT: implicit as in the framework
  CString(const wchar_t* s, int length) : s_(s, static_cast<std::size_t>(length)) {}
  CString(std::wstring s) : s_(std::move(s)) {}  // NOLINT
  CString(std::wstring_view s) : s_(s) {}  // NOLINT

  int GetLength() const { return static_cast<int>(s_.size()); }
  bool IsEmpty() const { return s_.empty(); }
  void Empty() { s_.clear(); }
  const wchar_t* GetString() const { return s_.c_str(); }
  operator const wchar_t*() const { return s_.c_str(); }  // NOLINT
  wchar_t GetAt(int i) const { return s_[static_cast<std::size_t>(i)]; }
  int Compare(const wchar_t* other) const { return s_.compare(other ? other : L""); }
  CString Left(int n) const { return CString(s_.substr(0, static_cast<std::size_t>(n))); }
  CString Mid(int first) const { return CString(s_.substr(static_cast<std::size_t>(first))); }

  // printf-style formatting (wide format string; %s takes a wide string).
  void Format(const wchar_t* format, ...);
  void FormatV(const wchar_t* format, va_list args);

  CString& operator+=(const CString& o) {
    s_ += o.s_;
    return *this;
  }
  CString& operator+=(const wchar_t* o) {
    s_ += o ? o : L"";
    return *this;
  }
  CString& operator+=(wchar_t c) {
    s_ += c;
    return *this;
  }
  friend CString operator+(CString a, const CString& b) { return a += b; }
  friend CString operator+(CString a, const wchar_t* b) { return a += b; }
  friend bool operator==(const CString& a, const CString& b) { return a.s_ == b.s_; }
  friend bool operator==(const CString& a, const wchar_t* b) { return a.s_ == (b ? b : L""); }

  const std::wstring& str() const { return s_; }
  std::wstring& str() { return s_; }

 private:
  std::wstring s_;
};
