#include "fileapi.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "utf8text.h"

namespace {

struct FoundEntry {
  std::string name;
  DWORD attributes;
  ULONGLONG size;
};

// One search: the matching entries, read up front, and the next one to report.
struct FindState {
  std::vector<FoundEntry> entries;
  std::size_t next = 0;
};

DWORD AttributesOf(const std::string& path, const std::string& name, const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY | (!name.empty() && name[0] == '.' ? FILE_ATTRIBUTE_HIDDEN : 0);
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  if (access(path.c_str(), W_OK) != 0) attributes |= FILE_ATTRIBUTE_READONLY;
  if (!name.empty() && name[0] == '.') attributes |= FILE_ATTRIBUTE_HIDDEN;
  return attributes;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Report(FindState& state, WIN32_FIND_DATAW* findData) {
  if (state.next >= state.entries.size()) return false;
  const FoundEntry& entry = state.entries[state.next++];
  findData->dwFileAttributes = entry.attributes;
  findData->nFileSize = entry.size;
  const std::wstring name = Utf8ToWide(entry.name);
  const std::size_t n = std::min<std::size_t>(name.size(), MAX_PATH - 1);
  std::wmemcpy(findData->cFileName, name.c_str(), n);
  findData->cFileName[n] = L'\0';
  return true;
}

}  // namespace

DWORD GetFileAttributesW(LPCWSTR fileName) {
  if (!fileName) return INVALID_FILE_ATTRIBUTES;
  const std::string path = WideToUtf8(fileName);
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return INVALID_FILE_ATTRIBUTES;
  return AttributesOf(path, BaseName(path), st);
}

CString GetLongPathName(LPCWSTR shortPath) {
  if (!shortPath || !shortPath[0]) return CString();
  char* resolved = realpath(WideToUtf8(shortPath).c_str(), nullptr);
  if (!resolved) return CString();
  CString result(Utf8ToWide(resolved));
  std::free(resolved);
  return result;
}

DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD size) {
  const CString path = GetLongPathName(shortPath);
  if (path.IsEmpty()) return 0;
  const auto length = static_cast<DWORD>(path.GetLength());
  if (!longPath || length + 1 > size) return length + 1;
  std::wmemcpy(longPath, path.GetString(), length + 1);
  return length;
}

HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* findData) {
  if (!pattern || !findData) return INVALID_HANDLE_VALUE;
  const std::string full = WideToUtf8(pattern);
  const std::size_t slash = full.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : full.substr(0, slash == 0 ? 1 : slash);
  const std::string match = slash == std::string::npos ? full : full.substr(slash + 1);

  DIR* dir = opendir(folder.c_str());
  if (!dir) return INVALID_HANDLE_VALUE;
  auto* state = new FindState;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (fnmatch(match.c_str(), name.c_str(), 0) != 0) continue;
    const std::string path = folder + "/" + name;
    struct stat st;
    if (stat(path.c_str(), &st) != 0 && lstat(path.c_str(), &st) != 0) continue;
    state->entries.push_back({name, AttributesOf(path, name, st), static_cast<ULONGLONG>(st.st_size)});
  }
  closedir(dir);
  std::sort(state->entries.begin(), state->entries.end(),
            [](const FoundEntry& a, const FoundEntry& b) { return a.name < b.name; });
  if (!Report(*state, findData)) {
    delete state;
    return INVALID_HANDLE_VALUE;
  }
  return static_cast<HANDLE>(state);
}

BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData) {
  if (!find || find == INVALID_HANDLE_VALUE || !findData) return FALSE;
  return Report(*static_cast<FindState*>(find), findData) ? TRUE : FALSE;
}

BOOL FindClose(HANDLE find) {
  if (!find || find == INVALID_HANDLE_VALUE) return FALSE;
  delete static_cast<FindState*>(find);
  return TRUE;
}

BOOL WriteWholeFileW(LPCWSTR fileName, const void* data, std::size_t size) {
  if (!fileName || !fileName[0] || (!data && size)) return FALSE;
  const std::string path = WideToUtf8(fileName);
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string temp = folder + "." + BaseName(path) + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return FALSE;

  mode_t mode;
  struct stat st;
  if (stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = fchmod(fd, mode) == 0;
  const char* bytes = static_cast<const char*>(data);
  for (std::size_t done = 0; ok && done < size;) {
    const ssize_t n = write(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += static_cast<std::size_t>(n);
  }
  if (ok) ok = fsync(fd) == 0;
  if (close(fd) != 0) ok = false;
  if (ok) ok = rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temp.c_str());
  return ok ? TRUE : FALSE;
}
