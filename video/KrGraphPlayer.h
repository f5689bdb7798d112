// The filter graph of the one movie a drawing window shows.
#pragma once

#include "dshow.h"
#include "unknwn.h"

struct SceneSettings;
class CKrVmrSurfaceAllocator;

class CKrGraphPlayer {
 public:
  CKrGraphPlayer() = default;
  ~CKrGraphPlayer() { Close(); }
  CKrGraphPlayer(const CKrGraphPlayer&) = delete;
  CKrGraphPlayer& operator=(const CKrGraphPlayer&) = delete;

  // Builds a stopped graph for the movie; false leaves every pointer null.
  bool Open(const wchar_t* path, HWND window, const SceneSettings* settings);
  // Stops the graph (until it reports stopped) and releases every pointer.
  void Close();

  CComPtr<IGraphBuilder> m_pGraph;
  CComPtr<IBaseFilter> m_pVmr;
  CComPtr<IVMRSurfaceAllocator9> m_pAllocator;
  CComPtr<IMediaControl> m_pControl;
  CComPtr<IMediaEventEx> m_pEvent;
  CComPtr<IMediaSeeking> m_pSeeking;
  CComPtr<IBasicAudio> m_pAudio;

 private:
  bool AttachAllocator(HWND window, const SceneSettings* settings);
};

constexpr UINT WM_GRAPH_EVENT = WM_APP + 1;
