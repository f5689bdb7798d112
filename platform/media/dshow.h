// COM creation, BSTRs, the filter graph manager's interfaces and the VMR-9 renderer's
// interfaces, on FFmpeg and PulseAudio. Only what the program calls exists.
#pragma once

#include "d3d9.h"
#include "unknwn.h"
#include "wintypes.h"

// COM runtime.
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_ALL = 0x17;
HRESULT CoInitializeEx(void* reserved, DWORD coInit);
void CoUninitialize();
// Creates the filter graph manager or the VMR-9 renderer; nothing else is creatable.
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD clsContext, REFIID riid, void** ppv);

// BSTR: a length-prefixed wide string.
using BSTR = wchar_t*;
BSTR SysAllocString(const wchar_t* psz);
void SysFreeString(BSTR bstr);
UINT SysStringLen(BSTR bstr);

using OAHWND = LONG_PTR;
using OAFilterState = LONG;
using DWORD_PTR = std::uintptr_t;

enum FILTER_STATE : LONG { State_Stopped = 0, State_Paused = 1, State_Running = 2 };

constexpr LONG EC_COMPLETE = 0x01;
constexpr LONG EC_USERABORT = 0x02;
constexpr LONG EC_ERRORABORT = 0x03;

constexpr DWORD AM_SEEKING_NoPositioning = 0x0;
constexpr DWORD AM_SEEKING_AbsolutePositioning = 0x1;

constexpr HRESULT VFW_E_CANNOT_RENDER = static_cast<HRESULT>(0x80040218u);
constexpr HRESULT VFW_E_NOT_FOUND = static_cast<HRESULT>(0x80040216u);
constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = static_cast<HRESULT>(0x80040265u);
constexpr HRESULT VFW_E_WRONG_STATE = static_cast<HRESULT>(0x80040227u);
constexpr HRESULT VFW_S_STATE_INTERMEDIATE = static_cast<HRESULT>(0x00040237u);
constexpr HRESULT E_ACCESSDENIED_MEDIA = static_cast<HRESULT>(0x80070005u);

