#include "PlaneScene.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>

#include "d3dx9.h"
#include "winbase.h"

DWORD g_dwScrollStart = 0;

namespace {

constexpr D3DCOLOR kBlack = D3DCOLOR_ARGB(255, 0, 0, 0);

// The scroll start is written once and read by the drawing thread of any scene.
DWORD LoadScrollStart() { return std::atomic_ref<DWORD>(g_dwScrollStart).load(std::memory_order_relaxed); }

}  // namespace

CKrPlaneScene::CKrPlaneScene(const SceneSettings& settings, bool& ok)
    : m_nPixelPerSec(settings.nPixelPerSec), m_fSpeedScale(settings.fSpeedScale), m_plugin(settings.plugin) {
  ok = false;

  const std::uint64_t vertices = 4ull * static_cast<std::uint64_t>(static_cast<UINT>(m_plugin.nPlanes));
  if (m_plugin.nPlanes < 0 || vertices * 2 > 0xFFFFFFFFull) return;
  m_nVertices = static_cast<UINT>(vertices);
  m_pVertices = new (std::nothrow) PlaneVertex[m_nVertices]();
  if (!m_pVertices) return;

  m_nCoords = 2 * m_nVertices;
  m_pCoords = new (std::nothrow) float[m_nCoords]();
  if (!m_pCoords) {
    delete[] m_pVertices;
    m_pVertices = nullptr;
    return;
  }

  if (FAILED(SetTextureExtent(1.0f, 1.0f))) {
    delete[] m_pCoords;
    m_pCoords = nullptr;
    delete[] m_pVertices;
    m_pVertices = nullptr;
    return;
  }
  ok = true;
}

CKrPlaneScene::~CKrPlaneScene() {
  delete[] m_pCoords;
  delete[] m_pVertices;
  if (m_pVB) m_pVB->Release();
}

HRESULT CKrPlaneScene::SetTextureExtent(float u, float v) {
  if (!m_plugin.pfnSetTextureCoordinate) return E_FAIL;
  if (!m_plugin.pfnSetTextureCoordinate(m_pCoords, static_cast<int>(m_nCoords), u, v)) return E_FAIL;
  for (UINT i = 0; i < m_nVertices; ++i) {
    m_pVertices[i].u = m_pCoords[2 * i];
    m_pVertices[i].v = m_pCoords[2 * i + 1];
  }
  return S_OK;
}

HRESULT CKrPlaneScene::PrepareDevice(IDirect3DDevice9* pDevice) {
  if (!pDevice) return E_POINTER;
  HRESULT hr = pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
  if (FAILED(hr)) return hr;

  if (FAILED(hr = pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW))) return hr;
  if (FAILED(hr = pDevice->SetRenderState(D3DRS_LIGHTING, FALSE))) return hr;

  if (FAILED(hr = pDevice->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP))) return hr;
  if (FAILED(hr = pDevice->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP))) return hr;
  if (FAILED(hr = pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR))) return hr;
  if (FAILED(hr = pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR))) return hr;
  if (FAILED(hr = pDevice->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR))) return hr;

  if (m_pVB) {
    m_pVB->Release();
    m_pVB = nullptr;
  }
  // A failure leaves no buffer, and every Draw then refuses.
  pDevice->CreateVertexBuffer(80 * static_cast<UINT>(m_plugin.nPlanes), D3DUSAGE_WRITEONLY, PLANEVERTEX_FVF,
                              D3DPOOL_MANAGED, &m_pVB, nullptr);

  IDirect3DSurface9* pBackBuffer = nullptr;
  if (FAILED(hr = pDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &pBackBuffer))) return hr;
  D3DSURFACE_DESC desc{};
  hr = pBackBuffer->GetDesc(&desc);
  if (FAILED(hr)) {
    pBackBuffer->Release();
    return hr;
  }
  m_sizeTarget.cx = static_cast<LONG>(desc.Width);
  m_sizeTarget.cy = static_cast<LONG>(desc.Height);

  const float halfWidth = static_cast<float>(desc.Width) / 2.0f;
  const float halfHeight = static_cast<float>(desc.Height) / 2.0f;
  D3DXMATRIX projection;
  D3DXMatrixOrthoOffCenterLH(&projection, -halfWidth, halfWidth, -halfHeight, halfHeight, 1.0f, 100.0f);
  if (FAILED(hr = pDevice->SetTransform(D3DTS_PROJECTION, &projection))) {
    pBackBuffer->Release();
    return hr;
  }

  const D3DXVECTOR3 eye(0.0f, 0.0f, -50.0f);
  const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
  const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  if (FAILED(hr = pDevice->SetTransform(D3DTS_VIEW, &view))) {
    pBackBuffer->Release();
    return hr;
  }

  if (LoadScrollStart() == 0)
    std::atomic_ref<DWORD>(g_dwScrollStart).store(GetTickCount(), std::memory_order_relaxed);

  pBackBuffer->Release();
  return S_OK;
}

HRESULT CKrPlaneScene::Draw(IDirect3DDevice9* pDevice, IDirect3DTexture9* pTexture, SIZE aspect) {
  if (!pDevice || !pTexture) return E_POINTER;
  if (!m_pVB) return D3DERR_INVALIDCALL;

  const DWORD elapsed = GetTickCount() - LoadScrollStart();
  const long double scroll = static_cast<long double>(elapsed) *
                             ((static_cast<long double>(m_nPixelPerSec) * m_fSpeedScale) * static_cast<long double>(0.001));
  const int nScroll = static_cast<int>(static_cast<std::uint32_t>(static_cast<std::int64_t>(scroll)));

  if (!m_plugin.pfnUpdateVertexCoordinate ||
      !m_plugin.pfnUpdateVertexCoordinate(nScroll, &m_sizeTarget, &aspect, m_pCoords, static_cast<int>(m_nCoords)))
    return E_FAIL;
  for (UINT i = 0; i < m_nVertices; ++i) {
    m_pVertices[i].x = m_pCoords[2 * i];
    m_pVertices[i].y = m_pCoords[2 * i + 1];
  }

  void* pData = nullptr;
  HRESULT hr = m_pVB->Lock(0, 0, &pData, 0);
  if (FAILED(hr)) return hr;
  std::memcpy(pData, m_pVertices, static_cast<std::size_t>(m_nVertices) * sizeof(PlaneVertex));
  if (FAILED(hr = m_pVB->Unlock())) return hr;

  pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);

  if (FAILED(hr = pDevice->BeginScene())) return hr;
  hr = DrawPlanes(pDevice, pTexture);
  if (FAILED(hr)) {
    pDevice->EndScene();  // a failed frame does not leave the device inside a scene
    return hr;
  }
  return pDevice->EndScene();
}

HRESULT CKrPlaneScene::DrawPlanes(IDirect3DDevice9* pDevice, IDirect3DTexture9* pTexture) {
  HRESULT hr;
  if (FAILED(hr = pDevice->SetTexture(0, pTexture))) return hr;
  if (FAILED(hr = pDevice->SetStreamSource(0, m_pVB, 0, sizeof(PlaneVertex)))) return hr;
  if (FAILED(hr = pDevice->SetFVF(PLANEVERTEX_FVF))) return hr;
  for (int p = 0; p < m_plugin.nPlanes; ++p)
    if (FAILED(hr = pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4 * static_cast<UINT>(p), 2))) return hr;
  return pDevice->SetTexture(0, nullptr);
}
