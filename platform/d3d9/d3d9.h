// The Direct3D 9 object, device and resources the program uses, on OpenGL through GLX.
// Only the calls the program makes exist; each does what the program relies on.
#pragma once

#include "unknwn.h"
#include "wintypes.h"

using D3DCOLOR = DWORD;
inline constexpr D3DCOLOR D3DCOLOR_ARGB(unsigned a, unsigned r, unsigned g, unsigned b) {
  return ((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}
inline constexpr D3DCOLOR D3DCOLOR_XRGB(unsigned r, unsigned g, unsigned b) { return D3DCOLOR_ARGB(255, r, g, b); }

inline constexpr DWORD MAKEFOURCC(char a, char b, char c, char d) {
  return static_cast<DWORD>(static_cast<BYTE>(a)) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 8) |
         (static_cast<DWORD>(static_cast<BYTE>(c)) << 16) | (static_cast<DWORD>(static_cast<BYTE>(d)) << 24);
}

enum D3DFORMAT : DWORD {
  D3DFMT_UNKNOWN = 0,
  D3DFMT_A8R8G8B8 = 21,
  D3DFMT_X8R8G8B8 = 22,
  D3DFMT_YV12 = MAKEFOURCC('Y', 'V', '1', '2'),
  D3DFMT_NV12 = MAKEFOURCC('N', 'V', '1', '2'),
};

enum D3DPOOL : DWORD { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1, D3DPOOL_SYSTEMMEM = 2 };
enum D3DDEVTYPE : DWORD { D3DDEVTYPE_HAL = 1 };
enum D3DSWAPEFFECT : DWORD { D3DSWAPEFFECT_DISCARD = 1, D3DSWAPEFFECT_FLIP = 2, D3DSWAPEFFECT_COPY = 3 };
enum D3DBACKBUFFER_TYPE : DWORD { D3DBACKBUFFER_TYPE_MONO = 0 };
enum D3DRESOURCETYPE : DWORD { D3DRTYPE_SURFACE = 1, D3DRTYPE_TEXTURE = 3, D3DRTYPE_VERTEXBUFFER = 6 };
enum D3DMULTISAMPLE_TYPE : DWORD { D3DMULTISAMPLE_NONE = 0 };
enum D3DTEXTUREFILTERTYPE : DWORD { D3DTEXF_NONE = 0, D3DTEXF_POINT = 1, D3DTEXF_LINEAR = 2 };
enum D3DPRIMITIVETYPE : DWORD { D3DPT_TRIANGLELIST = 4, D3DPT_TRIANGLESTRIP = 5 };
enum D3DTRANSFORMSTATETYPE : DWORD { D3DTS_VIEW = 2, D3DTS_PROJECTION = 3, D3DTS_WORLD = 256 };
enum D3DRENDERSTATETYPE : DWORD { D3DRS_CULLMODE = 22, D3DRS_LIGHTING = 137 };
enum D3DCULL : DWORD { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum D3DSAMPLERSTATETYPE : DWORD {
  D3DSAMP_ADDRESSU = 1,
  D3DSAMP_ADDRESSV = 2,
  D3DSAMP_MAGFILTER = 5,
  D3DSAMP_MINFILTER = 6,
  D3DSAMP_MIPFILTER = 7,
};
enum D3DTEXTUREADDRESS : DWORD { D3DTADDRESS_WRAP = 1, D3DTADDRESS_CLAMP = 3 };

constexpr UINT D3D_SDK_VERSION = 32;
constexpr UINT D3DADAPTER_DEFAULT = 0;
constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x00000020;
constexpr DWORD D3DCREATE_MULTITHREADED = 0x00000004;
constexpr DWORD D3DCLEAR_TARGET = 0x00000001;
constexpr DWORD D3DUSAGE_RENDERTARGET = 0x00000001;
constexpr DWORD D3DUSAGE_WRITEONLY = 0x00000008;
constexpr DWORD D3DUSAGE_DYNAMIC = 0x00000200;
constexpr DWORD D3DLOCK_DISCARD = 0x00002000;
constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x00000002;
constexpr DWORD D3DPRESENT_INTERVAL_DEFAULT = 0x00000000;
constexpr DWORD D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000;
constexpr DWORD D3DFVF_XYZ = 0x002;
constexpr DWORD D3DFVF_TEX1 = 0x100;

constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = static_cast<HRESULT>(0x88760818u);
constexpr HRESULT D3DERR_NOTAVAILABLE = static_cast<HRESULT>(0x8876086Au);
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = static_cast<HRESULT>(0x8876017Cu);
constexpr HRESULT D3DERR_DEVICELOST = static_cast<HRESULT>(0x88760868u);
constexpr HRESULT D3DERR_DEVICENOTRESET = static_cast<HRESULT>(0x88760869u);
constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);

struct D3DDISPLAYMODE {
  UINT Width;
  UINT Height;
  UINT RefreshRate;
  D3DFORMAT Format;
};

struct D3DPRESENT_PARAMETERS {
  UINT BackBufferWidth;
  UINT BackBufferHeight;
  D3DFORMAT BackBufferFormat;
  UINT BackBufferCount;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  D3DSWAPEFFECT SwapEffect;
  HWND hDeviceWindow;
  BOOL Windowed;
  BOOL EnableAutoDepthStencil;
  D3DFORMAT AutoDepthStencilFormat;
  DWORD Flags;
  UINT FullScreen_RefreshRateInHz;
  UINT PresentationInterval;
};

struct D3DCAPS9 {
  D3DDEVTYPE DeviceType;
  UINT AdapterOrdinal;
  DWORD TextureCaps;
  DWORD MaxTextureWidth;
  DWORD MaxTextureHeight;
};

struct D3DSURFACE_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  UINT Width;
  UINT Height;
};

