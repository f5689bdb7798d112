#include "video/KrVmrSurfaceAllocator.h"

#include <cstring>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "GlTestSupport.h"

namespace {

// Stands in for the renderer's side: makes surfaces on the device it was given, as the
// renderer does, records every call and checks its arguments.
class RecorderNotify final : public IVMRSurfaceAllocatorNotify9 {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown || riid == IID_IVMRSurfaceAllocatorNotify9) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }

  HRESULT AdviseSurfaceAllocator(DWORD_PTR, IVMRSurfaceAllocator9*) override { return E_NOTIMPL; }
  HRESULT SetD3DDevice(IDirect3DDevice9* device, HMONITOR monitor) override {
    EXPECT_NE(device, nullptr);
    EXPECT_NE(monitor, nullptr);
    ++setDeviceCalls;
    this->device = device;
    return S_OK;
  }
  HRESULT ChangeD3DDevice(IDirect3DDevice9* device, HMONITOR monitor) override {
    EXPECT_NE(device, nullptr);
    EXPECT_NE(monitor, nullptr);
    EXPECT_NE(device, this->device.p());
    ++changeDeviceCalls;
    this->device = device;
    return S_OK;
  }
  HRESULT AllocateSurfaceHelper(VMR9AllocationInfo* info, DWORD* count, IDirect3DSurface9** slots) override {
    EXPECT_NE(slots, nullptr);
    EXPECT_GT(*count, 0u);
    requests.push_back(*info);
    for (DWORD i = 0; i < *count; ++i) {
      EXPECT_EQ(slots[i], nullptr) << "slot " << i << " not emptied before allocating";
      HRESULT hr;
      if ((info->dwFlags & VMR9AllocFlag_TextureSurface) && refuseTextures) {
        hr = E_FAIL;
      } else if (info->dwFlags & VMR9AllocFlag_TextureSurface) {
        CComPtr<IDirect3DTexture9> texture;
        hr = device->CreateTexture(info->dwWidth, info->dwHeight, 1, 0, info->Format, D3DPOOL_DEFAULT, &texture,
                                   nullptr);
        if (SUCCEEDED(hr)) hr = texture->GetSurfaceLevel(0, &slots[i]);
      } else {
        hr = device->CreateOffscreenPlainSurface(info->dwWidth, info->dwHeight, info->Format, D3DPOOL_DEFAULT,
                                                 &slots[i], nullptr);
      }
      if (FAILED(hr)) {
        for (DWORD j = 0; j < i; ++j) {
          slots[j]->Release();
          slots[j] = nullptr;
        }
        return hr;
      }
    }
    return S_OK;
  }

  bool refuseTextures = false;  // a renderer that cannot make texture surfaces
  ULONG refs = 1;
  int setDeviceCalls = 0;
  int changeDeviceCalls = 0;
  CComPtr<IDirect3DDevice9> device;
  std::vector<VMR9AllocationInfo> requests;
};

class AllocatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<TestWindow>(240, 180);
    settings_.plugin = LoadGridPlugin("Split3x3");
    bool ok = false;
    allocator_ = new CKrVmrSurfaceAllocator(window_->hwnd(), ok, &settings_);
    ASSERT_TRUE(ok);
    ASSERT_EQ(allocator_->AdviseNotify(&notify_), S_OK);
    ASSERT_EQ(notify_.setDeviceCalls, 1);
  }

  // Every reference is back: the allocator goes with its last release, the notifier holds no
  // reference, and the device goes with the renderer's.
  void TearDown() override {
    d3d9_testing::SetReportPow2Textures(false);
    d3d9_testing::SetDeviceLoss(d3d9_testing::LossState::None);
    if (allocator_) {
      EXPECT_EQ(static_cast<IVMRSurfaceAllocator9*>(allocator_)->Release(), 0u);
    }
    EXPECT_EQ(notify_.refs, 1u);
    if (notify_.device) {
      EXPECT_EQ(notify_.device.Detach()->Release(), 0u);
    }
  }

  VMR9AllocationInfo Request(DWORD width, DWORD height, D3DFORMAT format) {
    VMR9AllocationInfo info{};
    info.dwWidth = width;
    info.dwHeight = height;
    info.Format = format;
    info.Pool = D3DPOOL_DEFAULT;
    info.MinBuffers = 3;
    info.szAspectRatio = SIZE{LONG(width), LONG(height)};
    info.szNativeSize = info.szAspectRatio;
    return info;
  }

  // Writes a solid frame into a surface the way the renderer does, for RGB or YV12.
  void FillSurface(IDirect3DSurface9* surface, std::uint32_t rgb, BYTE y, BYTE u, BYTE v) {
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(surface->GetDesc(&desc), S_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), S_OK);
    auto* bits = static_cast<BYTE*>(locked.pBits);
    if (desc.Format == D3DFMT_YV12) {
      std::memset(bits, y, locked.Pitch * desc.Height);
      std::memset(bits + locked.Pitch * desc.Height, v, locked.Pitch / 2 * desc.Height / 2);
      std::memset(bits + locked.Pitch * desc.Height + locked.Pitch / 2 * desc.Height / 2, u,
                  locked.Pitch / 2 * desc.Height / 2);
    } else {
      for (UINT row = 0; row < desc.Height; ++row)
        for (UINT x = 0; x < desc.Width; ++x) reinterpret_cast<std::uint32_t*>(bits + row * locked.Pitch)[x] = rgb;
    }
    ASSERT_EQ(surface->UnlockRect(), S_OK);
  }

  HRESULT Present(IDirect3DSurface9* surface, SIZE aspect) {
    VMR9PresentationInfo info{};
    info.lpSurf = surface;
    info.szAspectRatio = aspect;
    return allocator_->PresentImage(0, &info);
  }

  // The centre of plane 4 (the middle of the 3 x 3 grid).
  std::uint32_t MiddlePlanePixel() { return CaptureWindow(window_->hwnd()).at(120, 90); }

  std::unique_ptr<TestWindow> window_;
  SceneSettings settings_;
  RecorderNotify notify_;
  CKrVmrSurfaceAllocator* allocator_ = nullptr;
};

