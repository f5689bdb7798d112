#include "GraphHarness.h"

#include "winuser.h"

namespace {
std::mutex g_postedMutex;
std::vector<PostedMessage> g_posted;
}  // namespace

// Stands in for the user-interface layer's PostMessageW when that is not linked.
__attribute__((weak)) BOOL PostMessageW(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::lock_guard lock(g_postedMutex);
  g_posted.push_back({window, msg, wParam, lParam});
  return TRUE;
}

std::vector<PostedMessage> TakePostedMessages() {
  std::lock_guard lock(g_postedMutex);
  return std::exchange(g_posted, {});
}

int ThreadCount() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') ++n;
    closedir(d);
  }
  return n;
}
