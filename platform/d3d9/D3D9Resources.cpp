#include "D3D9Resources.h"

#include <cstring>
#include <new>

#include "D3D9Device.h"
#include "D3D9Formats.h"

using namespace d3d9_formats;

namespace {

GLuint MakeTexture(GLenum internalFormat, GLenum format, UINT width, UINT height, bool opaque) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), static_cast<GLsizei>(width),
               static_cast<GLsizei>(height), 0, format, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  if (opaque) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
  return texture;
}

void UploadPlane(GLuint texture, GLenum format, UINT width, UINT height, UINT rowPixels, const std::uint8_t* data) {
  glBindTexture(GL_TEXTURE_2D, texture);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(rowPixels));
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), format,
                  GL_UNSIGNED_BYTE, data);
}

}  // namespace

// ---- Surface9 ----

Surface9::Surface9(Device9* device, Kind kind, Texture9* texture, D3DFORMAT format, UINT width, UINT height,
                   DWORD usage, D3DPOOL pool)
    : device_(device),
      kind_(kind),
      texture_(texture),
      format_(format),
      width_(width),
      height_(height),
      usage_(usage),
      pool_(pool) {}

Surface9::~Surface9() = default;

bool Surface9::CreateGl() {
  if (kind_ == Kind::BackBuffer) return true;
  const UINT chromaWidth = (width_ + 1) / 2;
  const UINT chromaHeight = ChromaRows(height_);
  if (IsRgb(format_)) {
    planes_[0] = MakeTexture(GL_RGBA8, GL_BGRA, width_, height_, format_ == D3DFMT_X8R8G8B8);
  } else if (format_ == D3DFMT_YV12) {
    planes_[0] = MakeTexture(GL_R8, GL_RED, width_, height_, false);
    planes_[1] = MakeTexture(GL_R8, GL_RED, chromaWidth, chromaHeight, false);
    planes_[2] = MakeTexture(GL_R8, GL_RED, chromaWidth, chromaHeight, false);
  } else {
    planes_[0] = MakeTexture(GL_R8, GL_RED, width_, height_, false);
    planes_[1] = MakeTexture(GL_RG8, GL_RG, chromaWidth, chromaHeight, false);
  }
  device_->InvalidateBindings();
  if (glGetError() != GL_NO_ERROR) {
    DestroyGl();
    return false;
  }
  if (!IsRenderTarget()) {
    pitch_ = Pitch(format_, width_);
    staging_.reset(new (std::nothrow) std::uint8_t[BlockSize(format_, width_, height_)]());
    if (!staging_) {
      DestroyGl();
      return false;
    }
  }
  return true;
}

void Surface9::DestroyGl() {
  if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
  framebuffer_ = 0;
  for (GLuint& plane : planes_) {
    if (plane) glDeleteTextures(1, &plane);
    plane = 0;
  }
}

GLuint Surface9::Framebuffer() {
  if (kind_ == Kind::BackBuffer || framebuffer_) return framebuffer_;
  glGenFramebuffers(1, &framebuffer_);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, planes_[0], 0);
  return framebuffer_;
}

HRESULT Surface9::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirect3DSurface9) {
    *ppv = static_cast<IDirect3DSurface9*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG Surface9::AddRef() {
  if (kind_ == Kind::BackBuffer) return device_->AddRef();
  if (kind_ == Kind::TextureLevel) return texture_->AddRef();
  return ++refs_;
}

ULONG Surface9::Release() {
  if (kind_ == Kind::BackBuffer) return device_->Release();
  if (kind_ == Kind::TextureLevel) return texture_->Release();
  const ULONG left = --refs_;
  if (left == 0) {
    Device9* device = device_;
    {
      Device9::Scope scope(*device);
      DestroyGl();
      device->Forget(this);
    }
    delete this;
    device->Release();
  }
  return left;
}

HRESULT Surface9::GetContainer(REFIID riid, void** ppContainer) {
  if (!ppContainer) return E_POINTER;
  if (kind_ == Kind::TextureLevel) return texture_->QueryInterface(riid, ppContainer);
  *ppContainer = nullptr;
  return E_NOINTERFACE;
}

HRESULT Surface9::GetDesc(D3DSURFACE_DESC* pDesc) {
  if (!pDesc) return D3DERR_INVALIDCALL;
  *pDesc = D3DSURFACE_DESC{format_, D3DRTYPE_SURFACE, usage_, pool_, D3DMULTISAMPLE_NONE, 0, width_, height_};
  return S_OK;
}

HRESULT Surface9::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD) {
  if (!pLockedRect || pRect || !staging_) return D3DERR_INVALIDCALL;
  Device9::Scope scope(*device_);
  if (locked_) return D3DERR_INVALIDCALL;
  locked_ = true;
  pLockedRect->Pitch = static_cast<INT>(pitch_);
  pLockedRect->pBits = staging_.get();
  return S_OK;
}

HRESULT Surface9::UnlockRect() {
  Device9::Scope scope(*device_);
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  if (!scope.ok()) return D3DERR_DEVICELOST;
  Upload();
  return S_OK;
}

