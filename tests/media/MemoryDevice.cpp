#include "MemoryDevice.h"

namespace memdev {
namespace {
bool IsYuv(D3DFORMAT f) { return f == D3DFMT_YV12 || f == D3DFMT_NV12; }
}  // namespace

Surface::Surface(UINT w, UINT h, D3DFORMAT f, Texture* container)
    : width(w), height(h), format(f), container_(container) {
  ++g_liveObjects;
  pitch = IsYuv(f) ? static_cast<int>((w + 15) & ~15u) : static_cast<int>(w * 4 + 12);  // padded rows
  const std::size_t rows = IsYuv(f) ? h + h / 2 : h;
  bits.assign(static_cast<std::size_t>(pitch) * rows, 0xEE);
}
Surface::~Surface() { --g_liveObjects; }

HRESULT Surface::QueryInterface(REFIID riid, void** ppv) {
  if (riid == IID_IUnknown || riid == IID_IDirect3DSurface9) {
    AddRef();
    *ppv = static_cast<IDirect3DSurface9*>(this);
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}
// A texture's level shares the texture's count, as in Direct3D 9.
ULONG Surface::AddRef() { return container_ ? container_->AddRef() : ++refs_; }
ULONG Surface::Release() {
  if (container_) return container_->Release();
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}
HRESULT Surface::GetContainer(REFIID riid, void** ppContainer) {
  if (!container_ || riid != IID_IDirect3DTexture9) {
    *ppContainer = nullptr;
    return E_NOINTERFACE;
  }
  container_->AddRef();
  *ppContainer = static_cast<IDirect3DTexture9*>(container_);
  return S_OK;
}
HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  *desc = {};
  desc->Format = format;
  desc->Type = D3DRTYPE_SURFACE;
  desc->Width = width;
  desc->Height = height;
  return S_OK;
}
HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
  if (rect) return D3DERR_INVALIDCALL;
  ++locks;
  locked->Pitch = pitch;
  locked->pBits = bits.data();
  return S_OK;
}
HRESULT Surface::UnlockRect() {
  ++unlocks;
  return S_OK;
}
Surface::Pixel Surface::At(int x, int y) const {
  if (format == D3DFMT_X8R8G8B8) {
    const std::uint8_t* p = &bits[static_cast<std::size_t>(y) * pitch + x * 4];
    return {p[2], p[1], p[0]};  // R, G, B
  }
  const int luma = bits[static_cast<std::size_t>(y) * pitch + x];
  const std::size_t chroma = static_cast<std::size_t>(pitch) * height;
  if (format == D3DFMT_NV12) {
    const std::uint8_t* uv = &bits[chroma + static_cast<std::size_t>(y / 2) * pitch + (x / 2) * 2];
    return {luma, uv[0], uv[1]};
  }
  const std::size_t v = chroma + static_cast<std::size_t>(y / 2) * (pitch / 2) + x / 2;
  const std::size_t u = v + static_cast<std::size_t>(pitch / 2) * (height / 2);
  return {luma, bits[u], bits[v]};  // Y, U, V
}

Texture::Texture(UINT w, UINT h, D3DFORMAT f) : level0_(new Surface(w, h, f, this)) { ++g_liveObjects; }
Texture::~Texture() {
  delete level0_;
  --g_liveObjects;
}
HRESULT Texture::QueryInterface(REFIID riid, void** ppv) {
  if (riid == IID_IUnknown || riid == IID_IDirect3DTexture9) {
    AddRef();
    *ppv = static_cast<IDirect3DTexture9*>(this);
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}
ULONG Texture::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}
HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
  if (level != 0) return D3DERR_INVALIDCALL;
  AddRef();
  *surface = level0_;
  return S_OK;
}

HRESULT Device::QueryInterface(REFIID riid, void** ppv) {
  if (riid == IID_IUnknown || riid == IID_IDirect3DDevice9) {
    AddRef();
    *ppv = static_cast<IDirect3DDevice9*>(this);
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}
ULONG Device::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}
HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD, D3DFORMAT format, D3DPOOL,
                              IDirect3DTexture9** texture, HANDLE*) {
  if (IsYuv(format)) return D3DERR_NOTAVAILABLE;
  if (!texture || levels != 1 || width == 0 || height == 0) return D3DERR_INVALIDCALL;
  *texture = new Texture(width, height, format);
  ++created;
  return S_OK;
}
HRESULT Device::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL,
                                            IDirect3DSurface9** surface, HANDLE*) {
  if (!surface || width == 0 || height == 0) return D3DERR_INVALIDCALL;
  if (refuseOffscreenYuv && IsYuv(format)) return D3DERR_NOTAVAILABLE;
  *surface = new Surface(width, height, format, nullptr);
  ++created;
  return S_OK;
}

}  // namespace memdev
