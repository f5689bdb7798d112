// A device that keeps surfaces in memory: enough of IDirect3DDevice9 for the renderer's
// AllocateSurfaceHelper and for reading back what the renderer wrote. Like Direct3D 9 it
// refuses YUV textures. Counts its live objects so tests can check that all were released.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "d3d9.h"

namespace memdev {

inline std::atomic<int> g_liveObjects{0};

class Texture;

class Surface final : public IDirect3DSurface9 {
 public:
  Surface(UINT w, UINT h, D3DFORMAT format, Texture* container);
  ~Surface();
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT GetContainer(REFIID riid, void** ppContainer) override;
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;
  void SetYuvColorInfo(const YuvColorInfo& info) override { colorInfo = info; }

  // What was written: the Y (or B, G, R) and chroma values at a pixel.
  struct Pixel {
    int a, b, c;
  };
  Pixel At(int x, int y) const;

  UINT width, height;
  D3DFORMAT format;
  int pitch;
  std::vector<std::uint8_t> bits;
  YuvColorInfo colorInfo;
  std::atomic<int> locks{0};
  std::atomic<int> unlocks{0};

 private:
  std::atomic<ULONG> refs_{1};
  Texture* container_;
};

class Texture final : public IDirect3DTexture9 {
 public:
  Texture(UINT w, UINT h, D3DFORMAT format);
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
  HRESULT GetLevelDesc(UINT, D3DSURFACE_DESC* desc) override { return level0_->GetDesc(desc); }

 private:
  ~Texture();
  std::atomic<ULONG> refs_{1};
  Surface* level0_;
};

class Device final : public IDirect3DDevice9 {
 public:
  Device() { ++g_liveObjects; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture9** texture, HANDLE* shared) override;
  HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DSurface9** surface, HANDLE* shared) override;
  std::atomic<int> created{0};
  bool refuseOffscreenYuv = false;

  // Not used by the renderer.
  HRESULT TestCooperativeLevel() override { return E_NOTIMPL; }
  HRESULT GetDeviceCaps(D3DCAPS9*) override { return E_NOTIMPL; }
  HRESULT GetDisplayMode(UINT, D3DDISPLAYMODE*) override { return E_NOTIMPL; }
  HRESULT Present(const RECT*, const RECT*, HWND, const void*) override { return E_NOTIMPL; }
  HRESULT GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9**) override { return E_NOTIMPL; }
  HRESULT CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer9**, HANDLE*) override {
    return E_NOTIMPL;
  }
  HRESULT StretchRect(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const RECT*,
                      D3DTEXTUREFILTERTYPE) override {
    return E_NOTIMPL;
  }
  HRESULT SetRenderTarget(DWORD, IDirect3DSurface9*) override { return E_NOTIMPL; }
  HRESULT GetRenderTarget(DWORD, IDirect3DSurface9**) override { return E_NOTIMPL; }
  HRESULT BeginScene() override { return E_NOTIMPL; }
  HRESULT EndScene() override { return E_NOTIMPL; }
  HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return E_NOTIMPL; }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return E_NOTIMPL; }
  HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return E_NOTIMPL; }
  HRESULT SetTexture(DWORD, IDirect3DTexture9*) override { return E_NOTIMPL; }
  HRESULT SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override { return E_NOTIMPL; }
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return E_NOTIMPL; }
  HRESULT SetFVF(DWORD) override { return E_NOTIMPL; }
  HRESULT SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) override { return E_NOTIMPL; }

 private:
  ~Device() { --g_liveObjects; }
  std::atomic<ULONG> refs_{1};
};

}  // namespace memdev
