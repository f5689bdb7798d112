#include "KrGraphPlayer.h"

#include "KrVmrSurfaceAllocator.h"

namespace {
// The user identifier under which the allocator-presenter is registered with the renderer.
constexpr DWORD_PTR kAllocatorUserId = 0xACDCACDC;
}  // namespace

bool CKrGraphPlayer::Open(const wchar_t* path, HWND window, const SceneSettings* settings) {
  BSTR file = SysAllocString(path);
  Close();
  if (file == nullptr || SysStringLen(file) == 0) {
    SysFreeString(file);
    return false;
  }

  CComPtr<IVMRFilterConfig9> pConfig;
  HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                                reinterpret_cast<void**>(&m_pGraph));
  if (SUCCEEDED(hr))
    hr = CoCreateInstance(CLSID_VideoMixingRenderer9, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                          reinterpret_cast<void**>(&m_pVmr));
  if (SUCCEEDED(hr)) hr = m_pVmr.QueryInterface(&pConfig);
  if (SUCCEEDED(hr)) hr = pConfig->SetRenderingMode(VMR9Mode_Renderless);
  if (SUCCEEDED(hr)) hr = pConfig->SetNumberOfStreams(1);
  if (SUCCEEDED(hr) && !AttachAllocator(window, settings)) hr = E_FAIL;
  if (SUCCEEDED(hr)) hr = m_pGraph->AddFilter(m_pVmr, L"Video Mixing Renderer 9");
  if (SUCCEEDED(hr)) hr = m_pGraph->RenderFile(file, nullptr);
  if (SUCCEEDED(hr)) hr = m_pGraph.QueryInterface(&m_pControl);
  if (SUCCEEDED(hr)) hr = m_pGraph.QueryInterface(&m_pEvent);
  if (SUCCEEDED(hr)) hr = m_pEvent->SetNotifyWindow(static_cast<OAHWND>(IdFromHwnd(window)), WM_GRAPH_EVENT, 0);
  if (SUCCEEDED(hr)) hr = m_pGraph.QueryInterface(&m_pSeeking);
  if (SUCCEEDED(hr)) hr = m_pGraph.QueryInterface(&m_pAudio);

  if (FAILED(hr)) {
    Close();
    pConfig.Release();
    SysFreeString(file);
    return false;
  }
  pConfig.Release();
  SysFreeString(file);
  return true;
}

bool CKrGraphPlayer::AttachAllocator(HWND window, const SceneSettings* settings) {
  CComPtr<IVMRSurfaceAllocatorNotify9> pNotify;
  if (FAILED(m_pVmr.QueryInterface(&pNotify))) return false;

  bool ok = false;
  auto* pAllocator = new CKrVmrSurfaceAllocator(window, ok, settings);
  m_pAllocator.Attach(pAllocator);  // the player's reference, whether or not ok is set
  if (pAllocator == nullptr || !ok) return false;  // Close destroys the half-built object

  if (FAILED(pNotify->AdviseSurfaceAllocator(kAllocatorUserId, m_pAllocator))) return false;
  if (FAILED(m_pAllocator->AdviseNotify(pNotify))) return false;
  return true;
}

void CKrGraphPlayer::Close() {
  if (m_pControl) {
    OAFilterState state = State_Running;
    do {
      m_pControl->Stop();
      m_pControl->GetState(0, &state);
    } while (state != State_Stopped);
  }
  m_pAudio.Release();
  m_pSeeking.Release();
  m_pEvent.Release();
  m_pControl.Release();
  m_pAllocator.Release();
  m_pVmr.Release();
  m_pGraph.Release();
}
