// The player over the whole chain: real graph, the program's allocator-presenter, the GL
// device on an X window under Xvfb, pixels read back from the server.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "Clips.h"
#include "GlTestSupport.h"
#include "GraphHarness.h"
#include "scene/PlaneScene.h"
#include "video/KrGraphPlayer.h"

namespace {

using namespace std::chrono_literals;

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under scripts/test (Xvfb)";
    window_ = std::make_unique<TestWindow>(480, 360);
    settings_.nPixelPerSec = 0;
    settings_.fSpeedScale = 1.0f;
    settings_.plugin = LoadGridPlugin("Split3x3");
    TakePostedMessages();
  }
  void TearDown() override {
    d3d9_testing::SetReportPow2Textures(false);
    d3d9_testing::SetDeviceLoss(d3d9_testing::LossState::None);
  }

  bool Open(CKrGraphPlayer& player, const std::string& clip) {
    return player.Open(ClipPathW(clip).c_str(), window_->hwnd(), &settings_);
  }
  static int SetCount(const CKrGraphPlayer& p) {
    return !!p.m_pGraph + !!p.m_pVmr + !!p.m_pAllocator + !!p.m_pControl + !!p.m_pEvent + !!p.m_pSeeking +
           !!p.m_pAudio;
  }
  static bool WaitForComplete(CKrGraphPlayer& player, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
      LONG code;
      LONG_PTR p1, p2;
      while (SUCCEEDED(player.m_pEvent->GetEvent(&code, &p1, &p2, 0))) {
        player.m_pEvent->FreeEventParams(code, p1, p2);
        if (code == EC_COMPLETE) return true;
      }
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }
  // Share of the window's pixels within a few steps of the colour, the best of a few
  // captures over up to three seconds (a loaded machine may draw late).
  double ShareOf(std::uint32_t colour) {
    double best = 0;
    for (int attempt = 0; attempt < 15 && best <= 0.5; ++attempt) {
      const Capture shot = CaptureWindow(window_->hwnd());
      std::size_t n = 0;
      for (std::uint32_t p : shot.pixels) n += Near(p, colour, 12);
      if (!shot.pixels.empty()) best = std::max(best, static_cast<double>(n) / static_cast<double>(shot.pixels.size()));
      if (best <= 0.5) std::this_thread::sleep_for(200ms);
    }
    return best;
  }

  std::unique_ptr<TestWindow> window_;
  SceneSettings settings_;
};

constexpr std::uint32_t kSolid = 0x3060C0;  // the solid clip's colour

TEST_F(PlayerTest, GoodClipsOpenStoppedPlayOnThePlanesAndComplete) {
  for (const char* clip : {"h264_sound.mp4", "vp9_silent.webm", "mpeg4_sound.avi", "solid_color.mp4"}) {
    CKrGraphPlayer player;
    ASSERT_TRUE(Open(player, clip)) << clip;
    EXPECT_EQ(SetCount(player), 7);
    OAFilterState state = -1;
    ASSERT_EQ(player.m_pControl->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Stopped);
    ASSERT_EQ(player.m_pControl->Run(), S_OK);
    if (std::string(clip) == "solid_color.mp4") {
      std::this_thread::sleep_for(500ms);
      // Nine planes, each the whole 4:3 frame: most of the 4:3 window is the clip's colour,
      // converted from YUV on the GPU through the copy texture.
      EXPECT_GT(ShareOf(kSolid), 0.5) << "the clip's pixels are not on the planes";
    }
    EXPECT_TRUE(WaitForComplete(player, 15s)) << clip;
    const auto posted = TakePostedMessages();
    ASSERT_FALSE(posted.empty()) << clip;
    EXPECT_EQ(posted.back().window, window_->hwnd());
    EXPECT_EQ(posted.back().msg, WM_GRAPH_EVENT);
    EXPECT_EQ(posted.back().lParam, 0);
    player.Close();
    EXPECT_EQ(SetCount(player), 0);
  }
}

class PlayerBadInputTest : public PlayerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(PlayerBadInputTest, FailsWithEveryPointerNullAndAGoodClipOpensRightAfter) {
  CKrGraphPlayer player;
  const std::string name = GetParam();
  const std::wstring path = name.empty() ? std::wstring() : ClipPathW(name);
  EXPECT_FALSE(player.Open(path.c_str(), window_->hwnd(), &settings_));
  EXPECT_EQ(SetCount(player), 0);
  EXPECT_TRUE(Open(player, "h264_silent.mp4"));
  EXPECT_EQ(SetCount(player), 7);
}

