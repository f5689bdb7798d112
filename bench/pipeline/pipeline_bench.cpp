// The movie pipeline end to end: graph, allocator-presenter, 8 x 8 scene, present, on an X
// window of the given size.
//   pipeline_bench throughput CLIP OVFX_DIR   frames per second with the clock released, and
//                                            where each frame's time goes
//   pipeline_bench realtime CLIP OVFX_DIR     plays in real time; frames presented and dropped
//   pipeline_bench memory CLIP OVFX_DIR       peak resident memory over the clip against its
//                                            value one minute into it (clock released)
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "media_testing.h"
#include "scene/PlaneScene.h"
#include "video/KrGraphPlayer.h"
#include "globalmem.h"
#include "winbase.h"
// after the program's headers: Xlib's macros clash with their names
#include <X11/Xlib.h>

// The window gets no messages here: the run polls the event queue.
BOOL PostMessageW(HWND, UINT, WPARAM, LPARAM) { return TRUE; }

namespace {

bool BindGrid(const std::string& ovfx, PluginRecord& record) {
  void* module = dlopen((ovfx + "/Split8x8.so").c_str(), RTLD_NOW);
  if (!module) return false;
  auto info = reinterpret_cast<PFNGETPLUGININFO>(dlsym(module, "GetPluginInfo"));
  record.pfnSetTextureCoordinate = reinterpret_cast<PFNSETTEXTURECOORDINATE>(dlsym(module, "SetTextureCoordinate"));
  record.pfnUpdateVertexCoordinate =
      reinterpret_cast<PFNUPDATEVERTEXCOORDINATE>(dlsym(module, "UpdateVertexCoordinate"));
  HGLOBAL name = nullptr;
  if (!info || !info(&name, &record.nPlanes)) return false;
  if (name) GlobalFree(name);
  return record.pfnSetTextureCoordinate && record.pfnUpdateVertexCoordinate;
}

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

bool Completed(CKrGraphPlayer& player) {
  LONG code;
  LONG_PTR p1, p2;
  while (SUCCEEDED(player.m_pEvent->GetEvent(&code, &p1, &p2, 0))) {
    player.m_pEvent->FreeEventParams(code, p1, p2);
    if (code == EC_COMPLETE) return true;
  }
  return false;
}

double Ms(std::uint64_t ns, std::uint64_t frames) { return frames ? ns / 1e6 / static_cast<double>(frames) : 0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: pipeline_bench throughput|realtime|memory CLIP OVFX_DIR\n");
    return 2;
  }
  XInitThreads();
  const std::string mode = argv[1];
  const std::string clip = argv[2];
  const bool small = mode == "memory";
  const int width = small ? 640 : 1920, height = small ? 360 : 1080;

  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, 0, 0);
  XMapWindow(display, window);
  XSync(display, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  SceneSettings settings;
  if (!BindGrid(argv[3], settings.plugin)) return 1;
  media_testing::SetFreeRunning(mode != "realtime");

  CKrGraphPlayer player;
  const std::wstring path(clip.begin(), clip.end());
  if (!player.Open(path.c_str(), HwndFromId(window), &settings)) {
    std::fprintf(stderr, "cannot open %s\n", clip.c_str());
    return 1;
  }
  media_testing::ResetStageTimes();
  long rssAtMinute = 0, rssPeak = 0;
  const auto t0 = std::chrono::steady_clock::now();
  player.m_pControl->Run();
  while (!Completed(player)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(small ? 100 : 20));
    if (small) {
      LONGLONG pos = 0;
      player.m_pSeeking->GetPositions(&pos, nullptr);
      const long rss = ResidentKb();
      if (pos >= 60LL * 10000000 && rssAtMinute == 0) rssAtMinute = rss;
      if (rssAtMinute) rssPeak = std::max(rssPeak, rss);
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const media_testing::StageTimes t = media_testing::GetStageTimes();
  player.Close();

  if (mode == "throughput") {
    std::printf("pipeline_fps: %.1f\n", t.presentedFrames / seconds);
    std::printf("stage_decode_ms_per_frame: %.2f\n", Ms(t.decodeNs, t.decodedFrames));
    std::printf("stage_colour_conversion_ms_per_frame: %.2f\n", Ms(t.convertNs, t.presentedFrames));
    std::printf("stage_upload_ms_per_frame: %.2f\n", Ms(t.uploadNs, t.presentedFrames));
    std::printf("stage_draw_and_present_ms_per_frame: %.2f\n", Ms(t.presentNs, t.presentedFrames));
  } else if (mode == "realtime") {
    std::printf("frames_presented: %llu\n", static_cast<unsigned long long>(t.presentedFrames));
    std::printf("frames_dropped: %llu\n", static_cast<unsigned long long>(t.droppedFrames));
  } else {
    std::printf("rss_after_first_minute_kb: %ld\n", rssAtMinute);
    std::printf("rss_peak_kb: %ld\n", rssPeak);
    std::printf("rss_growth: %.3f\n", rssAtMinute ? static_cast<double>(rssPeak) / rssAtMinute : 0.0);
  }
  XDestroyWindow(display, window);
  XCloseDisplay(display);
  return 0;
}
