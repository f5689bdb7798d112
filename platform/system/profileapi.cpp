#include "profileapi.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cwctype>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fileapi.h"
#include "utf8text.h"

namespace {

using Lines = std::vector<std::wstring>;

std::wstring_view Trim(std::wstring_view text) {
  while (!text.empty() && std::iswspace(static_cast<wint_t>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::iswspace(static_cast<wint_t>(text.back()))) text.remove_suffix(1);
  return text;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
  }
  return true;
}

// The section named by a "[name]" line.
std::optional<std::wstring_view> SectionOf(std::wstring_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != L'[') return std::nullopt;
  const std::size_t close = line.find(L']');
  if (close == std::wstring_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

// The key and value of a "key=value" line; comments (';') and other lines have none.
bool KeyValueOf(std::wstring_view line, std::wstring_view& key, std::wstring_view& value) {
  const std::wstring_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == L';' || trimmed.front() == L'[') return false;
  const std::size_t equals = line.find(L'=');
  if (equals == std::wstring_view::npos) return false;
  key = Trim(line.substr(0, equals));
  value = Trim(line.substr(equals + 1));
  return true;
}

// Reads the file's lines; an absent file has none. nullopt when it exists but cannot be read.
std::optional<Lines> ReadLines(LPCWSTR fileName) {
  Lines lines;
  if (!fileName) return lines;
  std::FILE* file = std::fopen(WideToUtf8(fileName).c_str(), "rb");
  if (!file) {
    if (errno == ENOENT || errno == ENOTDIR) return lines;
    return std::nullopt;
  }
  std::string bytes;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);

  std::wstring text = Utf8ToWide(bytes);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// Line indices of a section: its header, and one past its last line.
struct SectionRange {
  std::size_t header;
  std::size_t end;
};

std::optional<SectionRange> FindSection(const Lines& lines, std::wstring_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionOf(lines[i]);
    if (!name || !SameName(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && !SectionOf(lines[end])) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const Lines& lines, const SectionRange& range, std::wstring_view key) {
  for (std::size_t i = range.header + 1; i < range.end; ++i) {
    std::wstring_view k, v;
    if (KeyValueOf(lines[i], k, v) && SameName(k, key)) return i;
  }
  return std::nullopt;
}

// The value of a key; nullopt when the file, the section or the key is absent.
std::optional<std::wstring> LookUp(LPCWSTR appName, LPCWSTR keyName, LPCWSTR fileName) {
  const auto lines = ReadLines(fileName);
  if (!lines) return std::nullopt;
  const auto range = FindSection(*lines, appName);
  if (!range) return std::nullopt;
  const auto index = FindKey(*lines, *range, keyName);
  if (!index) return std::nullopt;
  std::wstring_view k, v;
  KeyValueOf((*lines)[*index], k, v);
  return std::wstring(v);
}

bool WriteLines(LPCWSTR fileName, const Lines& lines) {
  std::wstring text;
  for (const std::wstring& line : lines) {
    text += line;
    text += L'\n';
  }
  const std::string bytes = WideToUtf8(text);
  return WriteWholeFileW(fileName, bytes.data(), bytes.size()) != FALSE;
}

// Copies text into a buffer of `size` characters, cut to fit; returns the characters copied.
DWORD CopyOut(std::wstring_view text, LPWSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  const std::size_t n = text.size() < size ? text.size() : size - 1;
  text.copy(buffer, n);
  buffer[n] = L'\0';
  return static_cast<DWORD>(n);
}

}  // namespace

UINT GetPrivateProfileIntW(LPCWSTR appName, LPCWSTR keyName, INT defaultValue, LPCWSTR fileName) {
  if (!appName || !keyName) return static_cast<UINT>(defaultValue);
  const auto value = LookUp(appName, keyName, fileName);
  if (!value) return static_cast<UINT>(defaultValue);
  // Leading decimal digits with an optional sign; none gives 0.
  std::size_t i = 0;
  while (i < value->size() && std::iswspace(static_cast<wint_t>((*value)[i]))) ++i;
  bool negative = false;
  if (i < value->size() && ((*value)[i] == L'-' || (*value)[i] == L'+')) negative = (*value)[i++] == L'-';
  std::uint32_t result = 0;
  for (; i < value->size() && (*value)[i] >= L'0' && (*value)[i] <= L'9'; ++i) {
    result = result * 10u + static_cast<std::uint32_t>((*value)[i] - L'0');
  }
  return negative ? 0u - result : result;
}

CString ReadPrivateProfileString(LPCWSTR appName, LPCWSTR keyName, LPCWSTR defaultValue, LPCWSTR fileName) {
  if (appName && keyName) {
    if (auto value = LookUp(appName, keyName, fileName)) return CString(std::move(*value));
  }
  return CString(defaultValue ? defaultValue : L"");
}

DWORD GetPrivateProfileStringW(LPCWSTR appName, LPCWSTR keyName, LPCWSTR defaultValue, LPWSTR returnedString,
                               DWORD size, LPCWSTR fileName) {
  if (!appName || !keyName) return CopyOut(std::wstring_view(), returnedString, size);
  const CString value = ReadPrivateProfileString(appName, keyName, defaultValue, fileName);
  return CopyOut(value.str(), returnedString, size);
}

BOOL WritePrivateProfileStringW(LPCWSTR appName, LPCWSTR keyName, LPCWSTR value, LPCWSTR fileName) {
  if (!appName || !fileName || !fileName[0]) return FALSE;
  auto lines = ReadLines(fileName);
  if (!lines) return FALSE;  // unreadable: never replace what cannot be kept
  const auto range = FindSection(*lines, appName);

  if (!keyName) {  // delete the section
    if (!range) return TRUE;
    lines->erase(lines->begin() + static_cast<std::ptrdiff_t>(range->header),
                 lines->begin() + static_cast<std::ptrdiff_t>(range->end));
    return WriteLines(fileName, *lines) ? TRUE : FALSE;
  }
  const std::wstring entry = std::wstring(keyName) + L"=" + (value ? value : L"");
  if (!range) {
    if (!value) return TRUE;
    lines->push_back(L"[" + std::wstring(appName) + L"]");
    lines->push_back(entry);
    return WriteLines(fileName, *lines) ? TRUE : FALSE;
  }
  if (const auto index = FindKey(*lines, *range, keyName)) {
    if (value) {
      std::wstring_view k, v;
      KeyValueOf((*lines)[*index], k, v);
      (*lines)[*index] = std::wstring(k) + L"=" + value;  // the key keeps its spelling
    } else {
      lines->erase(lines->begin() + static_cast<std::ptrdiff_t>(*index));
    }
  } else {
    if (!value) return TRUE;
    // After the section's last non-blank line.
    std::size_t at = range->end;
    while (at > range->header + 1 && Trim((*lines)[at - 1]).empty()) --at;
    lines->insert(lines->begin() + static_cast<std::ptrdiff_t>(at), entry);
  }
  return WriteLines(fileName, *lines) ? TRUE : FALSE;
}
