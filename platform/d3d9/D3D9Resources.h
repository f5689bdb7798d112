// Surfaces, textures and vertex buffers of a Direct3D-9-shaped device. Each keeps its device
// alive with a reference; GL objects are made and dropped under the device's lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include <epoxy/gl.h>

#include "d3d9.h"

class Device9;
class Texture9;

class Surface9 final : public IDirect3DSurface9 {
 public:
  // A back buffer counts its references on the device, a texture level on its texture, an
  // offscreen surface on itself.
  enum class Kind { BackBuffer, TextureLevel, Offscreen };

  Surface9(Device9* device, Kind kind, Texture9* texture, D3DFORMAT format, UINT width, UINT height, DWORD usage,
           D3DPOOL pool);
  ~Surface9();

  // Makes the GL textures and the staging memory. Device lock held, context current.
  bool CreateGl();
  // Drops the GL objects. Device lock held, context current.
  void DestroyGl();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT GetContainer(REFIID riid, void** ppContainer) override;
  HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
  HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD flags) override;
  HRESULT UnlockRect() override;
  void SetYuvColorInfo(const YuvColorInfo& info) override;

  // The back buffer learns its size once the device knows the window.
  void SetSize(UINT width, UINT height) {
    width_ = width;
    height_ = height;
  }
  Kind kind() const { return kind_; }
  Device9* device() const { return device_; }
  D3DFORMAT format() const { return format_; }
  UINT width() const { return width_; }
  UINT height() const { return height_; }
  bool IsRenderTarget() const { return kind_ == Kind::BackBuffer || (usage_ & D3DUSAGE_RENDERTARGET) != 0; }
  bool IsLocked() const { return locked_; }
  // Plane 0 is RGB or Y, plane 1 U (YV12) or UV (NV12), plane 2 V (YV12).
  GLuint plane(int i) const { return planes_[i]; }
  // The framebuffer drawing into this surface; 0 for the back buffer. Device lock held.
  GLuint Framebuffer();
  const YuvColorInfo& yuvInfo() const { return yuvInfo_; }
  // What the last UnlockRect uploaded (null for a surface that cannot be locked), and its
  // first plane's pitch.
  const std::uint8_t* bits() const { return staging_.get(); }
  UINT pitch() const { return pitch_; }

 private:
  void Upload();

  Device9* device_;
  Kind kind_;
  Texture9* texture_;
  D3DFORMAT format_;
  UINT width_;
  UINT height_;
  DWORD usage_;
  D3DPOOL pool_;
  std::atomic<ULONG> refs_{1};
  GLuint planes_[3] = {0, 0, 0};
  GLuint framebuffer_ = 0;
  std::unique_ptr<std::uint8_t[]> staging_;
  UINT pitch_ = 0;
  bool locked_ = false;
  YuvColorInfo yuvInfo_;
};

class Texture9 final : public IDirect3DTexture9 {
 public:
  Texture9(Device9* device, D3DFORMAT format, UINT width, UINT height, DWORD usage, D3DPOOL pool);
  ~Texture9();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** ppSurfaceLevel) override;
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* pDesc) override;

  Surface9& level() { return level_; }

 private:
  Device9* device_;
  std::atomic<ULONG> refs_{1};
  Surface9 level_;
};

class VertexBuffer9 final : public IDirect3DVertexBuffer9 {
 public:
  VertexBuffer9(Device9* device, UINT length);
  ~VertexBuffer9();
  bool CreateGl();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT Lock(UINT offsetToLock, UINT sizeToLock, void** ppbData, DWORD flags) override;
  HRESULT Unlock() override;

  GLuint buffer() const { return buffer_; }
  UINT length() const { return length_; }

 private:
  Device9* device_;
  UINT length_;
  std::atomic<ULONG> refs_{1};
  GLuint buffer_ = 0;
  std::unique_ptr<std::uint8_t[]> staging_;
  bool locked_ = false;
  UINT lockOffset_ = 0;
  UINT lockSize_ = 0;
};
