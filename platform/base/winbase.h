// Critical sections, interlocked counters, the tick count and the runtime's 15-bit generator.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "wintypes.h"

// A re-entrant lock.
struct CRITICAL_SECTION {
  std::recursive_mutex mutex;
};
inline void InitializeCriticalSection(CRITICAL_SECTION*) {}
inline void DeleteCriticalSection(CRITICAL_SECTION*) {}
inline void EnterCriticalSection(CRITICAL_SECTION* cs) { cs->mutex.lock(); }
inline void LeaveCriticalSection(CRITICAL_SECTION* cs) { cs->mutex.unlock(); }

// Holds a critical section for the life of a scope.
class CAutoLock {
 public:
  explicit CAutoLock(CRITICAL_SECTION* cs) : cs_(cs) { EnterCriticalSection(cs_); }
  ~CAutoLock() { LeaveCriticalSection(cs_); }
  CAutoLock(const CAutoLock&) = delete;
  CAutoLock& operator=(const CAutoLock&) = delete;

 private:
  CRITICAL_SECTION* cs_;
};

inline LONG InterlockedIncrement(volatile LONG* p) {
  return std::atomic_ref<LONG>(*const_cast<LONG*>(p)).fetch_add(1) + 1;
}
inline LONG InterlockedDecrement(volatile LONG* p) {
  return std::atomic_ref<LONG>(*const_cast<LONG*>(p)).fetch_sub(1) - 1;
}

// Milliseconds since an arbitrary start, wrapping at 2^32.
DWORD GetTickCount();

// Tests replace the tick source; nullptr gives the monotonic clock back.
using TickSource = DWORD (*)();
void SetTickSourceForTesting(TickSource source);

// Seconds since 1970, as the runtime's time().
std::int64_t CurrentTimeSeconds();

// The runtime's pseudo-random generator: a seed, then draws of 15 bits (0 .. 32767).
constexpr int RAND_MAX_15 = 32767;
void SeedRandom(unsigned int seed);
int DrawRandom();
