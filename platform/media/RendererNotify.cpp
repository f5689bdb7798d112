#include "RendererNotify.h"

#include "VideoRenderer.h"

void RendererNotify::Detach() {
  std::lock_guard lock(mutex_);
  owner_ = nullptr;
}

HRESULT RendererNotify::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IVMRSurfaceAllocatorNotify9 || riid == IID_IUnknown)
    return GiveFace<IVMRSurfaceAllocatorNotify9>(this, ppv);
  std::lock_guard lock(mutex_);
  if (owner_) return owner_->QueryInterface(riid, ppv);
  *ppv = nullptr;
  return E_NOINTERFACE;
}

HRESULT RendererNotify::AdviseSurfaceAllocator(DWORD_PTR dwUserID, IVMRSurfaceAllocator9* allocator) {
  std::lock_guard lock(mutex_);
  return owner_ ? owner_->AdviseSurfaceAllocator(dwUserID, allocator) : E_UNEXPECTED;
}

HRESULT RendererNotify::SetD3DDevice(IDirect3DDevice9* device, HMONITOR monitor) {
  std::lock_guard lock(mutex_);
  return owner_ ? owner_->SetD3DDevice(device, monitor) : E_UNEXPECTED;
}

HRESULT RendererNotify::ChangeD3DDevice(IDirect3DDevice9* device, HMONITOR monitor) {
  std::lock_guard lock(mutex_);
  return owner_ ? owner_->ChangeD3DDevice(device, monitor) : E_UNEXPECTED;
}

HRESULT RendererNotify::AllocateSurfaceHelper(VMR9AllocationInfo* info, DWORD* count,
                                              IDirect3DSurface9** surfaces) {
  std::lock_guard lock(mutex_);
  return owner_ ? owner_->AllocateSurfaceHelper(info, count, surfaces) : E_UNEXPECTED;
}
