#include "media_testing.h"

#include <atomic>

namespace media_testing {
namespace {
std::atomic<bool> g_freeRunning{false};
std::atomic<std::uint64_t> g_decodedFrames{0}, g_decodeNs{0}, g_presentedFrames{0}, g_droppedFrames{0},
    g_convertNs{0}, g_uploadNs{0}, g_presentNs{0};
}  // namespace

void SetFreeRunning(bool on) { g_freeRunning = on; }
bool FreeRunning() { return g_freeRunning.load(std::memory_order_relaxed); }

StageTimes GetStageTimes() {
  StageTimes t;
  t.decodedFrames = g_decodedFrames;
  t.decodeNs = g_decodeNs;
  t.presentedFrames = g_presentedFrames;
  t.droppedFrames = g_droppedFrames;
  t.convertNs = g_convertNs;
  t.uploadNs = g_uploadNs;
  t.presentNs = g_presentNs;
  return t;
}

void ResetStageTimes() {
  for (auto* c : {&g_decodedFrames, &g_decodeNs, &g_presentedFrames, &g_droppedFrames, &g_convertNs, &g_uploadNs,
                  &g_presentNs})
    c->store(0);
}

void AddDecoded(std::uint64_t ns) {
  g_decodedFrames.fetch_add(1, std::memory_order_relaxed);
  g_decodeNs.fetch_add(ns, std::memory_order_relaxed);
}

void AddPresented(std::uint64_t convertNs, std::uint64_t uploadNs, std::uint64_t presentNs) {
  g_presentedFrames.fetch_add(1, std::memory_order_relaxed);
  g_convertNs.fetch_add(convertNs, std::memory_order_relaxed);
  g_uploadNs.fetch_add(uploadNs, std::memory_order_relaxed);
  g_presentNs.fetch_add(presentNs, std::memory_order_relaxed);
}

void AddDropped() { g_droppedFrames.fetch_add(1, std::memory_order_relaxed); }

}  // namespace media_testing
