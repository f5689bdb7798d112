// Switches and counters of the media layer for tests and benchmarks; the program never
// uses them.
#pragma once

#include <cstdint>

namespace media_testing {

// On: the renderer presents each frame as soon as it is decoded, without waiting for its
// time (throughput measurements). Off by default.
void SetFreeRunning(bool on);
bool FreeRunning();

// Where the time of each frame goes, summed over every graph since the last reset.
struct StageTimes {
  std::uint64_t decodedFrames = 0;
  std::uint64_t decodeNs = 0;     // decoder calls, per decoded frame
  std::uint64_t presentedFrames = 0;
  std::uint64_t droppedFrames = 0;  // late frames the renderer let go
  std::uint64_t convertNs = 0;    // pixel format conversion (swscale) into the surface
  std::uint64_t uploadNs = 0;     // copy into the locked surface and its unlock
  std::uint64_t presentNs = 0;    // PresentImage: drawing and present by the presenter
};
StageTimes GetStageTimes();
void ResetStageTimes();

// Internal: the stages add their times here.
void AddDecoded(std::uint64_t ns);
void AddPresented(std::uint64_t convertNs, std::uint64_t uploadNs, std::uint64_t presentNs);
void AddDropped();

}  // namespace media_testing
