#include "libloaderapi.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <optional>
#include <string>

#include "utf8text.h"

namespace {
std::mutex g_lock;
std::optional<std::wstring> g_testModulePath;

std::wstring ReadProgramPath() {
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(n));
      return Utf8ToWide(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}
}  // namespace

CString GetModuleFilePath(HMODULE module) {
  if (module) {
    // A loaded library names its own file; the program's handle has an empty name.
    link_map* map = nullptr;
    if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map) return CString();
    if (map->l_name && map->l_name[0]) return CString(Utf8ToWide(map->l_name));
  }
  {
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_testModulePath) return CString(*g_testModulePath);
  }
  return CString(ReadProgramPath());
}

void SetModuleFileNameForTesting(LPCWSTR path) {
  std::lock_guard<std::mutex> lock(g_lock);
  if (path) {
    g_testModulePath = std::wstring(path);
  } else {
    g_testModulePath.reset();
  }
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  if (!fileName || size == 0) return 0;
  const CString path = GetModuleFilePath(module);
  if (path.IsEmpty()) {
    fileName[0] = L'\0';
    return 0;
  }
  const auto length = static_cast<DWORD>(path.GetLength());
  const DWORD copied = length < size ? length : size - 1;
  std::wmemcpy(fileName, path.GetString(), copied);
  fileName[copied] = L'\0';
  return length < size ? length : size;
}

HMODULE LoadLibraryW(LPCWSTR fileName) {
  if (!fileName) return nullptr;
  const std::string path = WideToUtf8(fileName);
  return static_cast<HMODULE>(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  if (!module || !procName) return nullptr;
  void* symbol = dlsym(module, procName);
  FARPROC proc;
  static_assert(sizeof(proc) == sizeof(symbol));
  std::memcpy(&proc, &symbol, sizeof(proc));
  return proc;
}

BOOL FreeLibrary(HMODULE module) {
  if (!module) return FALSE;
  return dlclose(module) == 0 ? TRUE : FALSE;
}
