// The display-method plug-in host: every library in the ovfx folder beside the program that
// exports the three plug-in functions becomes one record of m_plugins.
#include <cstring>
#include <string>
#include <utility>

#include "app/OrvaneMovieScreenSaverApp.h"
#include "fileapi.h"
#include "globalmem.h"
#include "libloaderapi.h"
#include "pathsplit.h"
#include "stringapiset.h"

namespace {

CString NameFromAnsi(const char* name, std::size_t length) {
  if (length == 0) return CString();
  const int needed = MultiByteToWideChar(CP_ACP, 0, name, static_cast<int>(length), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(needed), L'\0');
  if (needed > 0) MultiByteToWideChar(CP_ACP, 0, name, static_cast<int>(length), text.data(), needed);
  return CString(std::move(text));
}

template <typename Fn>
Fn ProcAs(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(GetProcAddress(module, name));
}

}  // namespace

int BindPlugin(PluginRecord& record) {
  const auto getPluginInfo = ProcAs<PFNGETPLUGININFO>(record.hModule, "GetPluginInfo");
  if (!getPluginInfo) return 0;

  HGLOBAL hName = nullptr;
  if (getPluginInfo(&hName, &record.nPlanes)) {
    if (hName) {
      // The block holds a zero-terminated name; a block without its zero is read to its end.
      const auto* text = static_cast<const char*>(GlobalLock(hName));
      if (text) {
        const std::size_t size = GlobalSize(hName);
        record.strName = NameFromAnsi(text, strnlen(text, size));
      }
      GlobalUnlock(hName);
      GlobalFree(hName);
    }
  }

  record.pfnSetTextureCoordinate = ProcAs<PFNSETTEXTURECOORDINATE>(record.hModule, "SetTextureCoordinate");
  if (!record.pfnSetTextureCoordinate) return 0;
  record.pfnUpdateVertexCoordinate = ProcAs<PFNUPDATEVERTEXCOORDINATE>(record.hModule, "UpdateVertexCoordinate");
  return record.pfnUpdateVertexCoordinate ? 1 : 0;
}

void COrvaneMovieScreenSaverApp::LoadPlugins() {
  // The folder ovfx beside the program, and the pattern of its libraries.
  CString drive, dir;
  _wsplitpath_s(GetModuleFilePath(nullptr), &drive, &dir, nullptr, nullptr);
  CString folder;
  _wmakepath_s(folder, drive, dir, L"ovfx", nullptr);
  CString pattern;
  _wmakepath_s(pattern, nullptr, folder, L"*", L"so");

  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(pattern, &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (found.cFileName[0] == L'.' || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    CString path;
    _wmakepath_s(path, nullptr, folder, found.cFileName, nullptr);
    HMODULE module = LoadLibraryW(path);
    if (!module) continue;

    PluginRecord record;
    record.hModule = module;
    record.bEnabled = TRUE;
    if (BindPlugin(record) == 1) {
      m_plugins.push_back(record);
    } else {
      FreeLibrary(module);
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

void COrvaneMovieScreenSaverApp::FreePlugins() {
  for (PluginRecord& plugin : m_plugins) FreeLibrary(plugin.hModule);
  m_plugins.clear();
}
