#include "winbase.h"

#include <chrono>
#include <ctime>

namespace {

std::atomic<TickSource> g_tickSource{nullptr};

DWORD MonotonicTicks() {
  using namespace std::chrono;
  auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  return static_cast<DWORD>(static_cast<std::uint64_t>(ms));
}

// Linear congruential generator with the classic runtime constants; only the main thread
// shuffles, but the state is atomic so that a stray caller cannot tear it.
std::atomic<std::uint32_t> g_randState{1};

}  // namespace

DWORD GetTickCount() {
  TickSource source = g_tickSource.load();
  return source ? source() : MonotonicTicks();
}

void SetTickSourceForTesting(TickSource source) { g_tickSource.store(source); }

std::int64_t CurrentTimeSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

void SeedRandom(unsigned int seed) { g_randState.store(seed); }

int DrawRandom() {
  std::uint32_t next = g_randState.load() * 214013u + 2531011u;
  g_randState.store(next);
  return static_cast<int>((next >> 16) & 0x7FFF);
}
