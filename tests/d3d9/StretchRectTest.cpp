#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "DeviceFixture.h"

namespace {

class StretchRectTest : public DeviceFixture {
 protected:
  void SetUp() override {
    Open(200, 100);
    SetPixelProjection(200, 100);
    ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW), S_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), S_OK);
  }

  // Copies the surface into a render-target texture of its size and shows that on the window.
  Capture CopyAndShow(IDirect3DSurface9* source) {
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(source->GetDesc(&desc), S_OK);
    CComPtr<IDirect3DTexture9> target;
    EXPECT_EQ(device_->CreateTexture(desc.Width, desc.Height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                     D3DPOOL_DEFAULT, &target, nullptr),
              S_OK);
    CComPtr<IDirect3DSurface9> level;
    EXPECT_EQ(target->GetSurfaceLevel(0, &level), S_OK);
    EXPECT_EQ(device_->StretchRect(source, nullptr, level, nullptr, D3DTEXF_NONE), S_OK);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0), S_OK);
    DrawQuad(target, -100, -50, 100, 50);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    return CaptureWindow(window_->hwnd());
  }

  // Fills a YV12 or NV12 surface: luma from the function of the row, one chroma pair.
  CComPtr<IDirect3DSurface9> MakeYuv(D3DFORMAT format, UINT width, UINT height, BYTE (*luma)(UINT row, UINT height),
                                     BYTE u, BYTE v) {
    CComPtr<IDirect3DSurface9> surface;
    EXPECT_EQ(device_->CreateOffscreenPlainSurface(width, height, format, D3DPOOL_DEFAULT, &surface, nullptr), S_OK);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(surface->LockRect(&locked, nullptr, 0), S_OK);
    auto* bits = static_cast<BYTE*>(locked.pBits);
    const UINT pitch = static_cast<UINT>(locked.Pitch);
    for (UINT y = 0; y < height; ++y) std::memset(bits + y * pitch, luma(y, height), width);
    BYTE* chroma = bits + pitch * height;
    for (UINT y = 0; y < height / 2; ++y) {
      if (format == D3DFMT_YV12) {
        std::memset(chroma + y * (pitch / 2), v, width / 2);                           // V plane
        std::memset(chroma + (pitch / 2) * (height / 2) + y * (pitch / 2), u, width / 2);  // U plane
      } else {
        for (UINT x = 0; x < width / 2; ++x) {
          chroma[y * pitch + 2 * x] = u;
          chroma[y * pitch + 2 * x + 1] = v;
        }
      }
    }
    EXPECT_EQ(surface->UnlockRect(), S_OK);
    return surface;
  }
};

TEST_F(StretchRectTest, RgbOffscreenSurfaceKeepsItsOrientation) {
  CComPtr<IDirect3DSurface9> surface;
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(40, 20, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &surface, nullptr), S_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), S_OK);
  EXPECT_GE(locked.Pitch, 40 * 4);
  for (UINT y = 0; y < 20; ++y)
    for (UINT x = 0; x < 40; ++x)
      reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x] =
          Quadrants(x, y, 40, 20);
  ASSERT_EQ(surface->UnlockRect(), S_OK);
  const Capture shot = CopyAndShow(surface);
  EXPECT_TRUE(Near(shot.at(20, 20), 0xFF0000, 8)) << std::hex << shot.at(20, 20);
  EXPECT_TRUE(Near(shot.at(180, 20), 0x00FF00, 8)) << std::hex << shot.at(180, 20);
  EXPECT_TRUE(Near(shot.at(20, 80), 0x0000FF, 8)) << std::hex << shot.at(20, 80);
  EXPECT_TRUE(Near(shot.at(180, 80), 0xFFFFFF, 8)) << std::hex << shot.at(180, 80);
}


TEST_F(StretchRectTest, YuvColoursConvertByMatrixAndRange) {
  struct Case {
    const char* name;
    D3DFORMAT format;
    UINT height;  // below 720 lines BT.601, from 720 BT.709
    bool fullRange;
    BYTE y, u, v;
    std::uint32_t rgb;
  } cases[] = {
      {"601 red", D3DFMT_YV12, 48, false, 81, 90, 240, 0xFF0000},
      {"601 green", D3DFMT_NV12, 48, false, 145, 54, 34, 0x00FF00},
      {"601 blue", D3DFMT_YV12, 48, false, 41, 240, 110, 0x0000FF},
      {"601 white", D3DFMT_NV12, 48, false, 235, 128, 128, 0xFFFFFF},
      {"601 black", D3DFMT_YV12, 48, false, 16, 128, 128, 0x000000},
      {"601 grey", D3DFMT_YV12, 48, false, 126, 128, 128, 0x808080},
      {"709 red", D3DFMT_YV12, 720, false, 63, 102, 240, 0xFF0000},
      {"709 green", D3DFMT_NV12, 720, false, 173, 42, 26, 0x00FF00},
      {"709 blue", D3DFMT_NV12, 720, false, 32, 240, 118, 0x0000FF},
      {"601 full red", D3DFMT_YV12, 48, true, 76, 85, 255, 0xFF0000},
      {"601 full green", D3DFMT_NV12, 48, true, 150, 44, 21, 0x00FF00},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    static BYTE luma;
    luma = c.y;
    auto surface = MakeYuv(c.format, 64, c.height, [](UINT, UINT) { return luma; }, c.u, c.v);
    if (c.fullRange) surface->SetYuvColorInfo(YuvColorInfo{YuvMatrix::Automatic, true});
    const Capture shot = CopyAndShow(surface);
    EXPECT_TRUE(Near(shot.at(100, 50), c.rgb, 4)) << std::hex << shot.at(100, 50);
  }
}

