#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "DeviceFixture.h"
#include "winuser.h"

namespace {

using DeviceTest = DeviceFixture;

TEST(Direct3DCreate9Test, NullWithoutDisplayOrWithWrongVersion) {
  EXPECT_EQ(Direct3DCreate9(31), nullptr);
  const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
  ASSERT_FALSE(display.empty()) << "the suites need an X server";
  setenv("DISPLAY", ":4242", 1);
  EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
  setenv("DISPLAY", display.c_str(), 1);
}

TEST(Direct3DCreate9Test, AdapterIsTheDefaultScreen) {
  CComPtr<IDirect3D9> d3d;
  d3d.Attach(Direct3DCreate9(D3D_SDK_VERSION));
  ASSERT_NE(d3d.p(), nullptr);
  int width = 0, height = 0;
  DefaultScreenSize(&width, &height);
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), S_OK);
  EXPECT_EQ(mode.Width, static_cast<UINT>(width));
  EXPECT_EQ(mode.Height, static_cast<UINT>(height));
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  EXPECT_NE(d3d->GetAdapterMonitor(D3DADAPTER_DEFAULT), nullptr);
  EXPECT_EQ(d3d->GetAdapterDisplayMode(1, &mode), D3DERR_INVALIDCALL);
}

TEST(IsWindowTest, AnswersForOwnForeignAndGoneWindows) {
  TestWindow window(64, 48);
  EXPECT_TRUE(IsWindow(window.hwnd()));
  EXPECT_TRUE(IsWindow(DefaultRootWindowHandle()));  // a window we did not make
  const HWND gone = window.hwnd();
  window.Destroy();
  EXPECT_FALSE(IsWindow(gone));
  EXPECT_FALSE(IsWindow(nullptr));
  EXPECT_FALSE(IsWindow(HwndFromId(0x7FFFFFF0)));
  EXPECT_FALSE(IsWindow(HwndFromId(0x1FFFFFFFFull)));
}

TEST_F(DeviceTest, BackBufferTakesTheClientSizeAndIsTheFirstRenderTarget) {
  Open(321, 203);
  CComPtr<IDirect3DSurface9> backBuffer, target;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), S_OK);
  ASSERT_EQ(device_->GetRenderTarget(0, &target), S_OK);
  EXPECT_EQ(backBuffer.p(), target.p());
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(backBuffer->GetDesc(&desc), S_OK);
  EXPECT_EQ(desc.Width, 321u);
  EXPECT_EQ(desc.Height, 203u);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  void* container = reinterpret_cast<void*>(1);
  EXPECT_EQ(backBuffer->GetContainer(IID_IDirect3DTexture9, &container), E_NOINTERFACE);
  EXPECT_EQ(container, nullptr);
  D3DLOCKED_RECT locked{};
  EXPECT_EQ(backBuffer->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, CreateDeviceRefusesAWindowThatIsGone) {
  TestWindow window(32, 32);
  const HWND gone = window.hwnd();
  window.Destroy();
  d3d_.Attach(Direct3DCreate9(D3D_SDK_VERSION));
  D3DPRESENT_PARAMETERS parameters{};
  parameters.hDeviceWindow = gone;
  parameters.Windowed = TRUE;
  IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(1);
  EXPECT_TRUE(FAILED(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, gone, 0x24, &parameters, &device)));
  EXPECT_EQ(device, nullptr);
}

TEST_F(DeviceTest, TextureFormatsSizesAndThePowerOfTwoSwitch) {
  Open(64, 64);
  struct Case {
    UINT width, height;
    DWORD usage;
    D3DFORMAT format;
    bool pow2;
    HRESULT expected;
  } cases[] = {
      {720, 480, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, false, S_OK},
      {720, 480, 0, D3DFMT_A8R8G8B8, false, S_OK},
      {720, 480, 0, D3DFMT_YV12, false, D3DERR_NOTAVAILABLE},
      {720, 480, D3DUSAGE_RENDERTARGET, D3DFMT_NV12, false, D3DERR_NOTAVAILABLE},
      {720, 480, 0, D3DFMT_X8R8G8B8, true, D3DERR_INVALIDCALL},
      {1024, 512, 0, D3DFMT_X8R8G8B8, true, S_OK},
      {0, 16, 0, D3DFMT_X8R8G8B8, false, D3DERR_INVALIDCALL},
  };
  for (const Case& c : cases) {
    d3d9_testing::SetReportPow2Textures(c.pow2);
    D3DCAPS9 caps{};
    ASSERT_EQ(device_->GetDeviceCaps(&caps), S_OK);
    EXPECT_EQ((caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0, c.pow2);
    CComPtr<IDirect3DTexture9> texture;
    const D3DPOOL pool = c.usage ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
    EXPECT_EQ(device_->CreateTexture(c.width, c.height, 1, c.usage, c.format, pool, &texture, nullptr), c.expected)
        << c.width << "x" << c.height << " format " << c.format;
    EXPECT_EQ(texture.p() != nullptr, c.expected == S_OK);
  }
  d3d9_testing::SetReportPow2Textures(false);
}

TEST_F(DeviceTest, DeviceLossSwitchDrivesPresentAndCooperativeLevel) {
  Open(64, 64);
  EXPECT_EQ(device_->TestCooperativeLevel(), S_OK);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
  d3d9_testing::SetDeviceLoss(d3d9_testing::LossState::Lost);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
  d3d9_testing::SetDeviceLoss(d3d9_testing::LossState::NotReset);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  // A new device starts found.
  device_.Release();
  Open(64, 64);
  EXPECT_EQ(device_->TestCooperativeLevel(), S_OK);
}

TEST_F(DeviceTest, ResourcesKeepTheDeviceAndGoFromAnyThread) {
  Open(64, 64);
  CComPtr<IDirect3DTexture9> texture;
  ASSERT_EQ(device_->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &texture,
                                   nullptr),
            S_OK);
  CComPtr<IDirect3DSurface9> level;
  ASSERT_EQ(texture->GetSurfaceLevel(0, &level), S_OK);
  IDirect3DTexture9* container = nullptr;
  ASSERT_EQ(level->GetContainer(IID_IDirect3DTexture9, reinterpret_cast<void**>(&container)), S_OK);
  EXPECT_EQ(container, texture.p());
  container->Release();
  ASSERT_EQ(device_->SetRenderTarget(0, level), S_OK);
  ASSERT_EQ(device_->SetTexture(0, texture), S_OK);

  // The device goes first from the test's point of view; the texture keeps it alive, and the
  // last release, on another thread, frees both.
  IDirect3DDevice9* device = device_.Detach();
  EXPECT_EQ(device->Release(), 1u);  // the texture still holds it
  level.Release();
  IDirect3DTexture9* last = texture.Detach();
  std::thread([last] { EXPECT_EQ(last->Release(), 0u); }).join();
}