TEST_F(AllocatorTest, QueryInterfaceGivesBothFacesOfOneObject) {
  void* face = nullptr;
  ASSERT_EQ(allocator_->QueryInterface(IID_IVMRImagePresenter9, &face), S_OK);
  EXPECT_EQ(face, static_cast<IVMRImagePresenter9*>(allocator_));
  void* primary = nullptr;
  ASSERT_EQ(static_cast<IVMRImagePresenter9*>(face)->QueryInterface(IID_IUnknown, &primary), S_OK);
  EXPECT_EQ(primary, static_cast<IVMRSurfaceAllocator9*>(allocator_));
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(allocator_->QueryInterface(IID_IDirect3DTexture9, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(allocator_->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  // Three references now; releases through either face count on one object.
  EXPECT_EQ(static_cast<IVMRImagePresenter9*>(face)->Release(), 2u);
  EXPECT_EQ(static_cast<IUnknown*>(static_cast<IVMRSurfaceAllocator9*>(primary))->Release(), 1u);
}

TEST_F(AllocatorTest, ConstructionFailsOnAWindowThatIsGone) {
  TestWindow other(32, 32);
  const HWND gone = other.hwnd();
  other.Destroy();
  bool ok = true;
  auto* allocator = new CKrVmrSurfaceAllocator(gone, ok, &settings_);
  EXPECT_FALSE(ok);
  EXPECT_EQ(static_cast<IVMRSurfaceAllocator9*>(allocator)->Release(), 0u);
  EXPECT_EQ(allocator_->StartPresenting(0), S_OK);
}

TEST_F(AllocatorTest, RgbFramesAreDrawnFromTheRenderersOwnTextures) {
  VMR9AllocationInfo info = Request(64, 48, D3DFMT_X8R8G8B8);
  DWORD count = 3;
  ASSERT_EQ(allocator_->InitializeDevice(0, &info, &count), S_OK);
  ASSERT_EQ(notify_.requests.size(), 1u);
  EXPECT_TRUE(notify_.requests[0].dwFlags & VMR9AllocFlag_TextureSurface);
  EXPECT_EQ(notify_.requests[0].dwWidth, 64u);  // no power-of-two device: size unchanged

  IDirect3DSurface9* untouched = reinterpret_cast<IDirect3DSurface9*>(1);
  EXPECT_EQ(allocator_->GetSurface(0, 3, 0, &untouched), E_FAIL);
  EXPECT_EQ(untouched, reinterpret_cast<IDirect3DSurface9*>(1));
  EXPECT_EQ(allocator_->GetSurface(0, 0, 0, nullptr), E_POINTER);

  ASSERT_EQ(allocator_->StartPresenting(0), S_OK);
  for (DWORD i = 0; i < 3; ++i) {
    CComPtr<IDirect3DSurface9> surface;
    ASSERT_EQ(allocator_->GetSurface(0, i, 0, &surface), S_OK);
    FillSurface(surface, 0x00FF00, 0, 0, 0);
    EXPECT_EQ(Present(surface, SIZE{4, 3}), S_OK);
  }
  EXPECT_TRUE(Near(MiddlePlanePixel(), 0x00FF00, 8)) << std::hex << MiddlePlanePixel();
  EXPECT_EQ(allocator_->StopPresenting(0), S_OK);
  EXPECT_EQ(allocator_->TerminateDevice(0), S_OK);
}

TEST_F(AllocatorTest, YuvFramesGoThroughTheCopyTexture) {
  VMR9AllocationInfo info = Request(64, 48, D3DFMT_YV12);
  DWORD count = 2;
  ASSERT_EQ(allocator_->InitializeDevice(0, &info, &count), S_OK);
  ASSERT_EQ(notify_.requests.size(), 2u);
  EXPECT_TRUE(notify_.requests[0].dwFlags & VMR9AllocFlag_TextureSurface);
  EXPECT_FALSE(notify_.requests[1].dwFlags & VMR9AllocFlag_TextureSurface);
  EXPECT_TRUE(notify_.requests[1].dwFlags & VMR9AllocFlag_OffscreenSurface);

  CComPtr<IDirect3DSurface9> surface;
  ASSERT_EQ(allocator_->GetSurface(0, 1, 0, &surface), S_OK);
  void* container = nullptr;
  EXPECT_EQ(surface->GetContainer(IID_IDirect3DTexture9, &container), E_NOINTERFACE);
  FillSurface(surface, 0, 81, 90, 240);  // BT.601 red
  ASSERT_EQ(Present(surface, SIZE{4, 3}), S_OK);
  EXPECT_TRUE(Near(MiddlePlanePixel(), 0xFF0000, 6)) << std::hex << MiddlePlanePixel();
}

TEST_F(AllocatorTest, RgbRefusedAsTexturesGetsPlainSurfacesThatCannotBeDrawn) {
  notify_.refuseTextures = true;
  VMR9AllocationInfo info = Request(64, 48, D3DFMT_X8R8G8B8);
  DWORD count = 1;
  ASSERT_EQ(allocator_->InitializeDevice(0, &info, &count), S_OK);
  ASSERT_EQ(notify_.requests.size(), 2u);
  EXPECT_TRUE(notify_.requests[1].dwFlags & VMR9AllocFlag_OffscreenSurface);
  CComPtr<IDirect3DSurface9> surface;
  ASSERT_EQ(allocator_->GetSurface(0, 0, 0, &surface), S_OK);
  EXPECT_EQ(Present(surface, SIZE{4, 3}), E_NOINTERFACE);  // no copy texture for RGB

  // A 3D render target request gets no second try.
  info = Request(64, 48, D3DFMT_X8R8G8B8);
  info.dwFlags = VMR9AllocFlag_3DRenderTarget;
  EXPECT_EQ(allocator_->InitializeDevice(0, &info, &count), S_OK);
  EXPECT_EQ(notify_.requests.size(), 3u);
}

TEST_F(AllocatorTest, PowerOfTwoDeviceEnlargesTheRequest) {
  d3d9_testing::SetReportPow2Textures(true);
  struct Case {
    DWORD width, height, potWidth, potHeight;
  } cases[] = {{720, 480, 1024, 512}, {1, 0, 1, 1}, {1024, 1024, 1024, 1024}, {33, 17, 64, 32}};
  for (const Case& c : cases) {
    VMR9AllocationInfo info = Request(c.width, c.height, D3DFMT_X8R8G8B8);
    DWORD count = 1;
    const HRESULT hr = allocator_->InitializeDevice(0, &info, &count);
    EXPECT_EQ(info.dwWidth, c.potWidth);
    EXPECT_EQ(info.dwHeight, c.potHeight);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(notify_.requests.back().dwWidth, c.potWidth);
  }
}

TEST_F(AllocatorTest, DeviceLossDropsFramesThenRebuildsOnce) {
  VMR9AllocationInfo info = Request(64, 48, D3DFMT_X8R8G8B8);
  DWORD count = 1;
  ASSERT_EQ(allocator_->InitializeDevice(0, &info, &count), S_OK);
  CComPtr<IDirect3DSurface9> surface;
  ASSERT_EQ(allocator_->GetSurface(0, 0, 0, &surface), S_OK);
  FillSurface(surface, 0x0000FF, 0, 0, 0);

  d3d9_testing::SetDeviceLoss(d3d9_testing::LossState::Lost);
  EXPECT_EQ(Present(surface, SIZE{4, 3}), S_OK);
  EXPECT_EQ(Present(surface, SIZE{4, 3}), S_OK);
  EXPECT_EQ(notify_.changeDeviceCalls, 0);

  d3d9_testing::SetDeviceLoss(d3d9_testing::LossState::NotReset);
  IDirect3DDevice9* oldDevice = notify_.device;
  EXPECT_EQ(Present(surface, SIZE{4, 3}), S_OK);
  EXPECT_EQ(notify_.changeDeviceCalls, 1);
  EXPECT_NE(notify_.device.p(), oldDevice);
  IDirect3DSurface9* released = reinterpret_cast<IDirect3DSurface9*>(1);
  ASSERT_EQ(allocator_->GetSurface(0, 0, 0, &released), S_OK);
  EXPECT_EQ(released, nullptr);  // the slots were emptied for the new device
  surface.Release();  // the last of the old device's surfaces

  // The renderer allocates again on the new device and playback goes on.
  info = Request(64, 48, D3DFMT_X8R8G8B8);
  ASSERT_EQ(allocator_->InitializeDevice(0, &info, &count), S_OK);
  ASSERT_EQ(allocator_->GetSurface(0, 0, 0, &surface), S_OK);
  FillSurface(surface, 0xFF0000, 0, 0, 0);
  EXPECT_EQ(Present(surface, SIZE{4, 3}), S_OK);
  EXPECT_TRUE(Near(MiddlePlanePixel(), 0xFF0000, 8)) << std::hex << MiddlePlanePixel();
}

TEST_F(AllocatorTest, CallsWithoutWhatTheyNeedAreRefused) {
  DWORD count = 1;
  VMR9AllocationInfo info = Request(64, 48, D3DFMT_X8R8G8B8);
  EXPECT_EQ(allocator_->InitializeDevice(0, &info, nullptr), E_POINTER);
  EXPECT_EQ(allocator_->PresentImage(0, nullptr), E_POINTER);
  VMR9PresentationInfo empty{};
  EXPECT_EQ(allocator_->PresentImage(0, &empty), E_POINTER);
  IDirect3DSurface9* surface = nullptr;
  EXPECT_EQ(allocator_->GetSurface(0, 0, 0, &surface), E_FAIL);  // nothing allocated yet
  EXPECT_EQ(allocator_->AdviseNotify(nullptr), E_POINTER);

  bool ok = false;
  auto* fresh = new CKrVmrSurfaceAllocator(window_->hwnd(), ok, &settings_);
  ASSERT_TRUE(ok);
  EXPECT_EQ(fresh->InitializeDevice(0, &info, &count), E_FAIL);  // no notifier yet
  EXPECT_EQ(static_cast<IVMRSurfaceAllocator9*>(fresh)->Release(), 0u);
}

}  // namespace