OV_DEFINE_GUID(CLSID_FilterGraph, 0xE436EBB3, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
OV_DEFINE_GUID(CLSID_VideoMixingRenderer9, 0x51B4ABF3, 0x748F, 0x4E3B, 0xA2, 0x76, 0xC8, 0x28, 0x33, 0x0E, 0x92,
               0x6A);
OV_DEFINE_GUID(IID_IBaseFilter, 0x56A86895, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
OV_DEFINE_GUID(IID_IGraphBuilder, 0x56A868A9, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
OV_DEFINE_GUID(IID_IMediaControl, 0x56A868B1, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
OV_DEFINE_GUID(IID_IMediaEventEx, 0x56A868C0, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
OV_DEFINE_GUID(IID_IMediaSeeking, 0x36B73880, 0xC2C8, 0x11CF, 0x8B, 0x46, 0x00, 0x80, 0x5F, 0x6C, 0xEF, 0x60);
OV_DEFINE_GUID(IID_IBasicAudio, 0x56A868B3, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
OV_DEFINE_GUID(IID_IVMRFilterConfig9, 0x5A804648, 0x4F66, 0x4867, 0x9C, 0x43, 0x4F, 0x5C, 0x82, 0x2C, 0xF1, 0xB8);
OV_DEFINE_GUID(IID_IVMRSurfaceAllocatorNotify9, 0xDCA3F5DF, 0xBB3A, 0x4D03, 0xBD, 0x81, 0x84, 0x61, 0x4B, 0xFB,
               0xFA, 0x0C);
OV_DEFINE_GUID(IID_IVMRSurfaceAllocator9, 0x8D5148EA, 0x3F5D, 0x46CF, 0x9D, 0xF1, 0xD1, 0xB8, 0x96, 0xEE, 0xDB, 0x1F);
OV_DEFINE_GUID(IID_IVMRImagePresenter9, 0x69188C61, 0x12A3, 0x40F0, 0x8F, 0xFC, 0x34, 0x2E, 0x7B, 0x43, 0x3F, 0xD7);

struct IBaseFilter : IUnknown {
  static const IID& iid() { return IID_IBaseFilter; }
};

struct IGraphBuilder : IUnknown {
  static const IID& iid() { return IID_IGraphBuilder; }
  virtual HRESULT AddFilter(IBaseFilter* pFilter, LPCWSTR pName) = 0;
  // Opens the file and connects its best video stream (required) to the renderer added
  // before, and its best audio stream (optional) to the sound output.
  virtual HRESULT RenderFile(LPCWSTR lpcwstrFile, LPCWSTR lpcwstrPlayList) = 0;
};

struct IMediaControl : IUnknown {
  static const IID& iid() { return IID_IMediaControl; }
  virtual HRESULT Run() = 0;
  virtual HRESULT Pause() = 0;
  // Synchronous: no frame is presented after it returns.
  virtual HRESULT Stop() = 0;
  virtual HRESULT GetState(LONG msTimeout, OAFilterState* pfs) = 0;
};

struct IMediaEventEx : IUnknown {
  static const IID& iid() { return IID_IMediaEventEx; }
  // E_ABORT when no event is queued within the timeout.
  virtual HRESULT GetEvent(LONG* lEventCode, LONG_PTR* lParam1, LONG_PTR* lParam2, LONG msTimeout) = 0;
  virtual HRESULT FreeEventParams(LONG lEvCode, LONG_PTR lParam1, LONG_PTR lParam2) = 0;
  // Posts lMsg with wParam 0 and lParam lInstanceData to the window whenever an event is queued.
  virtual HRESULT SetNotifyWindow(OAHWND hwnd, LONG lMsg, LONG_PTR lInstanceData) = 0;
};

struct IMediaSeeking : IUnknown {
  static const IID& iid() { return IID_IMediaSeeking; }
  // Positions in 100 ns units.
  virtual HRESULT SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags) = 0;
  virtual HRESULT GetPositions(LONGLONG* pCurrent, LONGLONG* pStop) = 0;
};

struct IBasicAudio : IUnknown {
  static const IID& iid() { return IID_IBasicAudio; }
  // Hundredths of a decibel, -10000 (silence) .. 0 (full).
  virtual HRESULT put_Volume(LONG lVolume) = 0;
  virtual HRESULT get_Volume(LONG* plVolume) = 0;
};

// VMR-9.
enum VMR9Mode : DWORD { VMR9Mode_Windowed = 1, VMR9Mode_Windowless = 2, VMR9Mode_Renderless = 4 };
enum VMR9SurfaceAllocationFlags : DWORD {
  VMR9AllocFlag_3DRenderTarget = 0x1,
  VMR9AllocFlag_DXVATarget = 0x2,
  VMR9AllocFlag_TextureSurface = 0x4,
  VMR9AllocFlag_OffscreenSurface = 0x8,
};

struct VMR9AllocationInfo {
  DWORD dwFlags;
  DWORD dwWidth;
  DWORD dwHeight;
  D3DFORMAT Format;
  D3DPOOL Pool;
  DWORD MinBuffers;
  SIZE szAspectRatio;
  SIZE szNativeSize;
};

struct VMR9PresentationInfo {
  DWORD dwFlags;
  IDirect3DSurface9* lpSurf;
  REFERENCE_TIME rtStart;
  REFERENCE_TIME rtEnd;
  SIZE szAspectRatio;
  RECT rcSrc;
  RECT rcDst;
  DWORD dwReserved1;
  DWORD dwReserved2;
};

struct IVMRSurfaceAllocator9;

struct IVMRFilterConfig9 : IUnknown {
  static const IID& iid() { return IID_IVMRFilterConfig9; }
  virtual HRESULT SetRenderingMode(DWORD mode) = 0;
  virtual HRESULT SetNumberOfStreams(DWORD dwMaxStreams) = 0;
};

struct IVMRSurfaceAllocatorNotify9 : IUnknown {
  static const IID& iid() { return IID_IVMRSurfaceAllocatorNotify9; }
  virtual HRESULT AdviseSurfaceAllocator(DWORD_PTR dwUserID, IVMRSurfaceAllocator9* lpIVRMSurfaceAllocator) = 0;
  virtual HRESULT SetD3DDevice(IDirect3DDevice9* lpD3DDevice, HMONITOR hMonitor) = 0;
  virtual HRESULT ChangeD3DDevice(IDirect3DDevice9* lpD3DDevice, HMONITOR hMonitor) = 0;
  // Creates *lpNumBuffers surfaces on the device given by SetD3DDevice: textures (their level
  // 0) with VMR9AllocFlag_TextureSurface, offscreen plain surfaces with
  // VMR9AllocFlag_OffscreenSurface.
  virtual HRESULT AllocateSurfaceHelper(VMR9AllocationInfo* lpAllocInfo, DWORD* lpNumBuffers,
                                        IDirect3DSurface9** lplpSurface) = 0;
};

struct IVMRSurfaceAllocator9 : IUnknown {
  static const IID& iid() { return IID_IVMRSurfaceAllocator9; }
  virtual HRESULT InitializeDevice(DWORD_PTR dwUserID, VMR9AllocationInfo* lpAllocInfo, DWORD* lpNumBuffers) = 0;
  virtual HRESULT TerminateDevice(DWORD_PTR dwID) = 0;
  virtual HRESULT GetSurface(DWORD_PTR dwUserID, DWORD SurfaceIndex, DWORD SurfaceFlags,
                             IDirect3DSurface9** lplpSurface) = 0;
  virtual HRESULT AdviseNotify(IVMRSurfaceAllocatorNotify9* lpIVMRSurfAllocNotify) = 0;
};

struct IVMRImagePresenter9 : IUnknown {
  static const IID& iid() { return IID_IVMRImagePresenter9; }
  virtual HRESULT StartPresenting(DWORD_PTR dwUserID) = 0;
  virtual HRESULT StopPresenting(DWORD_PTR dwUserID) = 0;
  virtual HRESULT PresentImage(DWORD_PTR dwUserID, VMR9PresentationInfo* lpPresInfo) = 0;
};