TEST_F(DeviceTest, ClockwiseCullingDrawsThePlugInWindingOnly) {
  Open(200, 100);
  SetPixelProjection(200, 100);
  auto white = MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFu; });
  ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW), S_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), S_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0), S_OK);
  DrawQuad(white, -100, -50, 0, 50);                       // left half, plug-in order
  DrawQuad(white, 0, -50, 100, 50, /*otherWinding=*/true);  // right half, reversed
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
  const Capture shot = CaptureWindow(window_->hwnd());
  ASSERT_EQ(shot.width, 200);
  EXPECT_EQ(shot.at(50, 50), 0xFFFFFFu);
  EXPECT_EQ(shot.at(150, 50), 0x000000u);
}

TEST_F(DeviceTest, ATextureShowsTheRightWayUpOnTheWindowAndThroughARenderTarget) {
  Open(200, 100);
  SetPixelProjection(200, 100);
  auto picture = MakeTexture(8, 8, [](UINT x, UINT y) { return Quadrants(x, y, 8, 8); });
  ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW), S_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), S_OK);

  // Copy the picture into a render-target texture by drawing it there, then show that.
  CComPtr<IDirect3DTexture9> target;
  ASSERT_EQ(device_->CreateTexture(200, 100, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target,
                                   nullptr),
            S_OK);
  CComPtr<IDirect3DSurface9> targetLevel, backBuffer;
  ASSERT_EQ(target->GetSurfaceLevel(0, &targetLevel), S_OK);
  ASSERT_EQ(device_->GetRenderTarget(0, &backBuffer), S_OK);
  ASSERT_EQ(device_->SetRenderTarget(0, targetLevel), S_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0), S_OK);
  DrawQuad(picture, -100, -50, 100, 50);
  ASSERT_EQ(device_->SetRenderTarget(0, backBuffer), S_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0), S_OK);
  DrawQuad(picture, -100, -50, 0, 50);  // left: straight from the texture
  DrawQuad(target, 0, -50, 100, 50);    // right: through the render target
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);

  const Capture shot = CaptureWindow(window_->hwnd());
  ASSERT_EQ(shot.height, 100);
  for (int left : {0, 100}) {
    SCOPED_TRACE(left);
    EXPECT_TRUE(Near(shot.at(left + 10, 10), 0xFF0000, 8)) << std::hex << shot.at(left + 10, 10);
    EXPECT_TRUE(Near(shot.at(left + 90, 10), 0x00FF00, 8)) << std::hex << shot.at(left + 90, 10);
    EXPECT_TRUE(Near(shot.at(left + 10, 90), 0x0000FF, 8)) << std::hex << shot.at(left + 10, 90);
    EXPECT_TRUE(Near(shot.at(left + 90, 90), 0xFFFFFF, 8)) << std::hex << shot.at(left + 90, 90);
  }
}

TEST_F(DeviceTest, CallsOutOfOrderAreRefused) {
  Open(32, 32);
  EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);  // outside a scene
  ASSERT_EQ(device_->BeginScene(), S_OK);
  EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);  // no stream
  CComPtr<IDirect3DVertexBuffer9> vb;
  ASSERT_EQ(device_->CreateVertexBuffer(100, 0, D3DFVF_XYZ | D3DFVF_TEX1, D3DPOOL_MANAGED, &vb, nullptr), S_OK);
  ASSERT_EQ(device_->SetStreamSource(0, vb, 0, 20), S_OK);
  ASSERT_EQ(device_->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1), S_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), S_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 2, 2), D3DERR_INVALIDCALL);  // past the buffer
  EXPECT_EQ(device_->EndScene(), S_OK);
  void* data = nullptr;
  EXPECT_EQ(vb->Lock(60, 41, &data, 0), D3DERR_INVALIDCALL);
  ASSERT_EQ(vb->Lock(60, 0, &data, 0), S_OK);
  EXPECT_EQ(vb->Lock(0, 0, &data, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Unlock(), S_OK);
  EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
}

}  // namespace
