// An allocator-presenter that records every call the renderer makes and checks its
// arguments inside the callback (sizes, flags, thread). It allocates through the renderer's
// AllocateSurfaceHelper like the program's allocator-presenter: texture surfaces first, then
// offscreen surfaces when those are refused.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "MemoryDevice.h"
#include "dshow.h"

class Recorder final : public IVMRSurfaceAllocator9, public IVMRImagePresenter9 {
 public:
  static inline std::atomic<int> live{0};

  struct Allocation {
    VMR9AllocationInfo info;  // as asked, before the texture flag was added
    DWORD buffers;
    bool texture;  // texture surfaces were made (else offscreen ones)
    bool onUiThread;
  };
  struct Presentation {
    REFERENCE_TIME start, end;
    SIZE aspect;
    RECT src;
    memdev::Surface::Pixel centre;
    YuvColorInfo color;
    D3DFORMAT format;
  };

  // Options, set before the graph is built.
  bool refuseYuv = false;        // InitializeDevice fails for YUV formats
  int changeDeviceAtPresent = 0;  // on this PresentImage (1-based) hand the renderer a new device

  Recorder() : ui_(std::this_thread::get_id()) {
    device_.Attach(new memdev::Device);
    ++live;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown || riid == IID_IVMRSurfaceAllocator9) {
      *ppv = static_cast<IVMRSurfaceAllocator9*>(this);
    } else if (riid == IID_IVMRImagePresenter9) {
      *ppv = static_cast<IVMRImagePresenter9*>(this);
    } else {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT InitializeDevice(DWORD_PTR id, VMR9AllocationInfo* info, DWORD* count) override {
    std::lock_guard lock(mutex_);
    Check(id == kUserId, "InitializeDevice: user id");
    Check(info && count && *count >= 1, "InitializeDevice: arguments");
    Check(info->dwWidth > 0 && info->dwHeight > 0 && info->szNativeSize.cx > 0, "InitializeDevice: size");
    Check(info->szAspectRatio.cx > 0 && info->szAspectRatio.cy > 0, "InitializeDevice: aspect");
    Check(info->MinBuffers >= 1, "InitializeDevice: MinBuffers");
    Allocation a{*info, *count, false, std::this_thread::get_id() == ui_};
    ReleaseSurfaces();
    const bool yuv = info->Format == D3DFMT_YV12 || info->Format == D3DFMT_NV12;
    if (refuseYuv && yuv) {
      allocations.push_back(a);
      return E_FAIL;
    }
    surfaces_.assign(*count, nullptr);
    info->dwFlags |= VMR9AllocFlag_TextureSurface;
    HRESULT hr = notify_->AllocateSurfaceHelper(info, count, surfaces_.data());
    a.texture = SUCCEEDED(hr);
    if (FAILED(hr)) {
      info->dwFlags = (info->dwFlags & ~VMR9AllocFlag_TextureSurface) | VMR9AllocFlag_OffscreenSurface;
      hr = notify_->AllocateSurfaceHelper(info, count, surfaces_.data());
    }
    if (SUCCEEDED(hr)) {
      for (IDirect3DSurface9* s : surfaces_) Check(s != nullptr, "AllocateSurfaceHelper: null surface");
    }
    allocations.push_back(a);
    return hr;
  }
  HRESULT TerminateDevice(DWORD_PTR id) override {
    std::lock_guard lock(mutex_);
    Check(id == kUserId, "TerminateDevice: user id");
    ++terminations;
    ReleaseSurfaces();
    return S_OK;
  }
  HRESULT GetSurface(DWORD_PTR id, DWORD index, DWORD, IDirect3DSurface9** surface) override {
    std::lock_guard lock(mutex_);
    Check(id == kUserId, "GetSurface: user id");
    Check(std::this_thread::get_id() != ui_, "GetSurface on the UI thread");
    if (!surface) return E_POINTER;
    if (index >= surfaces_.size()) {
      Check(false, "GetSurface: index outside the table");
      return E_FAIL;
    }
    *surface = surfaces_[index];
    if (*surface) (*surface)->AddRef();
    return S_OK;
  }
  HRESULT AdviseNotify(IVMRSurfaceAllocatorNotify9* notify) override {
    std::lock_guard lock(mutex_);
    notify_ = notify;
    return notify_->SetD3DDevice(device_, nullptr);
  }

  HRESULT StartPresenting(DWORD_PTR) override {
    ++starts;
    return S_OK;
  }
  HRESULT StopPresenting(DWORD_PTR) override {
    ++stops;
    return S_OK;
  }
  HRESULT PresentImage(DWORD_PTR id, VMR9PresentationInfo* info) override {
    std::lock_guard lock(mutex_);
    Check(id == kUserId, "PresentImage: user id");
    Check(std::this_thread::get_id() != ui_, "PresentImage on the UI thread");
    Check(info && info->lpSurf, "PresentImage: no surface");
    if (!info || !info->lpSurf) return E_POINTER;
    Check(info->rtEnd > info->rtStart, "PresentImage: times");
    bool ours = false;
    for (IDirect3DSurface9* s : surfaces_) ours |= s == info->lpSurf;
    Check(ours, "PresentImage: a surface that GetSurface did not hand out");
    auto* surface = static_cast<memdev::Surface*>(info->lpSurf);
    Check(surface->locks == surface->unlocks, "PresentImage: surface still locked");
    const int w = info->rcSrc.right, h = info->rcSrc.bottom;
    Check(w > 0 && h > 0 && static_cast<UINT>(w) <= surface->width && static_cast<UINT>(h) <= surface->height,
          "PresentImage: source rectangle");
    presentations.push_back({info->rtStart, info->rtEnd, info->szAspectRatio, info->rcSrc,
                             surface->At(w / 2, h / 2), surface->colorInfo, surface->format});
    if (static_cast<int>(presentations.size()) == changeDeviceAtPresent) {
      device_.Attach(new memdev::Device);
      notify_->ChangeD3DDevice(device_, nullptr);
    }
    return S_OK;
  }

  // Any thread.
  std::vector<Presentation> Presentations() {
    std::lock_guard lock(mutex_);
    return presentations;
  }
  std::vector<Allocation> Allocations() {
    std::lock_guard lock(mutex_);
    return allocations;
  }
  std::vector<std::string> Errors() {
    std::lock_guard lock(mutex_);
    return errors_;
  }
  memdev::Device* Device() { return device_; }

  static constexpr DWORD_PTR kUserId = 0xACDCACDC;
  std::atomic<int> starts{0}, stops{0}, terminations{0};
  std::vector<Allocation> allocations;
  std::vector<Presentation> presentations;

 private:
  ~Recorder() {
    ReleaseSurfaces();
    --live;
  }
  void Check(bool ok, const char* what) {
    if (!ok) errors_.push_back(what);
  }
  void ReleaseSurfaces() {
    for (IDirect3DSurface9*& s : surfaces_) {
      if (s) s->Release();
      s = nullptr;
    }
    surfaces_.clear();
  }

  std::atomic<ULONG> refs_{1};
  std::thread::id ui_;
  std::recursive_mutex mutex_;
  CComPtr<memdev::Device> device_;
  CComPtr<IVMRSurfaceAllocatorNotify9> notify_;
  std::vector<IDirect3DSurface9*> surfaces_;
  std::vector<std::string> errors_;
};
