// The Direct3D-9-shaped device: a thin front that records state and draws through one GL
// context on the window. Any thread may call it: every call takes the device's lock and
// binds the context to the calling thread for the length of the call.
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "D3D9Resources.h"
#include "GlShaders.h"
#include "GlxWindowContext.h"
#include "YuvToRgb.h"
#include "d3d9.h"

class Device9 final : public IDirect3DDevice9 {
 public:
  // Holds the lock and the current context; nests on one thread.
  class Scope {
   public:
    explicit Scope(Device9& device);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    bool ok() const { return ok_; }

   private:
    Device9& device_;
    bool ok_;
  };

  // A device on the window with a back buffer of width x height (0 x 0: the client size).
  static HRESULT Create(HWND window, UINT width, UINT height, D3DDISPLAYMODE mode, IDirect3DDevice9** out);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT TestCooperativeLevel() override;
  HRESULT GetDeviceCaps(D3DCAPS9* pCaps) override;
  HRESULT GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) override;
  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                  const void* pDirtyRegion) override;
  HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE type,
                        IDirect3DSurface9** ppBackBuffer) override;
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) override;
  HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) override;
  HRESULT StretchRect(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect, IDirect3DSurface9* pDestSurface,
                      const RECT* pDestRect, D3DTEXTUREFILTERTYPE filter) override;
  HRESULT SetRenderTarget(DWORD renderTargetIndex, IDirect3DSurface9* pRenderTarget) override;
  HRESULT GetRenderTarget(DWORD renderTargetIndex, IDirect3DSurface9** ppRenderTarget) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD count, const D3DRECT* pRects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* pMatrix) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT SetTexture(DWORD stage, IDirect3DTexture9* pTexture) override;
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex, UINT primitiveCount) override;
  HRESULT SetFVF(DWORD fvf) override;
  HRESULT SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* pStreamData, UINT offsetInBytes,
                          UINT stride) override;

  // Called by a resource that goes away, under the lock: the device stops pointing at it.
  void Forget(const void* resource);
  // A resource bound GL objects of its own on unit 0 or the array buffer.
  void InvalidateBindings() { dirty_ |= kTexture | kStream; }
  GLint maxTextureSize() const { return maxTextureSize_; }

 private:
  enum : unsigned {
    kTarget = 1u << 0,
    kProgram = 1u << 1,
    kMatrix = 1u << 2,
    kCull = 1u << 3,
    kSampler = 1u << 4,
    kTexture = 1u << 5,
    kStream = 1u << 6,
    kAll = 0x7Fu,
  };

  explicit Device9(D3DDISPLAYMODE mode);
  ~Device9();
  bool Initialize(HWND window, UINT width, UINT height);
  void ApplyState();
  void BindTarget();
  // A whole YUV surface onto a texture of its size, converted by the CPU; false when the copy
  // is not such a one.
  bool CopyYuvWhole(Surface9& source, const RECT& sourceRect, Surface9& destination, const RECT& destRect);
  bool TargetIsFlipped() const { return renderTarget_ != &backBuffer_; }

  std::atomic<ULONG> refs_{1};
  std::recursive_mutex mutex_;
  int depth_ = 0;
  GlxWindowContext gl_;
  D3DDISPLAYMODE mode_;
  GLint maxTextureSize_ = 0;

  GlFixedFunctionProgram fixed_;
  GlCopyProgram copy_;
  GLuint vao_ = 0;
  GLuint copyVao_ = 0;
  GLuint sampler_ = 0;
  bool cpuYuvCopy_ = false;  // whole YUV copies converted on the CPU (software rasterisers)
  YuvToRgb yuvToRgb_;
  std::vector<std::uint32_t> converted_;

  Surface9 backBuffer_;
  // Bound resources are not owned: a resource that goes away tells the device (Forget).
  Surface9* renderTarget_ = nullptr;
  Texture9* texture_ = nullptr;
  VertexBuffer9* stream_ = nullptr;
  UINT streamOffset_ = 0;
  UINT stride_ = 0;
  DWORD fvf_ = 0;
  bool inScene_ = false;

  D3DMATRIX world_;
  D3DMATRIX view_;
  D3DMATRIX projection_;
  DWORD cull_ = D3DCULL_CCW;
  DWORD lighting_ = TRUE;
  DWORD addressU_ = D3DTADDRESS_WRAP;
  DWORD addressV_ = D3DTADDRESS_WRAP;
  DWORD magFilter_ = D3DTEXF_POINT;
  DWORD minFilter_ = D3DTEXF_POINT;
  DWORD mipFilter_ = D3DTEXF_NONE;
  unsigned dirty_ = kAll;
};

namespace d3d9_testing {
bool ReportPow2Textures();
LossState CurrentDeviceLoss();
}  // namespace d3d9_testing
