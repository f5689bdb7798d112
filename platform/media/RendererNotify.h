// The renderer's IVMRSurfaceAllocatorNotify9, a small object of its own that the
// allocator-presenter may hold without keeping the renderer alive: the renderer holds the
// allocator-presenter, so a reference back would make a cycle that nothing breaks.
#pragma once

#include <mutex>

#include "ComObject.h"
#include "dshow.h"

class VideoRenderer;

class RendererNotify final : public IVMRSurfaceAllocatorNotify9, private RefCounted {
 public:
  explicit RendererNotify(VideoRenderer* owner) : owner_(owner) {}

  // The renderer's destructor (UI thread): later calls answer E_UNEXPECTED.
  void Detach();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

  // Forwarded to the renderer while it exists. Called by the allocator-presenter on the UI
  // thread (AdviseNotify, InitializeDevice) or the streaming thread (PresentImage).
  HRESULT AdviseSurfaceAllocator(DWORD_PTR dwUserID, IVMRSurfaceAllocator9* allocator) override;
  HRESULT SetD3DDevice(IDirect3DDevice9* device, HMONITOR monitor) override;
  HRESULT ChangeD3DDevice(IDirect3DDevice9* device, HMONITOR monitor) override;
  HRESULT AllocateSurfaceHelper(VMR9AllocationInfo* info, DWORD* count, IDirect3DSurface9** surfaces) override;

 private:
  ~RendererNotify() override = default;

  std::recursive_mutex mutex_;
  VideoRenderer* owner_;
};
