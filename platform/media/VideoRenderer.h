// The VMR-9-shaped video renderer in renderless mode: it asks the program's
// allocator-presenter for surfaces, and on its streaming thread writes each decoded picture
// into one and presents it when the picture is due against the graph's clock.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "ComObject.h"
#include "FfmpegTypes.h"
#include "FrameWriter.h"
#include "dshow.h"

class MediaClock;
class RendererNotify;

// What the renderer tells its graph; called on the streaming thread.
struct RendererEvents {
  virtual void OnFirstFrame() = 0;  // the first picture since StartStreaming is presented
  virtual void OnVideoEnded() = 0;  // the last picture is presented, or the stream cannot go on
 protected:
  ~RendererEvents() = default;
};

// The movie's pictures as the renderer receives them.
struct VideoFormat {
  int width = 0;
  int height = 0;
  AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;
  SIZE aspect = {0, 0};  // display aspect ratio, reduced
};

class VideoRenderer final : public IBaseFilter, public IVMRFilterConfig9, private RefCounted {
 public:
  VideoRenderer();

  // IUnknown, for every face.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

  // IVMRFilterConfig9 (UI thread, before the renderer is connected).
  HRESULT SetRenderingMode(DWORD mode) override;
  HRESULT SetNumberOfStreams(DWORD dwMaxStreams) override;

  // IVMRSurfaceAllocatorNotify9, reached through RendererNotify.
  // UI thread, before connection: keeps the allocator-presenter and its presenter face.
  HRESULT AdviseSurfaceAllocator(DWORD_PTR dwUserID, IVMRSurfaceAllocator9* allocator);
  // Any thread: the device on which AllocateSurfaceHelper creates surfaces.
  HRESULT SetD3DDevice(IDirect3DDevice9* device, HMONITOR monitor);
  // Any thread (the streaming thread inside PresentImage after a device loss): the new
  // device; the surfaces are allocated anew through InitializeDevice before the next frame.
  HRESULT ChangeD3DDevice(IDirect3DDevice9* device, HMONITOR monitor);
  // The thread that calls InitializeDevice: creates the surfaces on the device.
  HRESULT AllocateSurfaceHelper(VMR9AllocationInfo* info, DWORD* count, IDirect3DSurface9** surfaces);

  // Graph side, all on the UI thread.
  // Negotiates surfaces with the allocator-presenter (planar YUV, then X8R8G8B8).
  HRESULT Connect(const VideoFormat& format, FrameQueue* frames, MediaClock* clock, RendererEvents* events);
  // Releases the surfaces (TerminateDevice) and forgets the graph's queue and clock.
  void Disconnect();
  bool IsConnected() const { return frames_ != nullptr; }
  // Tells the presenter that presentation starts or stops.
  void StartPresenting();
  void StopPresenting();
  // Starts the streaming thread; it owns the frame queue's consumer side until Stop.
  void StartStreaming();
  // The frame queue must be closed first: no PresentImage happens after this returns.
  void StopStreaming();
  // The clock was started or paused.
  void Wake();

 private:
  ~VideoRenderer() override;
  HRESULT Negotiate();
  HRESULT InitializeFor(D3DFORMAT format);
  void StreamLoop();
  // Streaming thread: waits until the picture is due; false when told to stop.
  bool WaitUntilDue(REFERENCE_TIME start);
  void Present(const VideoFrame& picture);

  DWORD mode_ = 0;
  DWORD streams_ = 0;
  RendererNotify* notify_;
  DWORD_PTR userId_ = 0;
  CComPtr<IVMRSurfaceAllocator9> allocator_;
  CComPtr<IVMRImagePresenter9> presenter_;
  std::mutex deviceMutex_;
  CComPtr<IDirect3DDevice9> device_;
  std::atomic<bool> reallocate_{false};

  VideoFormat format_;
  FrameQueue* frames_ = nullptr;
  MediaClock* clock_ = nullptr;
  RendererEvents* events_ = nullptr;
  FrameWriter writer_;
  DWORD buffers_ = 0;
  DWORD nextSurface_ = 0;
  bool presenting_ = false;

  std::mutex waitMutex_;
  std::condition_variable wake_;
  bool quit_ = false;  // guarded by waitMutex_
  std::thread thread_;
};
