#include "video/KrVmrSurfaceAllocator.h"

#include "winuser.h"

namespace {

// The renderer fills the table through a plain array of surface pointers.
static_assert(sizeof(CComPtr<IDirect3DSurface9>) == sizeof(IDirect3DSurface9*));

const SceneSettings& SettingsOrEmpty(const SceneSettings* pSettings) {
  static const SceneSettings empty;  // no plug-in: the scene refuses, and so does the object
  return pSettings ? *pSettings : empty;
}

}  // namespace

CKrVmrSurfaceAllocator::CKrVmrSurfaceAllocator(HWND hTarget, bool& ok, const SceneSettings* pSettings)
    : m_refs(1), m_hTarget(hTarget), m_planeScene(SettingsOrEmpty(pSettings), ok) {
  InitializeCriticalSection(&m_guard);
  if (!ok) return;

  ok = false;
  CAutoLock lock(&m_guard);
  if (!IsWindow(m_hTarget)) return;
  m_pD3D9.Attach(Direct3DCreate9(D3D_SDK_VERSION));
  if (!m_pD3D9) return;
  ok = BuildDevice();
}

// The members go in reverse order after the surfaces: the scene, the surface table, the
// notifier, the copy texture, the back buffer, the device, the Direct3D object, the lock.
CKrVmrSurfaceAllocator::~CKrVmrSurfaceAllocator() { ReleaseSurfaces(); }

HRESULT CKrVmrSurfaceAllocator::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IVMRSurfaceAllocator9 || riid == IID_IUnknown) {
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

ULONG CKrVmrSurfaceAllocator::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }

ULONG CKrVmrSurfaceAllocator::Release() {
  const LONG refs = InterlockedDecrement(&m_refs);
  if (refs == 0) delete this;
  return static_cast<ULONG>(refs);
}

bool CKrVmrSurfaceAllocator::BuildDevice() {
  m_pDevice9.Release();

  D3DDISPLAYMODE mode{};
  if (FAILED(m_pD3D9->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) return false;

  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferFormat = mode.Format;
  parameters.SwapEffect = D3DSWAPEFFECT_COPY;
  parameters.hDeviceWindow = m_hTarget;
  parameters.Windowed = TRUE;

  if (FAILED(m_pD3D9->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_hTarget,
                                   D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED, &parameters,
                                   &m_pDevice9)))
    return false;

  m_pBackBuffer.Release();
  return SUCCEEDED(m_pDevice9->GetRenderTarget(0, &m_pBackBuffer));
}

void CKrVmrSurfaceAllocator::ReleaseSurfaces() {
  CAutoLock lock(&m_guard);
  m_pCopyTexture.Release();
  for (auto& slot : m_surfaceSlots) slot.Release();
}

HRESULT CKrVmrSurfaceAllocator::InitializeDevice(DWORD_PTR, VMR9AllocationInfo* lpAllocInfo, DWORD* lpNumBuffers) {
  if (!lpNumBuffers || !lpAllocInfo) return E_POINTER;
  if (!m_pNotify) return E_FAIL;
  if (*lpNumBuffers == 0) return E_INVALIDARG;  // no first slot to hand over
  if (!m_pDevice9) return E_FAIL;                // lost and not rebuilt yet

  D3DCAPS9 caps{};
  HRESULT hr = m_pDevice9->GetDeviceCaps(&caps);
  if (FAILED(hr)) return hr;
  if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
    DWORD potWidth = 1;
    if (lpAllocInfo->dwWidth > 1)
      while (potWidth < lpAllocInfo->dwWidth) potWidth <<= 1;
    DWORD potHeight = 1;
    if (lpAllocInfo->dwHeight > 1)
      while (potHeight < lpAllocInfo->dwHeight) potHeight <<= 1;

    const float u = static_cast<float>(lpAllocInfo->dwWidth) / static_cast<float>(potWidth);
    const float v = static_cast<float>(lpAllocInfo->dwHeight) / static_cast<float>(potHeight);
    hr = m_planeScene.SetTextureExtent(u, v);
    if (FAILED(hr)) return hr;

    lpAllocInfo->dwWidth = potWidth;
    lpAllocInfo->dwHeight = potHeight;
  }

  lpAllocInfo->dwFlags |= VMR9AllocFlag_TextureSurface;

  ReleaseSurfaces();
  m_surfaceSlots.resize(*lpNumBuffers);

  auto* slots = reinterpret_cast<IDirect3DSurface9**>(m_surfaceSlots.data());
  hr = m_pNotify->AllocateSurfaceHelper(lpAllocInfo, lpNumBuffers, slots);

  if (FAILED(hr) && !(lpAllocInfo->dwFlags & VMR9AllocFlag_3DRenderTarget)) {
    // Texture surfaces refused: plain surfaces, copied into a texture of our own when they
    // hold YUV.
    ReleaseSurfaces();
    if (static_cast<LONG>(lpAllocInfo->Format) > 0x30303030) {
      D3DDISPLAYMODE mode{};
      hr = m_pDevice9->GetDisplayMode(0, &mode);
      if (FAILED(hr)) return hr;
      hr = m_pDevice9->CreateTexture(lpAllocInfo->dwWidth, lpAllocInfo->dwHeight, 1, D3DUSAGE_RENDERTARGET,
                                     mode.Format, D3DPOOL_DEFAULT, &m_pCopyTexture, nullptr);
      if (FAILED(hr)) return hr;
    }
    lpAllocInfo->dwFlags = (lpAllocInfo->dwFlags & ~VMR9AllocFlag_TextureSurface) | VMR9AllocFlag_OffscreenSurface;
    hr = m_pNotify->AllocateSurfaceHelper(lpAllocInfo, lpNumBuffers, slots);
    if (FAILED(hr)) return hr;
  }

  return m_planeScene.PrepareDevice(m_pDevice9);
}

