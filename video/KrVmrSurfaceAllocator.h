// The allocator-presenter plugged into the renderer: owns the Direct3D device on the drawing
// window, hands the renderer its surfaces and draws every frame on the planes of the scene.
#pragma once

#include <vector>

#include "scene/PlaneScene.h"
#include "d3d9.h"
#include "dshow.h"
#include "unknwn.h"
#include "winbase.h"

class CKrVmrSurfaceAllocator : public IVMRSurfaceAllocator9, public IVMRImagePresenter9 {
 public:
  // ok tells whether the object is usable; when it is false the creator releases it.
  CKrVmrSurfaceAllocator(HWND hTarget, bool& ok, const SceneSettings* pSettings);

  // IUnknown (both faces)
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IVMRSurfaceAllocator9
  HRESULT InitializeDevice(DWORD_PTR dwUserID, VMR9AllocationInfo* lpAllocInfo, DWORD* lpNumBuffers) override;
  HRESULT TerminateDevice(DWORD_PTR dwID) override;
  HRESULT GetSurface(DWORD_PTR dwUserID, DWORD SurfaceIndex, DWORD SurfaceFlags,
                     IDirect3DSurface9** lplpSurface) override;
  HRESULT AdviseNotify(IVMRSurfaceAllocatorNotify9* lpIVMRSurfAllocNotify) override;

  // IVMRImagePresenter9
  HRESULT StartPresenting(DWORD_PTR dwUserID) override;
  HRESULT StopPresenting(DWORD_PTR dwUserID) override;
  HRESULT PresentImage(DWORD_PTR dwUserID, VMR9PresentationInfo* lpPresInfo) override;

 protected:
  virtual ~CKrVmrSurfaceAllocator();

 private:
  bool BuildDevice();
  void ReleaseSurfaces();
  HRESULT RenderFrame(VMR9PresentationInfo* lpPresInfo);

  LONG m_refs;
  CRITICAL_SECTION m_guard;
  HWND m_hTarget;
  CComPtr<IDirect3D9> m_pD3D9;
  CComPtr<IDirect3DDevice9> m_pDevice9;
  CComPtr<IDirect3DSurface9> m_pBackBuffer;
  CComPtr<IDirect3DTexture9> m_pCopyTexture;
  CComPtr<IVMRSurfaceAllocatorNotify9> m_pNotify;
  std::vector<CComPtr<IDirect3DSurface9>> m_surfaceSlots;
  CKrPlaneScene m_planeScene;
};