TEST_F(StretchRectTest, YuvFrameKeepsItsOrientation) {
  for (D3DFORMAT format : {D3DFMT_YV12, D3DFMT_NV12}) {
    // White top half, black bottom half.
    auto surface = MakeYuv(format, 64, 48, [](UINT row, UINT height) -> BYTE { return row < height / 2 ? 235 : 16; },
                           128, 128);
    const Capture shot = CopyAndShow(surface);
    EXPECT_TRUE(Near(shot.at(100, 10), 0xFFFFFF, 4)) << std::hex << shot.at(100, 10);
    EXPECT_TRUE(Near(shot.at(100, 90), 0x000000, 4)) << std::hex << shot.at(100, 90);
  }
}

TEST_F(StretchRectTest, RefusesWhatCannotBeCopied) {
  CComPtr<IDirect3DSurface9> source, plainTarget, backBuffer;
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(16, 16, D3DFMT_YV12, D3DPOOL_DEFAULT, &source, nullptr), S_OK);
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(16, 16, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &plainTarget, nullptr),
            S_OK);
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), S_OK);
  EXPECT_EQ(device_->StretchRect(source, nullptr, plainTarget, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->StretchRect(nullptr, nullptr, backBuffer, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
  const RECT outside{0, 0, 17, 16};
  EXPECT_EQ(device_->StretchRect(source, &outside, backBuffer, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(source->LockRect(&locked, nullptr, 0), S_OK);
  EXPECT_EQ(device_->StretchRect(source, nullptr, backBuffer, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
  ASSERT_EQ(source->UnlockRect(), S_OK);
  EXPECT_EQ(device_->StretchRect(source, nullptr, backBuffer, nullptr, D3DTEXF_NONE), S_OK);
}

// A whole frame copied onto a texture of its size matches the same frame drawn by the GPU
// copy onto the window: chroma interpolated the same way in both directions, edges included,
// for even and odd sizes (the GPU rounds its filter weights: a few levels apart at most).
TEST_F(StretchRectTest, WholeYuvCopyMatchesTheDrawnCopy) {
  struct Case {
    D3DFORMAT format;
    UINT width, height;
    bool fullRange;
  } cases[] = {{D3DFMT_YV12, 200, 100, false}, {D3DFMT_NV12, 199, 99, true}, {D3DFMT_YV12, 199, 99, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + (c.format == D3DFMT_NV12 ? " NV12" : " YV12"));
    CComPtr<IDirect3DSurface9> source;
    ASSERT_EQ(device_->CreateOffscreenPlainSurface(c.width, c.height, c.format, D3DPOOL_DEFAULT, &source, nullptr),
              S_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(source->LockRect(&locked, nullptr, 0), S_OK);
    auto* bits = static_cast<BYTE*>(locked.pBits);
    const UINT pitch = static_cast<UINT>(locked.Pitch), cw = (c.width + 1) / 2, ch = (c.height + 1) / 2;
    for (UINT y = 0; y < c.height; ++y)
      for (UINT x = 0; x < c.width; ++x) bits[y * pitch + x] = static_cast<BYTE>(16 + (x * 7 + y * 3) % 220);
    BYTE* chroma = bits + pitch * c.height;
    for (UINT y = 0; y < ch; ++y)
      for (UINT x = 0; x < cw; ++x) {
        const BYTE u = static_cast<BYTE>((x * 37 + y * 11) % 256), v = static_cast<BYTE>((x * 13 + y * 29) % 256);
        if (c.format == D3DFMT_NV12) {
          chroma[y * pitch + 2 * x] = u;
          chroma[y * pitch + 2 * x + 1] = v;
        } else {
          chroma[y * (pitch / 2) + x] = v;
          chroma[(pitch / 2) * ch + y * (pitch / 2) + x] = u;
        }
      }
    ASSERT_EQ(source->UnlockRect(), S_OK);
    source->SetYuvColorInfo(YuvColorInfo{YuvMatrix::Automatic, c.fullRange});

    CComPtr<IDirect3DSurface9> backBuffer;
    ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), S_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0), S_OK);
    const RECT area{0, 0, LONG(c.width), LONG(c.height)};
    ASSERT_EQ(device_->StretchRect(source, nullptr, backBuffer, &area, D3DTEXF_NONE), S_OK);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    const Capture drawn = CaptureWindow(window_->hwnd());

    CComPtr<IDirect3DTexture9> target;
    ASSERT_EQ(device_->CreateTexture(c.width, c.height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                     &target, nullptr),
              S_OK);
    CComPtr<IDirect3DSurface9> level;
    ASSERT_EQ(target->GetSurfaceLevel(0, &level), S_OK);
    ASSERT_EQ(device_->StretchRect(source, nullptr, level, nullptr, D3DTEXF_NONE), S_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0), S_OK);
    DrawQuad(target, -100, 50 - float(c.height), float(c.width) - 100, 50);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    const Capture copied = CaptureWindow(window_->hwnd());

    int worst = 0, wx = 0, wy = 0;
    for (UINT y = 0; y < c.height; ++y)
      for (UINT x = 0; x < c.width; ++x) {
        const std::uint32_t a = drawn.at(int(x), int(y)), b = copied.at(int(x), int(y));
        const int d = std::max({std::abs(Red(a) - Red(b)), std::abs(Green(a) - Green(b)), std::abs(Blue(a) - Blue(b))});
        if (d > worst) worst = d, wx = int(x), wy = int(y);
      }
    EXPECT_LE(worst, 3) << "at " << wx << "," << wy << std::hex << " drawn " << drawn.at(wx, wy) << " copied "
                        << copied.at(wx, wy);
  }
}

}  // namespace
