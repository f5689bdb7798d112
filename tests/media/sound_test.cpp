// Sound reaching the PulseAudio null sink. Runs alone: any other movie playing at the same
// time would be heard on the same sink.
#include <cstdio>
#include <cstdlib>
#include <future>

#include "GraphHarness.h"

namespace {

// Peak sample of what the null sink plays during the next 2.5 s (SIGINT lets parec flush).
int PeakOnNullSink() {
  FILE* rec = popen("timeout -s INT 2.5 parec --latency-msec=20 -d ov_null.monitor --format=s16le --channels=1 --rate=8000 --raw 2>/dev/null",
                    "r");
  if (!rec) return -1;
  int peak = 0;
  std::int16_t s[1024];
  std::size_t n;
  while ((n = fread(s, sizeof(std::int16_t), 1024, rec)) > 0)
    for (std::size_t i = 0; i < n; ++i) peak = std::max(peak, std::abs(static_cast<int>(s[i])));
  pclose(rec);
  return peak;
}

TEST_F(MediaTest, SoundPlaysIntoTheSinkUnlessMuted) {
  ASSERT_NE(std::getenv("PULSE_SERVER"), nullptr) << "run under scripts/test (PulseAudio null sink)";
  for (const bool muted : {false, true}) {
    Graph g;
    ASSERT_EQ(g.Open(ClipPathW("h264_sound.mp4")), S_OK);
    LONG volume = 1;
    ASSERT_EQ(g.audio->get_Volume(&volume), S_OK);
    EXPECT_EQ(volume, 0);
    if (muted) {
      ASSERT_EQ(g.audio->put_Volume(-10000), S_OK);
    }
    auto recording = std::async(std::launch::async, PeakOnNullSink);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the recorder is connected
    ASSERT_EQ(g.control->Run(), S_OK);
    const int peak = recording.get();
    if (muted) {
      EXPECT_LT(peak, 50);
    } else {
      EXPECT_GT(peak, 500) << "the tone (amplitude 1/8) did not reach the sink";
    }
    ASSERT_TRUE(g.WaitForEvent(EC_COMPLETE, std::chrono::seconds(10)));
  }
}

}  // namespace