// For a planar YUV surface the planes follow each other in one block: YV12 is the Y plane
// (Height rows of Pitch bytes), then V and U (Height / 2 rows of Pitch / 2 bytes each);
// NV12 is the Y plane, then interleaved U and V (Height / 2 rows of Pitch bytes).
struct D3DLOCKED_RECT {
  INT Pitch;
  void* pBits;
};

struct D3DRECT {
  LONG x1;
  LONG y1;
  LONG x2;
  LONG y2;
};

struct D3DMATRIX {
  float m[4][4];
};

struct D3DVECTOR {
  float x;
  float y;
  float z;
};

// How the YUV values of a surface are to be read. Automatic picks BT.601 for frames under
// 720 lines and BT.709 from there on.
enum class YuvMatrix { Automatic, Bt601, Bt709 };
struct YuvColorInfo {
  YuvMatrix matrix = YuvMatrix::Automatic;
  bool fullRange = false;
};

struct IDirect3DDevice9;
struct IDirect3DTexture9;

OV_DEFINE_GUID(IID_IDirect3DTexture9, 0x85C31227, 0x3DE5, 0x4F00, 0x9B, 0x3A, 0xF1, 0x1A, 0xC3, 0x8C, 0x18, 0xB5);
OV_DEFINE_GUID(IID_IDirect3DSurface9, 0x0CFBAF3A, 0x9FF6, 0x429A, 0x99, 0xB3, 0xA2, 0x79, 0x6A, 0xF8, 0xB8, 0x9B);
OV_DEFINE_GUID(IID_IDirect3DDevice9, 0xD0223B96, 0xBF7A, 0x43FD, 0x92, 0xBD, 0xA4, 0x3B, 0x0D, 0x82, 0xB9, 0xEB);
OV_DEFINE_GUID(IID_IDirect3D9, 0x81BDCBCA, 0x64D4, 0x426D, 0xAE, 0x8D, 0xAD, 0x01, 0x47, 0xF4, 0x27, 0x5C);
OV_DEFINE_GUID(IID_IDirect3DVertexBuffer9, 0xB64BB1B5, 0xFD70, 0x4DF6, 0xBF, 0x91, 0x19, 0xD0, 0xA1, 0x24, 0x55, 0xE3);

