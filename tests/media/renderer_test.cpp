// The renderer's side of the allocator-presenter protocol, over real clips, with a
// recording allocator-presenter and a memory device.
#include <fstream>

#include "GraphHarness.h"
#include "VideoRenderer.h"

namespace {

struct GoodClip {
  const char* file;
  LONG width, height;
  D3DFORMAT format;
  LONG aspectX, aspectY;
  double seconds;
};

class GoodClipTest : public MediaTest, public ::testing::WithParamInterface<GoodClip> {};

TEST_P(GoodClipTest, OpensStoppedNegotiatesAndPlaysToCompletion) {
  const GoodClip& clip = GetParam();
  Graph g;
  ASSERT_EQ(g.Open(ClipPathW(clip.file)), S_OK);
  OAFilterState state = -1;
  ASSERT_EQ(g.control->GetState(0, &state), S_OK);
  EXPECT_EQ(state, State_Stopped);

  const auto allocations = g.recorder->Allocations();
  ASSERT_EQ(allocations.size(), 1u);
  const auto& a = allocations[0];
  EXPECT_TRUE(a.onUiThread);
  EXPECT_EQ(a.info.Format, clip.format);
  EXPECT_EQ(a.info.szNativeSize.cx, clip.width);
  EXPECT_EQ(a.info.szNativeSize.cy, clip.height);
  EXPECT_EQ(a.info.dwWidth, static_cast<DWORD>(clip.width));
  EXPECT_EQ(a.info.dwHeight, static_cast<DWORD>(clip.height));
  EXPECT_EQ(a.info.szAspectRatio.cx, clip.aspectX);
  EXPECT_EQ(a.info.szAspectRatio.cy, clip.aspectY);
  EXPECT_FALSE(a.texture) << "YUV texture surfaces are refused, offscreen surfaces are used";
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(g.recorder->Presentations().empty()) << "nothing moves before Run";

  ASSERT_EQ(g.control->Run(), S_OK);
  ASSERT_TRUE(g.WaitForEvent(EC_COMPLETE, std::chrono::seconds(20)));
  const auto shown = g.recorder->Presentations();
  ASSERT_FALSE(shown.empty());
  EXPECT_LT(shown.front().start, kSecond / 10);
  EXPECT_NEAR(static_cast<double>(shown.back().end) / kSecond, clip.seconds, 0.1);
  for (std::size_t i = 1; i < shown.size(); ++i) ASSERT_GT(shown[i].start, shown[i - 1].start);
  EXPECT_EQ(shown.front().src.right, clip.width);
  EXPECT_EQ(shown.front().src.bottom, clip.height);
  EXPECT_EQ(g.recorder->starts.load(), 1);

  ASSERT_EQ(g.control->Stop(), S_OK);
  EXPECT_EQ(g.recorder->stops.load(), 1);
  const std::size_t count = g.recorder->Presentations().size();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(g.recorder->Presentations().size(), count) << "a frame was presented after Stop returned";
  EXPECT_TRUE(g.recorder->Errors().empty()) << g.recorder->Errors().front();
}

INSTANTIATE_TEST_SUITE_P(
    Clips, GoodClipTest,
    ::testing::Values(GoodClip{"h264_sound.mp4", 320, 240, D3DFMT_YV12, 4, 3, 3.0},
                      GoodClip{"h264_silent.mp4", 320, 240, D3DFMT_YV12, 4, 3, 2.0},
                      GoodClip{"vp9_sound.webm", 320, 240, D3DFMT_YV12, 4, 3, 2.0},
                      GoodClip{"vp9_silent.webm", 320, 240, D3DFMT_YV12, 4, 3, 2.0},
                      GoodClip{"mpeg4_sound.avi", 320, 240, D3DFMT_YV12, 4, 3, 2.0},
                      GoodClip{"mpeg4_silent.avi", 320, 240, D3DFMT_YV12, 4, 3, 2.0},
                      GoodClip{"h264_720x480.mp4", 720, 480, D3DFMT_YV12, 3, 2, 2.0},
                      GoodClip{"nv12_raw.nut", 160, 120, D3DFMT_NV12, 4, 3, 1.0},
                      GoodClip{"h264_yuv444.mp4", 320, 240, D3DFMT_YV12, 4, 3, 1.0},
                      GoodClip{"h264_sar.mp4", 352, 240, D3DFMT_YV12, 4, 3, 1.0}),
    [](const auto& info) {
      std::string name = info.param.file;
      for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

class BadInputTest : public MediaTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BadInputTest, FailsLeavesNothingRunningAndAGoodClipOpensNext) {
  const std::string name = GetParam();
  const int threads = ThreadCount();
  {
    Graph g;
    const std::wstring path = name.empty() ? std::wstring() : ClipPathW(name);
    const HRESULT hr = g.Open(path);
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_TRUE(g.recorder->Allocations().empty());
  }
  EXPECT_EQ(ThreadCount(), threads);
  Graph good;
  EXPECT_EQ(good.Open(ClipPathW("h264_silent.mp4")), S_OK);
}

INSTANTIATE_TEST_SUITE_P(Inputs, BadInputTest, kBadInputs, BadInputName);

// The solid clip's colour, as the renderer wrote it: YUV when the presenter takes YUV, and
// converted to X8R8G8B8 (in a texture surface) when it refuses YUV.
TEST_F(MediaTest, SolidClipPixelsReachTheSurfaceInBothFormats) {
  for (const bool refuseYuv : {false, true}) {
    auto* recorder = new Recorder;
    recorder->refuseYuv = refuseYuv;
    Graph g(recorder);
    ASSERT_EQ(g.Open(ClipPathW("solid_color.mp4")), S_OK);
    ASSERT_EQ(g.control->Run(), S_OK);
    ASSERT_TRUE(g.WaitForEvent(EC_COMPLETE, std::chrono::seconds(10)));
    const auto allocations = recorder->Allocations();
    const auto shown = recorder->Presentations();
    ASSERT_FALSE(shown.empty());
    const auto& p = shown.back().centre;
    if (!refuseYuv) {
      ASSERT_EQ(allocations.size(), 1u);
      EXPECT_EQ(shown.back().format, D3DFMT_YV12);
      EXPECT_NEAR(p.a, 95, 3);  // Y
      EXPECT_NEAR(p.b, 177, 3);  // U
      EXPECT_NEAR(p.c, 100, 3);  // V
      EXPECT_EQ(shown.back().color.matrix, YuvMatrix::Bt601);
      EXPECT_FALSE(shown.back().color.fullRange);
    } else {
      ASSERT_EQ(allocations.size(), 2u);
      EXPECT_EQ(allocations[0].info.Format, D3DFMT_YV12);
      EXPECT_EQ(allocations[1].info.Format, D3DFMT_X8R8G8B8);
      EXPECT_TRUE(allocations[1].texture);
      EXPECT_EQ(shown.back().format, D3DFMT_X8R8G8B8);
      EXPECT_NEAR(p.a, 48, 4);   // R
      EXPECT_NEAR(p.b, 96, 4);   // G
      EXPECT_NEAR(p.c, 192, 4);  // B
    }
    EXPECT_TRUE(recorder->Errors().empty());
  }
}

TEST_F(MediaTest, AllocateSurfaceHelperMakesTexturesOrPlainSurfacesOnTheGivenDevice) {
  CComPtr<IBaseFilter> vmr;
  ASSERT_EQ(CoCreateInstance(CLSID_VideoMixingRenderer9, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                             reinterpret_cast<void**>(&vmr)),
            S_OK);
  CComPtr<IVMRSurfaceAllocatorNotify9> notify;
  ASSERT_EQ(vmr.QueryInterface(&notify), S_OK);
  VMR9AllocationInfo info{VMR9AllocFlag_TextureSurface, 64, 32, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, 2, {2, 1}, {64, 32}};
  IDirect3DSurface9* surfaces[2] = {};
  DWORD count = 2;
  EXPECT_EQ(notify->AllocateSurfaceHelper(&info, &count, surfaces), VFW_E_WRONG_STATE) << "no device yet";

  CComPtr<memdev::Device> device;
  device.Attach(new memdev::Device);
  ASSERT_EQ(notify->SetD3DDevice(device, nullptr), S_OK);
  EXPECT_EQ(notify->AllocateSurfaceHelper(nullptr, &count, surfaces), E_POINTER);
  EXPECT_EQ(notify->AllocateSurfaceHelper(&info, nullptr, surfaces), E_POINTER);
  DWORD zero = 0;
  EXPECT_EQ(notify->AllocateSurfaceHelper(&info, &zero, surfaces), E_INVALIDARG);

  struct Case {
    DWORD flags;
    D3DFORMAT format;
    HRESULT result;
    bool texture;
  };
  for (const Case& c : {Case{VMR9AllocFlag_TextureSurface, D3DFMT_X8R8G8B8, S_OK, true},
                        Case{VMR9AllocFlag_TextureSurface, D3DFMT_YV12, D3DERR_NOTAVAILABLE, false},
                        Case{VMR9AllocFlag_OffscreenSurface, D3DFMT_YV12, S_OK, false},
                        Case{VMR9AllocFlag_OffscreenSurface, D3DFMT_NV12, S_OK, false},
                        Case{VMR9AllocFlag_OffscreenSurface, D3DFMT_X8R8G8B8, S_OK, false}}) {
    info.dwFlags = c.flags;
    info.Format = c.format;
    count = 2;
    ASSERT_EQ(notify->AllocateSurfaceHelper(&info, &count, surfaces), c.result) << c.flags << " " << c.format;
    for (IDirect3DSurface9*& s : surfaces) {
      if (FAILED(c.result)) {
        EXPECT_EQ(s, nullptr);
        continue;
      }
      ASSERT_NE(s, nullptr);
      D3DSURFACE_DESC desc;
      s->GetDesc(&desc);
      EXPECT_EQ(desc.Format, c.format);
      EXPECT_EQ(desc.Width, 64u);
      EXPECT_EQ(desc.Height, 32u);
      CComPtr<IDirect3DTexture9> texture;
      EXPECT_EQ(SUCCEEDED(s->GetContainer(IID_IDirect3DTexture9, reinterpret_cast<void**>(&texture))), c.texture);
      s->Release();
      s = nullptr;
    }
  }
}

TEST_F(MediaTest, SeekLandsOnThePositionStoppedAndRunning) {
  Graph g;
  ASSERT_EQ(g.Open(ClipPathW("h264_sound.mp4")), S_OK);  // 30 fps, key frame every second
  const REFERENCE_TIME frame = kSecond / 30;
  LONGLONG pos = kSecond + kSecond / 2;  // half-way between key frames
  ASSERT_EQ(g.seeking->SetPositions(&pos, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning), S_OK);
  LONGLONG current = -1, stop = -1;
  ASSERT_EQ(g.seeking->GetPositions(&current, &stop), S_OK);
  EXPECT_EQ(current, pos);
  EXPECT_NEAR(static_cast<double>(stop), 3.0 * kSecond, 0.1 * kSecond);

  ASSERT_EQ(g.control->Run(), S_OK);
  ASSERT_EQ(g.seeking->GetPositions(&current, nullptr), S_OK);
  EXPECT_NEAR(static_cast<double>(current), static_cast<double>(pos), static_cast<double>(frame));
  auto shown = g.recorder->Presentations();
  ASSERT_FALSE(shown.empty()) << "Run returns once the first frame is presented";
  EXPECT_LE(shown.front().start, pos);
  EXPECT_GT(shown.front().end, pos);

  pos = 2 * kSecond + kSecond / 3;
  const std::size_t before = shown.size();
  ASSERT_EQ(g.seeking->SetPositions(&pos, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning), S_OK);
  ASSERT_EQ(g.seeking->GetPositions(&current, nullptr), S_OK);
  EXPECT_NEAR(static_cast<double>(current), static_cast<double>(pos), static_cast<double>(frame));
  shown = g.recorder->Presentations();
  ASSERT_GT(shown.size(), before);
  EXPECT_LE(shown[before].start, pos);
  EXPECT_GT(shown[before].end, pos);
  ASSERT_TRUE(g.WaitForEvent(EC_COMPLETE, std::chrono::seconds(10)));

  EXPECT_EQ(g.seeking->SetPositions(&pos, 0x2 /* relative */, nullptr, AM_SEEKING_NoPositioning), E_INVALIDARG);
  EXPECT_EQ(g.seeking->SetPositions(nullptr, AM_SEEKING_AbsolutePositioning, nullptr, 0), E_POINTER);
  EXPECT_TRUE(g.recorder->Errors().empty());
}

TEST_F(MediaTest, PauseHoldsThePictureAndTheClock) {
  Graph g;
  ASSERT_EQ(g.Open(ClipPathW("h264_silent.mp4")), S_OK);
  ASSERT_EQ(g.control->Run(), S_OK);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_EQ(g.control->Pause(), S_OK);
  OAFilterState state;
  g.control->GetState(0, &state);
  EXPECT_EQ(state, State_Paused);
  LONGLONG at = 0, later = 0;
  g.seeking->GetPositions(&at, nullptr);
  const std::size_t shown = g.recorder->Presentations().size();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  g.seeking->GetPositions(&later, nullptr);
  EXPECT_EQ(later, at);
  EXPECT_EQ(g.recorder->Presentations().size(), shown);
  EXPECT_GT(at, kSecond / 10);
  ASSERT_EQ(g.control->Run(), S_OK);
  ASSERT_TRUE(g.WaitForEvent(EC_COMPLETE, std::chrono::seconds(10)));
  EXPECT_GT(g.recorder->Presentations().size(), shown);
}

TEST_F(MediaTest, DeviceChangeReallocatesOnTheStreamingThreadAndPlaybackGoesOn) {
  auto* recorder = new Recorder;
  recorder->changeDeviceAtPresent = 10;
  Graph g(recorder);
  ASSERT_EQ(g.Open(ClipPathW("h264_silent.mp4")), S_OK);
  ASSERT_EQ(g.control->Run(), S_OK);
  ASSERT_TRUE(g.WaitForEvent(EC_COMPLETE, std::chrono::seconds(10)));
  const auto allocations = recorder->Allocations();
  ASSERT_EQ(allocations.size(), 2u);
  EXPECT_FALSE(allocations[1].onUiThread);
  EXPECT_EQ(allocations[1].info.Format, D3DFMT_YV12);
  EXPECT_GE(recorder->terminations.load(), 1);
  EXPECT_GT(recorder->Device()->created.load(), 0) << "the new surfaces are on the new device";
  EXPECT_GT(recorder->Presentations().size(), 20u);
  EXPECT_TRUE(recorder->Errors().empty());
}

TEST_F(MediaTest, NotifyWindowGetsOneMessagePerEventAndCompleteComesOnce) {
  Graph g;
  ASSERT_EQ(g.Open(ClipPathW("vp9_silent.webm")), S_OK);
  ASSERT_EQ(g.events->SetNotifyWindow(0x1234, WM_APP + 1, 0), S_OK);
  LONG code;
  LONG_PTR p1, p2;
  EXPECT_EQ(g.events->GetEvent(&code, &p1, &p2, 0), E_ABORT);
  ASSERT_EQ(g.control->Run(), S_OK);
  ASSERT_EQ(g.events->GetEvent(&code, &p1, &p2, 10000), S_OK);
  EXPECT_EQ(code, EC_COMPLETE);
  EXPECT_EQ(g.events->FreeEventParams(code, p1, p2), S_OK);
  EXPECT_EQ(g.events->GetEvent(&code, &p1, &p2, 300), E_ABORT);
  const auto posted = TakePostedMessages();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(IdFromHwnd(posted[0].window), 0x1234u);
  EXPECT_EQ(posted[0].msg, WM_APP + 1);
  EXPECT_EQ(posted[0].wParam, 0u);
  EXPECT_EQ(posted[0].lParam, 0);
}

// Damage in the middle of the file: the bad pictures are skipped and the movie completes.
TEST_F(MediaTest, DamagedAndCutFilesPlayWhatTheyCanAndComplete) {
  const std::string damaged = ClipPath("tmp_damaged_by_test.mp4");
  {
    std::ifstream in(ClipPath("h264_silent.mp4"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::size_t i = bytes.size() / 3; i < bytes.size() / 3 + 20000; ++i) bytes[i] = static_cast<char>(i * 7);
    std::ofstream(damaged, std::ios::binary) << bytes;
  }
  for (const std::string& path : {damaged, ClipPath("truncated_faststart.mp4")}) {
    Graph g;
    ASSERT_EQ(g.Open(std::wstring(path.begin(), path.end())), S_OK) << path;
    ASSERT_EQ(g.control->Run(), S_OK);
    EXPECT_TRUE(g.WaitForEvent(EC_COMPLETE, std::chrono::seconds(10))) << path;
    EXPECT_GT(g.recorder->Presentations().size(), 10u) << path;
  }
  std::remove(damaged.c_str());
}

TEST_F(MediaTest, DestroyingGraphsMidPlayNeverDeadlocksNorLeaks) {
  const int threads = ThreadCount();
  const char* clips[] = {"h264_sound.mp4", "h264_silent.mp4", "vp9_sound.webm", "mpeg4_sound.avi"};
  for (int i = 0; i < 100; ++i) {
    Graph g;
    ASSERT_EQ(g.Open(ClipPathW(clips[i % 4])), S_OK);
    if (i % 3 != 0) {
      ASSERT_EQ(g.control->Run(), S_OK);
    }
    if (i % 5 == 1) {
      LONGLONG pos = kSecond / 2;
      g.seeking->SetPositions(&pos, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds((i % 4) * 15));
    // Released in the player's order, without Stop, while the threads run.
  }
  EXPECT_EQ(ThreadCount(), threads);
}

}  // namespace