void Surface9::Upload() {
  const std::uint8_t* bits = staging_.get();
  const UINT chromaWidth = (width_ + 1) / 2;
  const UINT chromaHeight = ChromaRows(height_);
  glActiveTexture(GL_TEXTURE0);
  if (IsRgb(format_)) {
    UploadPlane(planes_[0], GL_BGRA, width_, height_, pitch_ / 4, bits);
  } else {
    UploadPlane(planes_[0], GL_RED, width_, height_, pitch_, bits);
    const std::uint8_t* chroma = bits + static_cast<std::size_t>(pitch_) * height_;
    if (format_ == D3DFMT_YV12) {
      const std::size_t planeSize = static_cast<std::size_t>(pitch_ / 2) * chromaHeight;
      UploadPlane(planes_[2], GL_RED, chromaWidth, chromaHeight, pitch_ / 2, chroma);  // V comes first
      UploadPlane(planes_[1], GL_RED, chromaWidth, chromaHeight, pitch_ / 2, chroma + planeSize);
    } else {
      UploadPlane(planes_[1], GL_RG, chromaWidth, chromaHeight, pitch_ / 2, chroma);
    }
  }
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  device_->InvalidateBindings();
}

void Surface9::SetYuvColorInfo(const YuvColorInfo& info) {
  Device9::Scope scope(*device_);
  yuvInfo_ = info;
}

// ---- Texture9 ----

Texture9::Texture9(Device9* device, D3DFORMAT format, UINT width, UINT height, DWORD usage, D3DPOOL pool)
    : device_(device), level_(device, Surface9::Kind::TextureLevel, this, format, width, height, usage, pool) {}

Texture9::~Texture9() = default;

HRESULT Texture9::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirect3DTexture9) {
    *ppv = static_cast<IDirect3DTexture9*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG Texture9::AddRef() { return ++refs_; }

ULONG Texture9::Release() {
  const ULONG left = --refs_;
  if (left == 0) {
    Device9* device = device_;
    {
      Device9::Scope scope(*device);
      level_.DestroyGl();
      device->Forget(this);
      device->Forget(&level_);
    }
    delete this;
    device->Release();
  }
  return left;
}

HRESULT Texture9::GetSurfaceLevel(UINT level, IDirect3DSurface9** ppSurfaceLevel) {
  if (!ppSurfaceLevel || level != 0) return D3DERR_INVALIDCALL;
  AddRef();
  *ppSurfaceLevel = &level_;
  return S_OK;
}

HRESULT Texture9::GetLevelDesc(UINT level, D3DSURFACE_DESC* pDesc) {
  if (level != 0) return D3DERR_INVALIDCALL;
  return level_.GetDesc(pDesc);
}

// ---- VertexBuffer9 ----

VertexBuffer9::VertexBuffer9(Device9* device, UINT length) : device_(device), length_(length) {}

VertexBuffer9::~VertexBuffer9() = default;

bool VertexBuffer9::CreateGl() {
  staging_.reset(new (std::nothrow) std::uint8_t[length_]());
  if (!staging_) return false;
  glGenBuffers(1, &buffer_);
  glBindBuffer(GL_ARRAY_BUFFER, buffer_);
  glBufferData(GL_ARRAY_BUFFER, length_, nullptr, GL_DYNAMIC_DRAW);
  device_->InvalidateBindings();
  return glGetError() == GL_NO_ERROR;
}

HRESULT VertexBuffer9::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirect3DVertexBuffer9) {
    *ppv = static_cast<IDirect3DVertexBuffer9*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG VertexBuffer9::AddRef() { return ++refs_; }

ULONG VertexBuffer9::Release() {
  const ULONG left = --refs_;
  if (left == 0) {
    Device9* device = device_;
    {
      Device9::Scope scope(*device);
      if (buffer_) glDeleteBuffers(1, &buffer_);
      device->Forget(this);
    }
    delete this;
    device->Release();
  }
  return left;
}

HRESULT VertexBuffer9::Lock(UINT offsetToLock, UINT sizeToLock, void** ppbData, DWORD) {
  if (!ppbData) return D3DERR_INVALIDCALL;
  if (offsetToLock > length_) return D3DERR_INVALIDCALL;
  if (sizeToLock == 0) sizeToLock = length_ - offsetToLock;  // 0: up to the end
  if (sizeToLock > length_ - offsetToLock) return D3DERR_INVALIDCALL;
  Device9::Scope scope(*device_);
  if (locked_) return D3DERR_INVALIDCALL;
  locked_ = true;
  lockOffset_ = offsetToLock;
  lockSize_ = sizeToLock;
  *ppbData = staging_.get() + offsetToLock;
  return S_OK;
}

HRESULT VertexBuffer9::Unlock() {
  Device9::Scope scope(*device_);
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  if (!scope.ok()) return D3DERR_DEVICELOST;
  glBindBuffer(GL_ARRAY_BUFFER, buffer_);
  glBufferSubData(GL_ARRAY_BUFFER, lockOffset_, lockSize_, staging_.get() + lockOffset_);
  return S_OK;
}