INSTANTIATE_TEST_SUITE_P(Inputs, PlayerBadInputTest, kBadInputs, BadInputName);

TEST_F(PlayerTest, OpenWhilePlayingStopsAndReleasesTheOldGraphAndCloseIsHarmless) {
  CKrGraphPlayer player;
  player.Close();  // idle
  EXPECT_EQ(SetCount(player), 0);
  ASSERT_TRUE(Open(player, "h264_sound.mp4"));
  ASSERT_EQ(player.m_pControl->Run(), S_OK);
  std::this_thread::sleep_for(200ms);
  CComPtr<IMediaControl> old = player.m_pControl;
  ASSERT_TRUE(Open(player, "vp9_silent.webm"));
  OAFilterState state = -1;
  EXPECT_EQ(old->GetState(0, &state), S_OK);
  EXPECT_EQ(state, State_Stopped);
  EXPECT_EQ(old.Detach()->Release(), 0u) << "the player kept a reference to the old graph";
  EXPECT_FALSE(player.Open(L"", window_->hwnd(), &settings_));
  EXPECT_EQ(SetCount(player), 0);
  player.Close();
  player.Close();
}

TEST_F(PlayerTest, DestroyingPlayersMidPlayNeverDeadlocks) {
  const char* clips[] = {"h264_sound.mp4", "vp9_sound.webm", "mpeg4_silent.avi"};
  for (int i = 0; i < 100; ++i) {
    CKrGraphPlayer player;
    ASSERT_TRUE(Open(player, clips[i % 3]));
    ASSERT_EQ(player.m_pControl->Run(), S_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds((i % 4) * 20));
  }
}

TEST_F(PlayerTest, SeekThenPositionAndMute) {
  CKrGraphPlayer player;
  ASSERT_TRUE(Open(player, "h264_sound.mp4"));
  LONGLONG pos = kSecond;
  player.m_pSeeking->SetPositions(&pos, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
  LONGLONG current = 0;
  ASSERT_EQ(player.m_pSeeking->GetPositions(&current, nullptr), S_OK);
  EXPECT_NEAR(static_cast<double>(current), static_cast<double>(kSecond), kSecond / 30.0);
  ASSERT_EQ(player.m_pControl->Run(), S_OK);
  ASSERT_EQ(player.m_pSeeking->GetPositions(&current, nullptr), S_OK);
  EXPECT_NEAR(static_cast<double>(current), static_cast<double>(kSecond), kSecond / 30.0);
  ASSERT_EQ(player.m_pAudio->put_Volume(-10000), S_OK);
  LONG volume = 0;
  player.m_pAudio->get_Volume(&volume);
  EXPECT_EQ(volume, -10000);
  EXPECT_TRUE(WaitForComplete(player, 10s));
}

TEST_F(PlayerTest, PowerOfTwoDevicePlaysThe720x480Clip) {
  d3d9_testing::SetReportPow2Textures(true);
  settings_.plugin = LoadGridPlugin("Split8x8");
  CKrGraphPlayer player;
  ASSERT_TRUE(Open(player, "h264_720x480.mp4"));
  ASSERT_EQ(player.m_pControl->Run(), S_OK);
  std::this_thread::sleep_for(400ms);
  const Capture shot = CaptureWindow(window_->hwnd());
  std::size_t lit = 0;
  for (std::uint32_t p : shot.pixels) lit += p != 0;
  EXPECT_GT(lit, shot.pixels.size() / 4) << "nothing drawn";
  EXPECT_TRUE(WaitForComplete(player, 10s));
}

TEST_F(PlayerTest, DeviceLossThenRebuildAndPlaybackGoesOn) {
  CKrGraphPlayer player;
  ASSERT_TRUE(Open(player, "solid_color.mp4"));
  ASSERT_EQ(player.m_pControl->Run(), S_OK);
  std::this_thread::sleep_for(200ms);
  d3d9_testing::SetDeviceLoss(d3d9_testing::LossState::Lost);
  std::this_thread::sleep_for(300ms);
  d3d9_testing::SetDeviceLoss(d3d9_testing::LossState::NotReset);
  std::this_thread::sleep_for(600ms);  // rebuilt, renderer allocated anew, frames drawn again
  EXPECT_GT(ShareOf(kSolid), 0.5) << "no picture after the device was rebuilt";
  EXPECT_TRUE(WaitForComplete(player, 10s));
}

}  // namespace
