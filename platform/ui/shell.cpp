// Dropped files and the help viewer.
#include <QGuiApplication>
#include <X11/Xlib.h>
#include <qguiapplication_platform.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "htmlhelp.h"
#include "shellapi.h"

namespace {
struct DropFiles {
  std::vector<std::wstring> paths;
};
}  // namespace

HDROP AfxCreateDropHandle(const wchar_t* const* paths, UINT count) {
  auto* drop = new DropFiles;
  for (UINT i = 0; i < count; ++i) drop->paths.emplace_back(paths[i] ? paths[i] : L"");
  return reinterpret_cast<HDROP>(drop);
}

UINT DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch) {
  const auto* drop = reinterpret_cast<const DropFiles*>(hDrop);
  if (!drop) return 0;
  if (iFile == 0xFFFFFFFFu) return static_cast<UINT>(drop->paths.size());
  if (iFile >= drop->paths.size()) return 0;
  const std::wstring& path = drop->paths[iFile];
  if (!lpszFile) return static_cast<UINT>(path.size());
  if (cch == 0) return 0;
  const std::size_t n = std::min<std::size_t>(path.size(), cch - 1);
  std::memcpy(lpszFile, path.data(), n * sizeof(wchar_t));
  lpszFile[n] = L'\0';
  return static_cast<UINT>(n);
}

void DragFinish(HDROP hDrop) { delete reinterpret_cast<DropFiles*>(hDrop); }

HWND GetDesktopWindow() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  return display ? HwndFromId(DefaultRootWindow(display)) : nullptr;
}

HWND HtmlHelpW(HWND, LPCWSTR pszFile, UINT uCommand, std::uintptr_t) {
  if (!pszFile || (uCommand != HH_DISPLAY_TOC && uCommand != HH_DISPLAY_TOPIC)) return nullptr;
  // The desktop's viewer for the file; started in a session of its own and not waited for.
  const std::string file = QString::fromWCharArray(pszFile).toStdString();
  char opener[] = "xdg-open";
  std::vector<char> path(file.begin(), file.end());
  path.push_back('\0');
  char* argv[] = {opener, path.data(), nullptr};
  const pid_t child = fork();
  if (child == 0) {
    setsid();
    if (fork() == 0) {
      execvp(argv[0], argv);
      _exit(127);
    }
    _exit(0);
  }
  if (child > 0) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }
  return nullptr;
}
