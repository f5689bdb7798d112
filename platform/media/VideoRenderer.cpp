#include "VideoRenderer.h"

#include <algorithm>
#include <chrono>

#include "MediaClock.h"
#include "RendererNotify.h"
#include "media_testing.h"

namespace {
constexpr DWORD kBuffers = 3;
// Late pictures are let go only while a later one is waiting, and never more than this
// many in a row, so that a slow machine still shows a moving picture.
constexpr int kMaxDropsInRow = 8;
}  // namespace

VideoRenderer::VideoRenderer() : notify_(new RendererNotify(this)) {}

VideoRenderer::~VideoRenderer() {
  Disconnect();
  presenter_.Release();
  allocator_.Release();
  notify_->Detach();
  notify_->Release();
}

HRESULT VideoRenderer::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IBaseFilter) return GiveFace<IBaseFilter>(this, ppv);
  if (riid == IID_IVMRFilterConfig9) return GiveFace<IVMRFilterConfig9>(this, ppv);
  if (riid == IID_IVMRSurfaceAllocatorNotify9) return GiveFace<IVMRSurfaceAllocatorNotify9>(notify_, ppv);
  *ppv = nullptr;
  return E_NOINTERFACE;
}

HRESULT VideoRenderer::SetRenderingMode(DWORD mode) {
  if (IsConnected()) return VFW_E_WRONG_STATE;
  if (mode != VMR9Mode_Renderless) return E_INVALIDARG;  // the only mode this renderer has
  mode_ = mode;
  return S_OK;
}

HRESULT VideoRenderer::SetNumberOfStreams(DWORD dwMaxStreams) {
  if (IsConnected()) return VFW_E_WRONG_STATE;
  if (dwMaxStreams != 1) return E_INVALIDARG;  // one movie, one stream: there is no mixer
  streams_ = dwMaxStreams;
  return S_OK;
}

HRESULT VideoRenderer::AdviseSurfaceAllocator(DWORD_PTR dwUserID, IVMRSurfaceAllocator9* allocator) {
  if (mode_ != VMR9Mode_Renderless || IsConnected()) return VFW_E_WRONG_STATE;
  presenter_.Release();
  allocator_.Release();
  if (!allocator) return S_OK;
  CComPtr<IVMRImagePresenter9> presenter;
  if (FAILED(allocator->QueryInterface(IID_IVMRImagePresenter9, reinterpret_cast<void**>(&presenter))) || !presenter)
    return E_NOINTERFACE;
  allocator_ = allocator;
  presenter_ = presenter;
  userId_ = dwUserID;
  return S_OK;
}

HRESULT VideoRenderer::SetD3DDevice(IDirect3DDevice9* device, HMONITOR) {
  if (!device) return E_POINTER;
  std::lock_guard lock(deviceMutex_);
  device_ = device;
  return S_OK;
}

HRESULT VideoRenderer::ChangeD3DDevice(IDirect3DDevice9* device, HMONITOR) {
  if (!device) return E_POINTER;
  {
    std::lock_guard lock(deviceMutex_);
    device_ = device;
  }
  reallocate_ = true;
  return S_OK;
}

HRESULT VideoRenderer::AllocateSurfaceHelper(VMR9AllocationInfo* info, DWORD* count, IDirect3DSurface9** surfaces) {
  if (!info || !count || !surfaces) return E_POINTER;
  if (*count == 0 || info->dwWidth == 0 || info->dwHeight == 0) return E_INVALIDARG;
  CComPtr<IDirect3DDevice9> device;
  {
    std::lock_guard lock(deviceMutex_);
    device = device_;
  }
  if (!device) return VFW_E_WRONG_STATE;
  std::fill(surfaces, surfaces + *count, nullptr);
  for (DWORD i = 0; i < *count; ++i) {
    HRESULT hr;
    if (info->dwFlags & VMR9AllocFlag_TextureSurface) {
      CComPtr<IDirect3DTexture9> texture;
      hr = device->CreateTexture(info->dwWidth, info->dwHeight, 1, D3DUSAGE_DYNAMIC, info->Format, info->Pool,
                                 &texture, nullptr);
      if (SUCCEEDED(hr)) hr = texture->GetSurfaceLevel(0, &surfaces[i]);
    } else {
      hr = device->CreateOffscreenPlainSurface(info->dwWidth, info->dwHeight, info->Format, info->Pool, &surfaces[i],
                                               nullptr);
    }
    if (FAILED(hr)) {
      for (DWORD j = 0; j <= i; ++j) {
        if (surfaces[j]) surfaces[j]->Release();
        surfaces[j] = nullptr;
      }
      return hr;
    }
  }
  return S_OK;
}

HRESULT VideoRenderer::InitializeFor(D3DFORMAT format) {
  const bool yuv = format == D3DFMT_YV12 || format == D3DFMT_NV12;
  VMR9AllocationInfo info{};
  info.dwFlags = VMR9AllocFlag_OffscreenSurface;
  // Planar 4:2:0 surfaces have even sizes; the picture sits in their top-left corner.
  info.dwWidth = static_cast<DWORD>(yuv ? (format_.width + 1) & ~1 : format_.width);
  info.dwHeight = static_cast<DWORD>(yuv ? (format_.height + 1) & ~1 : format_.height);
  info.Format = format;
  info.Pool = D3DPOOL_DEFAULT;
  info.MinBuffers = kBuffers;
  info.szAspectRatio = format_.aspect;
  info.szNativeSize = {format_.width, format_.height};
  DWORD count = kBuffers;
  const HRESULT hr = allocator_->InitializeDevice(userId_, &info, &count);
  if (FAILED(hr)) return hr;
  if (count == 0) return E_FAIL;
  buffers_ = count;
  nextSurface_ = 0;
  writer_.SetFormat(format);
  return S_OK;
}

