// The movie list file: a header line, then one path per LF-terminated line, in the ANSI
// code page.
#include "settings/MovieList.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "fileapi.h"
#include "stringapiset.h"
#include "wstdio.h"

namespace {

constexpr char kHeader[] = "#Movie File List\n";

std::string ToAnsi(const CString& path) {
  if (path.IsEmpty()) return {};
  const int needed = WideCharToMultiByte(CP_ACP, 0, path, path.GetLength(), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(needed), '\0');
  if (needed > 0) WideCharToMultiByte(CP_ACP, 0, path, path.GetLength(), bytes.data(), needed, nullptr, nullptr);
  return bytes;
}

CString FromAnsi(std::string_view bytes) {
  if (bytes.empty()) return CString();
  const int length = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(needed), L'\0');
  if (needed > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), needed);
  return CString(std::move(text));
}

// The path a line holds (the line without its LF), or false for a line that holds none:
// nothing but CR bytes, or a '#' first. Leading CR bytes stay part of the path, which ends
// at the first CR after them.
bool PathOfLine(std::string_view line, std::string_view& path) {
  const std::size_t first = line.find_first_not_of('\r');
  if (first == std::string_view::npos) return false;
  if (line[0] == '#') return false;
  const std::size_t end = line.find('\r', first);
  path = line.substr(0, end == std::string_view::npos ? line.size() : end);
  return true;
}

}  // namespace

bool SaveMovieList(const wchar_t* path, const std::vector<MovieEntry>& movies) {
  std::string bytes = kHeader;
  for (const MovieEntry& movie : movies) {
    bytes += ToAnsi(movie.path);
    bytes += '\n';
  }
  // The file is replaced whole, so a failed write leaves the old list as it was.
  return WriteWholeFileW(path, bytes.data(), bytes.size()) != FALSE;
}

bool LoadMovieList(std::vector<MovieEntry>& movies, const wchar_t* path) {
  std::FILE* file = _wfopen(path, L"rb");
  if (!file) return false;
  std::string bytes;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  std::fclose(file);

  // Every line is one entry, whatever its length.
  std::string_view rest(bytes);
  while (!rest.empty()) {
    const std::size_t lf = rest.find('\n');
    std::string_view line = rest.substr(0, lf);
    rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
    line = line.substr(0, line.find('\0'));  // a line is text up to a zero byte
    std::string_view moviePath;
    if (!PathOfLine(line, moviePath)) continue;
    movies.push_back(MovieEntry{FromAnsi(moviePath), MOVIE_UNTRIED});
  }
  return true;
}