struct IDirect3DSurface9 : IUnknown {
  static const IID& iid() { return IID_IDirect3DSurface9; }
  // The texture a texture surface belongs to (IID_IDirect3DTexture9); E_NOINTERFACE for an
  // offscreen plain surface or the back buffer.
  virtual HRESULT GetContainer(REFIID riid, void** ppContainer) = 0;
  virtual HRESULT GetDesc(D3DSURFACE_DESC* pDesc) = 0;
  // CPU access to the pixels of a lockable surface (offscreen plain surfaces and the level
  // of a non-render-target texture). The whole surface is locked; the rectangle must be null.
  virtual HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD flags) = 0;
  // Makes what was written since LockRect visible to the device.
  virtual HRESULT UnlockRect() = 0;
  // Layer extension: how the YUV values written into this surface are to be converted.
  virtual void SetYuvColorInfo(const YuvColorInfo& info) = 0;
};

struct IDirect3DTexture9 : IUnknown {
  static const IID& iid() { return IID_IDirect3DTexture9; }
  virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** ppSurfaceLevel) = 0;
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* pDesc) = 0;
};

struct IDirect3DVertexBuffer9 : IUnknown {
  static const IID& iid() { return IID_IDirect3DVertexBuffer9; }
  virtual HRESULT Lock(UINT offsetToLock, UINT sizeToLock, void** ppbData, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;
};

struct IDirect3DDevice9 : IUnknown {
  static const IID& iid() { return IID_IDirect3DDevice9; }
  virtual HRESULT TestCooperativeLevel() = 0;
  virtual HRESULT GetDeviceCaps(D3DCAPS9* pCaps) = 0;
  virtual HRESULT GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) = 0;
  virtual HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                          const void* pDirtyRegion) = 0;
  virtual HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE type,
                                IDirect3DSurface9** ppBackBuffer) = 0;
  // Textures in RGB formats, plain or render target; YUV formats are refused with
  // D3DERR_NOTAVAILABLE, as Direct3D 9 refuses them.
  virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) = 0;
  virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                     IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) = 0;
  // Offscreen plain surfaces in RGB formats and in YV12 and NV12.
  virtual HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                              IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) = 0;
  // Copies (and scales) a YUV or RGB surface into a render-target surface, converting
  // colour on the GPU. Rectangles null mean whole surfaces.
  virtual HRESULT StretchRect(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                              IDirect3DSurface9* pDestSurface, const RECT* pDestRect,
                              D3DTEXTUREFILTERTYPE filter) = 0;
  virtual HRESULT SetRenderTarget(DWORD renderTargetIndex, IDirect3DSurface9* pRenderTarget) = 0;
  virtual HRESULT GetRenderTarget(DWORD renderTargetIndex, IDirect3DSurface9** ppRenderTarget) = 0;
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT Clear(DWORD count, const D3DRECT* pRects, DWORD flags, D3DCOLOR color, float z,
                        DWORD stencil) = 0;
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* pMatrix) = 0;
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
  virtual HRESULT SetTexture(DWORD stage, IDirect3DTexture9* pTexture) = 0;
  virtual HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;
  virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex, UINT primitiveCount) = 0;
  virtual HRESULT SetFVF(DWORD fvf) = 0;
  virtual HRESULT SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* pStreamData, UINT offsetInBytes,
                                  UINT stride) = 0;
};

struct IDirect3D9 : IUnknown {
  static const IID& iid() { return IID_IDirect3D9; }
  virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* pMode) = 0;
  virtual HMONITOR GetAdapterMonitor(UINT adapter) = 0;
  // Creates a device presenting into the window's client area. A back buffer of 0 x 0 takes
  // the window's client size at this moment.
  virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND hFocusWindow, DWORD behaviorFlags,
                               D3DPRESENT_PARAMETERS* pPresentationParameters,
                               IDirect3DDevice9** ppReturnedDeviceInterface) = 0;
};

// Null when no X display or no GLX is available.
IDirect3D9* Direct3DCreate9(UINT sdkVersion);

// Switches for tests only; the program never sets them.
namespace d3d9_testing {
// Devices report D3DPTEXTURECAPS_POW2 (and refuse non-power-of-two textures).
void SetReportPow2Textures(bool on);
// Device loss: Lost makes Present answer D3DERR_DEVICELOST and TestCooperativeLevel
// D3DERR_DEVICELOST; NotReset makes TestCooperativeLevel answer D3DERR_DEVICENOTRESET
// (Present still answers lost). CreateDevice sets the state back to None.
enum class LossState { None, Lost, NotReset };
void SetDeviceLoss(LossState state);
}  // namespace d3d9_testing