HRESULT VideoRenderer::Negotiate() {
  HRESULT hr = InitializeFor(YuvFormatFor(format_.pixelFormat));
  if (FAILED(hr)) hr = InitializeFor(D3DFMT_X8R8G8B8);
  return hr;
}

HRESULT VideoRenderer::Connect(const VideoFormat& format, FrameQueue* frames, MediaClock* clock,
                               RendererEvents* events) {
  if (IsConnected()) return VFW_E_WRONG_STATE;
  if (mode_ != VMR9Mode_Renderless || !allocator_) return VFW_E_CANNOT_RENDER;
  format_ = format;
  const HRESULT hr = Negotiate();
  if (FAILED(hr)) return hr;
  reallocate_ = false;
  frames_ = frames;
  clock_ = clock;
  events_ = events;
  return S_OK;
}

void VideoRenderer::Disconnect() {
  StopStreaming();
  StopPresenting();
  if (!IsConnected()) return;
  allocator_->TerminateDevice(userId_);
  frames_ = nullptr;
  clock_ = nullptr;
  events_ = nullptr;
}

void VideoRenderer::StartPresenting() {
  if (presenting_ || !presenter_) return;
  presenter_->StartPresenting(userId_);
  presenting_ = true;
}

void VideoRenderer::StopPresenting() {
  if (!presenting_) return;
  presenter_->StopPresenting(userId_);
  presenting_ = false;
}

void VideoRenderer::StartStreaming() {
  if (!IsConnected() || thread_.joinable()) return;
  {
    std::lock_guard lock(waitMutex_);
    quit_ = false;
  }
  thread_ = std::thread([this] { StreamLoop(); });
}

void VideoRenderer::StopStreaming() {
  {
    std::lock_guard lock(waitMutex_);
    quit_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void VideoRenderer::Wake() { wake_.notify_all(); }

bool VideoRenderer::WaitUntilDue(REFERENCE_TIME start) {
  std::unique_lock lock(waitMutex_);
  for (;;) {
    if (quit_) return false;
    if (media_testing::FreeRunning()) return true;
    if (clock_->IsRunning()) {
      const REFERENCE_TIME wait = start - clock_->Now();
      if (wait <= 0) return true;
      wake_.wait_for(lock, std::chrono::microseconds(std::min<REFERENCE_TIME>(wait / 10, 10000)));
    } else {
      wake_.wait_for(lock, std::chrono::milliseconds(50));
    }
  }
}

void VideoRenderer::Present(const VideoFrame& picture) {
  CComPtr<IDirect3DSurface9> surface;
  if (FAILED(allocator_->GetSurface(userId_, nextSurface_, 0, &surface)) || !surface) return;
  nextSurface_ = (nextSurface_ + 1) % buffers_;
  std::uint64_t convertNs = 0, uploadNs = 0;
  if (FAILED(writer_.Write(picture.frame.get(), surface, &convertNs, &uploadNs))) return;
  VMR9PresentationInfo info{};
  info.lpSurf = surface;
  info.rtStart = picture.start;
  info.rtEnd = picture.end;
  info.szAspectRatio = format_.aspect;
  info.rcSrc = {0, 0, picture.frame->width, picture.frame->height};
  info.rcDst = info.rcSrc;
  const auto t0 = std::chrono::steady_clock::now();
  presenter_->PresentImage(userId_, &info);  // a failed frame is not shown; the next one tries again
  const auto presentNs =
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - t0).count();
  media_testing::AddPresented(convertNs, uploadNs, presentNs);
}

// Streaming thread: owns the consumer side of the frame queue, the writer and the surface
// index; calls GetSurface, PresentImage and, after a device change, InitializeDevice.
void VideoRenderer::StreamLoop() {
  bool first = true;
  int drops = 0;
  for (;;) {
    if (reallocate_.exchange(false)) {
      allocator_->TerminateDevice(userId_);
      if (FAILED(Negotiate())) {
        events_->OnVideoEnded();  // no surfaces on the new device: the stream cannot go on
        return;
      }
    }
    std::optional<VideoFramePtr> item = frames_->Pop();
    if (!item) return;  // closed: the graph is stopping
    if (!*item) {
      events_->OnVideoEnded();
      return;
    }
    const VideoFrame& picture = **item;
    if (!first) {
      if (!WaitUntilDue(picture.start)) return;
      const bool late = !media_testing::FreeRunning() && clock_->Now() > picture.end;
      if (late && drops < kMaxDropsInRow && frames_->HasItem()) {
        ++drops;
        media_testing::AddDropped();
        continue;
      }
    }
    drops = 0;
    Present(picture);
    if (first) {
      first = false;
      events_->OnFirstFrame();
    }
  }
}
