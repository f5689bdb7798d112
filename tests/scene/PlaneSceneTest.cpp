#include "scene/PlaneScene.h"

#include <atomic>
#include <cmath>
#include <thread>

#include "DeviceFixture.h"
#include "winbase.h"

namespace {

DWORD g_ticks = 0;
DWORD TestTicks() { return g_ticks; }

// A picture of 64 x 48 in four coloured quadrants.
std::uint32_t Picture(UINT x, UINT y) { return Quadrants(x, y, 64, 48); }

class PlaneSceneTest : public DeviceFixture {
 protected:
  void TearDown() override {
    SetTickSourceForTesting(nullptr);
    DeviceFixture::TearDown();
  }

  std::unique_ptr<CKrPlaneScene> MakeScene(const PluginRecord& plugin, UINT pixelPerSec = 0, float scale = 1.0f) {
    SceneSettings settings;
    settings.nPixelPerSec = pixelPerSec;
    settings.fSpeedScale = scale;
    settings.plugin = plugin;
    bool ok = false;
    auto scene = std::make_unique<CKrPlaneScene>(settings, ok);
    EXPECT_TRUE(ok);
    return scene;
  }

  // Draws one frame of the plug-in on a window of the size and returns what the window shows.
  Capture DrawLayout(const char* plugin, int width, int height, SIZE aspect) {
    Open(width, height);
    auto scene = MakeScene(LoadGridPlugin(plugin));
    EXPECT_EQ(scene->PrepareDevice(device_), S_OK);
    auto texture = MakeTexture(64, 48, Picture);
    EXPECT_EQ(scene->Draw(device_, texture, aspect), S_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    return CaptureWindow(window_->hwnd());
  }
};

// Where a grid plane lands, in window pixels with y down, from the grid formulas.
struct PlaneRect {
  double left, top, width, height;
};
PlaneRect GridPlane(int n, int index, int sw, int sh, int vw, int vh) {
  const int cellW = sw / n, cellH = sh / n;
  int planeW, planeH;
  if (sw * vh < vw * sh) {
    planeW = cellW;
    planeH = vh * cellW / vw;
  } else {
    planeH = cellH;
    planeW = vw * cellH / vh;
  }
  const double x0 = (cellW - planeW) * 0.5 - sw / 2, y0 = (cellH - planeH) * 0.5 - sh / 2;
  const double x = (index % n) * cellW + x0, y = (index / n) * cellH + y0;
  return {x + sw / 2.0, sh / 2.0 - (y + planeH), double(planeW), double(planeH)};
}

// Every plane shows the whole picture the right way up, at its place.
void ExpectGrid(const Capture& shot, int n, SIZE aspect) {
  for (int i = 0; i < n * n; ++i) {
    const PlaneRect r = GridPlane(n, i, shot.width, shot.height, aspect.cx, aspect.cy);
    const struct {
      double fx, fy;
      std::uint32_t colour;
    } probes[] = {{0.25, 0.25, 0xFF0000}, {0.75, 0.25, 0x00FF00}, {0.25, 0.75, 0x0000FF}, {0.75, 0.75, 0xFFFFFF}};
    for (const auto& p : probes) {
      const int x = static_cast<int>(r.left + r.width * p.fx), y = static_cast<int>(r.top + r.height * p.fy);
      EXPECT_TRUE(Near(shot.at(x, y), p.colour, 16))
          << "plane " << i << " at " << x << "," << y << ": " << std::hex << shot.at(x, y);
    }
  }
}

TEST_F(PlaneSceneTest, Split3x3On1024x768LeavesTheRightmostColumnBlack) {
  const Capture shot = DrawLayout("Split3x3", 1024, 768, SIZE{4, 3});
  ASSERT_EQ(shot.width, 1024);
  shot.WritePng(BuildDirectory() + "/scene_layout_3x3.png");
  ExpectGrid(shot, 3, SIZE{4, 3});
  // Plane 0 spans x -512 .. -171 and y -384 .. -128: window columns 0..340, rows 512..767.
  EXPECT_TRUE(Near(shot.at(0, 767), 0x0000FF, 16));
  EXPECT_TRUE(Near(shot.at(340, 512), 0x00FF00, 16));
  for (int y = 0; y < 768; y += 7) EXPECT_EQ(shot.at(1023, y), 0x000000u) << "row " << y;
}

TEST_F(PlaneSceneTest, Split8x8On800x600PutsPlane63TopRight) {
  const Capture shot = DrawLayout("Split8x8", 800, 600, SIZE{4, 3});
  shot.WritePng(BuildDirectory() + "/scene_layout_8x8.png");
  ExpectGrid(shot, 8, SIZE{4, 3});
  // No bars: the corners of the window are the corners of the outer planes.
  EXPECT_TRUE(Near(shot.at(701, 1), 0xFF0000, 16));   // plane 63's top-left quadrant
  EXPECT_TRUE(Near(shot.at(798, 1), 0x00FF00, 16));   // ... and its top-right
  EXPECT_TRUE(Near(shot.at(1, 598), 0x0000FF, 16));   // plane 0's bottom-left
}

TEST_F(PlaneSceneTest, WideVideoOn1280x1024HasBlackBars) {
  const Capture shot = DrawLayout("Split3x3", 1280, 1024, SIZE{16, 9});
  ExpectGrid(shot, 3, SIZE{16, 9});
  // y0 = -461: 51 black rows under the bottom row of planes (rows 973..1023), and above it.
  for (int x = 5; x < 1270; x += 50) {
    EXPECT_EQ(shot.at(x, 1020), 0x000000u);
    EXPECT_EQ(shot.at(x, 682), 0x000000u);  // y -170: the bars between grid rows 0 and 1
  }
}

TEST_F(PlaneSceneTest, PowerOfTwoTextureShowsOnlyTheFramePart) {
  Open(720, 480);
  auto scene = MakeScene(LoadGridPlugin("Split3x3"));
  ASSERT_EQ(scene->SetTextureExtent(720.0f / 1024.0f, 480.0f / 512.0f), S_OK);
  ASSERT_EQ(scene->PrepareDevice(device_), S_OK);
  // The frame in the top-left 720 x 480, magenta in the unused rest of the texture.
  auto texture = MakeTexture(1024, 512, [](UINT x, UINT y) {
    return x < 720 && y < 480 ? Quadrants(x, y, 720, 480) : 0xFF00FFu;
  });
  ASSERT_EQ(scene->Draw(device_, texture, SIZE{720, 480}), S_OK);
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
  const Capture shot = CaptureWindow(window_->hwnd());
  ExpectGrid(shot, 3, SIZE{720, 480});
  int magenta = 0;
  for (std::uint32_t p : shot.pixels)
    if (Red(p) > 100 && Blue(p) > 100 && Green(p) < Red(p) - 60 && Green(p) < Blue(p) - 60) ++magenta;
  EXPECT_EQ(magenta, 0);
}

TEST_F(PlaneSceneTest, DrawRefusesBeforePrepareDeviceAndWithoutArguments) {
  Open(64, 48);
  auto scene = MakeScene(LoadGridPlugin("Split3x3"));
  auto texture = MakeTexture(4, 4, [](UINT, UINT) { return 0u; });
  EXPECT_EQ(scene->Draw(device_, texture, SIZE{4, 3}), D3DERR_INVALIDCALL);
  EXPECT_EQ(scene->Draw(nullptr, texture, SIZE{4, 3}), E_POINTER);
  EXPECT_EQ(scene->Draw(device_, nullptr, SIZE{4, 3}), E_POINTER);
  EXPECT_EQ(scene->PrepareDevice(nullptr), E_POINTER);
}

// A plug-in around Split3x3 that can refuse its vertices and records the scroll distance.
PluginRecord g_inner;
std::atomic<bool> g_refuse{false};
std::atomic<int> g_lastScroll{-1};
BOOL WINAPI RecordingUpdate(int nScroll, const SIZE* target, const SIZE* aspect, float* coords, int count) {
  g_lastScroll = nScroll;
  if (g_refuse) return FALSE;
  return g_inner.pfnUpdateVertexCoordinate(nScroll, target, aspect, coords, count);
}
PluginRecord RecordingPlugin() {
  g_inner = LoadGridPlugin("Split3x3");
  PluginRecord record = g_inner;
  record.pfnUpdateVertexCoordinate = RecordingUpdate;
  return record;
}

TEST_F(PlaneSceneTest, RefusedVerticesFailTheFrameWithoutClearing) {
  Open(300, 240);
  auto scene = MakeScene(RecordingPlugin());
  ASSERT_EQ(scene->PrepareDevice(device_), S_OK);
  auto texture = MakeTexture(64, 48, Picture);
  g_refuse = false;
  ASSERT_EQ(scene->Draw(device_, texture, SIZE{4, 3}), S_OK);
  g_refuse = true;
  EXPECT_EQ(scene->Draw(device_, texture, SIZE{4, 3}), E_FAIL);
  g_refuse = false;
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
  ExpectGrid(CaptureWindow(window_->hwnd()), 3, SIZE{4, 3});  // the first frame is still there
}

TEST_F(PlaneSceneTest, ScrollDistanceFollowsTheTicksAcrossScenes) {
  Open(64, 48);
  SetTickSourceForTesting(TestTicks);
  auto texture = MakeTexture(4, 4, [](UINT, UINT) { return 0u; });
  struct Case {
    const char* name;
    DWORD start;  // the process-wide start before the scene is set up (0: not yet)
    DWORD prepareAt, drawAt;
    UINT pixelPerSec;
    float scale;
    int expected;
  } cases[] = {
      {"100 px/s for 2.5 s", 0, 1000, 3500, 100, 1.0f, 250},
      {"preview speed", 0, 1000, 3500, 100, 0.25f, 62},
      {"speed 0", 0, 1000, 90000, 0, 1.0f, 0},
      {"second scene continues", 1000, 60000, 61000, 100, 1.0f, 6000},
      {"tick counter wraps", 0xFFFFF000u, 5, 0x00000FA0u, 100, 1.0f, 809},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_dwScrollStart = c.start;
    auto scene = MakeScene(RecordingPlugin(), c.pixelPerSec, c.scale);
    g_ticks = c.prepareAt;
    ASSERT_EQ(scene->PrepareDevice(device_), S_OK);
    EXPECT_EQ(g_dwScrollStart, c.start ? c.start : c.prepareAt);
    g_ticks = c.drawAt;
    ASSERT_EQ(scene->Draw(device_, texture, SIZE{4, 3}), S_OK);
    EXPECT_EQ(g_lastScroll, c.expected);
  }
}

TEST_F(PlaneSceneTest, ConstructionFailsWithoutTextureCoordinates) {
  PluginRecord noFunction = LoadGridPlugin("Split3x3");
  noFunction.pfnSetTextureCoordinate = nullptr;
  PluginRecord wrongCount = LoadGridPlugin("Split3x3");
  wrongCount.nPlanes = 8;  // the plug-in refuses 64 floats
  for (const PluginRecord& record : {noFunction, wrongCount}) {
    SceneSettings settings;
    settings.plugin = record;
    bool ok = true;
    CKrPlaneScene scene(settings, ok);
    EXPECT_FALSE(ok);
  }
}

TEST_F(PlaneSceneTest, DrawingOnOneThreadWhileAnotherCreatesTextures) {
  Open(240, 180);
  auto scene = MakeScene(LoadGridPlugin("Split3x3"));
  ASSERT_EQ(scene->PrepareDevice(device_), S_OK);
  auto texture = MakeTexture(64, 48, Picture);
  std::atomic<bool> failed{false};
  std::thread drawer([&] {
    for (int i = 0; i < 60; ++i) {
      if (FAILED(scene->Draw(device_, texture, SIZE{4, 3})) ||
          FAILED(device_->Present(nullptr, nullptr, nullptr, nullptr)))
        failed = true;
    }
  });
  for (int i = 0; i < 60; ++i) {
    auto other = MakeTexture(32, 32, [i](UINT, UINT) { return static_cast<std::uint32_t>(i) * 0x010101u; });
    CComPtr<IDirect3DSurface9> level;
    ASSERT_EQ(other->GetSurfaceLevel(0, &level), S_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(level->LockRect(&locked, nullptr, 0), S_OK);
    EXPECT_EQ(static_cast<std::uint32_t*>(locked.pBits)[0] & 0xFFFFFFu, static_cast<std::uint32_t>(i) * 0x010101u);
    ASSERT_EQ(level->UnlockRect(), S_OK);
  }
  drawer.join();
  EXPECT_FALSE(failed);
  ASSERT_EQ(scene->Draw(device_, texture, SIZE{4, 3}), S_OK);
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
  ExpectGrid(CaptureWindow(window_->hwnd()), 3, SIZE{4, 3});
}

}  // namespace