HRESULT CKrVmrSurfaceAllocator::TerminateDevice(DWORD_PTR) {
  ReleaseSurfaces();
  return S_OK;
}

HRESULT CKrVmrSurfaceAllocator::GetSurface(DWORD_PTR, DWORD SurfaceIndex, DWORD, IDirect3DSurface9** lplpSurface) {
  if (!lplpSurface) return E_POINTER;
  if (m_surfaceSlots.empty() || SurfaceIndex >= m_surfaceSlots.size()) return E_FAIL;

  CAutoLock lock(&m_guard);
  IDirect3DSurface9* surface = m_surfaceSlots[SurfaceIndex];
  if (surface) surface->AddRef();
  *lplpSurface = surface;
  return S_OK;
}

HRESULT CKrVmrSurfaceAllocator::AdviseNotify(IVMRSurfaceAllocatorNotify9* lpIVMRSurfAllocNotify) {
  if (!lpIVMRSurfAllocNotify) return E_POINTER;
  CAutoLock lock(&m_guard);
  if (lpIVMRSurfAllocNotify != m_pNotify) m_pNotify = lpIVMRSurfAllocNotify;
  return m_pNotify->SetD3DDevice(m_pDevice9, m_pD3D9->GetAdapterMonitor(D3DADAPTER_DEFAULT));
}

HRESULT CKrVmrSurfaceAllocator::StartPresenting(DWORD_PTR) {
  CAutoLock lock(&m_guard);
  return m_pDevice9 ? S_OK : E_FAIL;
}

HRESULT CKrVmrSurfaceAllocator::StopPresenting(DWORD_PTR) { return S_OK; }

HRESULT CKrVmrSurfaceAllocator::PresentImage(DWORD_PTR, VMR9PresentationInfo* lpPresInfo) {
  CAutoLock lock(&m_guard);

  HRESULT hr = RenderFrame(lpPresInfo);
  if (hr != D3DERR_DEVICELOST) return hr;

  // Dropped while the device cannot be reset yet; a later frame tries again. With no device
  // left (a rebuild failed) every frame tries to build one.
  if (m_pDevice9 && m_pDevice9->TestCooperativeLevel() != D3DERR_DEVICENOTRESET) return S_OK;

  ReleaseSurfaces();
  if (!BuildDevice()) return E_FAIL;

  hr = m_pNotify->ChangeD3DDevice(m_pDevice9, m_pD3D9->GetAdapterMonitor(D3DADAPTER_DEFAULT));
  return FAILED(hr) ? hr : S_OK;
}

HRESULT CKrVmrSurfaceAllocator::RenderFrame(VMR9PresentationInfo* lpPresInfo) {
  if (!lpPresInfo || !lpPresInfo->lpSurf) return E_POINTER;

  CAutoLock lock(&m_guard);
  if (!m_pDevice9) return D3DERR_DEVICELOST;
  m_pDevice9->SetRenderTarget(0, m_pBackBuffer);

  CComPtr<IDirect3DTexture9> texture;
  HRESULT hr;
  if (m_pCopyTexture) {
    CComPtr<IDirect3DSurface9> copySurface;
    if (FAILED(hr = m_pCopyTexture->GetSurfaceLevel(0, &copySurface))) return hr;
    if (FAILED(hr = m_pDevice9->StretchRect(lpPresInfo->lpSurf, nullptr, copySurface, nullptr, D3DTEXF_NONE)))
      return hr;
    texture = m_pCopyTexture;
  } else {
    if (FAILED(hr = lpPresInfo->lpSurf->GetContainer(IID_IDirect3DTexture9, reinterpret_cast<void**>(&texture))))
      return hr;
  }

  hr = m_planeScene.Draw(m_pDevice9, texture, lpPresInfo->szAspectRatio);
  texture.Release();
  if (FAILED(hr)) return hr;

  return m_pDevice9->Present(nullptr, nullptr, nullptr, nullptr);
}
