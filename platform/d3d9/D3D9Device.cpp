#include "D3D9Device.h"

#include <cstring>
#include <new>
#include <string_view>

#include "D3D9Formats.h"

using namespace d3d9_formats;

namespace {

D3DMATRIX Identity() {
  D3DMATRIX m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  return m;
}

// Row-vector product, as Direct3D composes transforms.
D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
  return r;
}

GLint GlFilter(DWORD filter) { return filter == D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST; }
GLint GlAddress(DWORD address) { return address == D3DTADDRESS_CLAMP ? GL_CLAMP_TO_EDGE : GL_REPEAT; }

bool RectInside(const RECT& r, UINT width, UINT height) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && static_cast<UINT>(r.right) <= width &&
         static_cast<UINT>(r.bottom) <= height;
}

}  // namespace

// ---- Scope ----

Device9::Scope::Scope(Device9& device) : device_(device) {
  device_.mutex_.lock();
  ok_ = device_.depth_++ > 0 || device_.gl_.MakeCurrent();
}

Device9::Scope::~Scope() {
  if (--device_.depth_ == 0) device_.gl_.Release();
  device_.mutex_.unlock();
}

// ---- creation ----

Device9::Device9(D3DDISPLAYMODE mode)
    : mode_(mode),
      backBuffer_(this, Surface9::Kind::BackBuffer, nullptr, D3DFMT_X8R8G8B8, 0, 0, D3DUSAGE_RENDERTARGET,
                  D3DPOOL_DEFAULT),
      world_(Identity()),
      view_(Identity()),
      projection_(Identity()) {
  renderTarget_ = &backBuffer_;
}

HRESULT Device9::Create(HWND window, UINT width, UINT height, D3DDISPLAYMODE mode, IDirect3DDevice9** out) {
  auto* device = new (std::nothrow) Device9(mode);
  if (!device) return E_OUTOFMEMORY;
  if (!device->Initialize(window, width, height)) {
    device->Release();
    return D3DERR_NOTAVAILABLE;
  }
  *out = device;
  return S_OK;
}

bool Device9::Initialize(HWND window, UINT width, UINT height) {
  if (!gl_.Open(IdFromHwnd(window))) return false;
  backBuffer_.SetSize(width ? width : gl_.Width(), height ? height : gl_.Height());
  Scope scope(*this);
  if (!scope.ok() || !fixed_.Build() || !copy_.Build()) return false;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
  // A rasteriser that runs on the CPU samples slowly: there a whole-frame YUV copy is cheaper
  // converted on the CPU than drawn. A real GPU draws it.
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const std::string_view name = renderer ? renderer : "";
  cpuYuvCopy_ = name.find("llvmpipe") != name.npos || name.find("softpipe") != name.npos ||
                name.find("Software Rasterizer") != name.npos;
  glGenVertexArrays(1, &vao_);
  glGenVertexArrays(1, &copyVao_);
  glGenSamplers(1, &sampler_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glDisable(GL_DEPTH_TEST);
  dirty_ = kAll;
  return glGetError() == GL_NO_ERROR;
}

Device9::~Device9() {
  Scope scope(*this);
  if (!scope.ok()) return;
  fixed_.Destroy();
  copy_.Destroy();
  if (vao_) glDeleteVertexArrays(1, &vao_);
  if (copyVao_) glDeleteVertexArrays(1, &copyVao_);
  if (sampler_) glDeleteSamplers(1, &sampler_);
}

HRESULT Device9::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirect3DDevice9) {
    *ppv = static_cast<IDirect3DDevice9*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG Device9::AddRef() { return ++refs_; }

ULONG Device9::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

void Device9::Forget(const void* resource) {
  if (renderTarget_ == resource) {
    renderTarget_ = &backBuffer_;
    dirty_ |= kTarget;
  }
  if (texture_ == resource) {
    texture_ = nullptr;
    dirty_ |= kTexture;
  }
  if (stream_ == resource) {
    stream_ = nullptr;
    dirty_ |= kStream;
  }
}

// ---- queries ----

HRESULT Device9::TestCooperativeLevel() {
  switch (d3d9_testing::CurrentDeviceLoss()) {
    case d3d9_testing::LossState::Lost:
      return D3DERR_DEVICELOST;
    case d3d9_testing::LossState::NotReset:
      return D3DERR_DEVICENOTRESET;
    default:
      return S_OK;
  }
}

HRESULT Device9::GetDeviceCaps(D3DCAPS9* pCaps) {
  if (!pCaps) return D3DERR_INVALIDCALL;
  const DWORD maxSize = static_cast<DWORD>(maxTextureSize_);
  *pCaps = D3DCAPS9{D3DDEVTYPE_HAL, 0, d3d9_testing::ReportPow2Textures() ? D3DPTEXTURECAPS_POW2 : 0u, maxSize,
                    maxSize};
  return S_OK;
}

HRESULT Device9::GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) {
  if (iSwapChain != 0 || !pMode) return D3DERR_INVALIDCALL;
  *pMode = mode_;
  return S_OK;
}

HRESULT Device9::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE type,
                               IDirect3DSurface9** ppBackBuffer) {
  if (iSwapChain != 0 || iBackBuffer != 0 || type != D3DBACKBUFFER_TYPE_MONO || !ppBackBuffer)
    return D3DERR_INVALIDCALL;
  backBuffer_.AddRef();
  *ppBackBuffer = &backBuffer_;
  return S_OK;
}

HRESULT Device9::GetRenderTarget(DWORD renderTargetIndex, IDirect3DSurface9** ppRenderTarget) {
  if (renderTargetIndex != 0 || !ppRenderTarget) return D3DERR_INVALIDCALL;
  Scope scope(*this);
  renderTarget_->AddRef();
  *ppRenderTarget = renderTarget_;
  return S_OK;
}

// ---- resources ----

HRESULT Device9::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                               IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) {
  if (!ppTexture || pSharedHandle || levels > 1) return D3DERR_INVALIDCALL;
  if (IsYuv(format)) return D3DERR_NOTAVAILABLE;
  if (!IsRgb(format) || width == 0 || height == 0) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_RENDERTARGET) && pool != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
  if (d3d9_testing::ReportPow2Textures() && (!IsPowerOfTwo(width) || !IsPowerOfTwo(height)))
    return D3DERR_INVALIDCALL;
  Scope scope(*this);
  if (!scope.ok()) return D3DERR_DEVICELOST;
  if (width > static_cast<UINT>(maxTextureSize_) || height > static_cast<UINT>(maxTextureSize_))
    return D3DERR_INVALIDCALL;
  auto* texture = new (std::nothrow) Texture9(this, format, width, height, usage & D3DUSAGE_RENDERTARGET, pool);
  if (!texture) return E_OUTOFMEMORY;
  AddRef();
  if (!texture->level().CreateGl()) {
    texture->Release();
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  *ppTexture = texture;
  return S_OK;
}

HRESULT Device9::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                             IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) {
  if (!ppSurface || pSharedHandle || pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  if ((!IsRgb(format) && !IsYuv(format)) || width == 0 || height == 0) return D3DERR_INVALIDCALL;
  Scope scope(*this);
  if (!scope.ok()) return D3DERR_DEVICELOST;
  if (width > static_cast<UINT>(maxTextureSize_) || height > static_cast<UINT>(maxTextureSize_))
    return D3DERR_INVALIDCALL;
  auto* surface =
      new (std::nothrow) Surface9(this, Surface9::Kind::Offscreen, nullptr, format, width, height, 0, pool);
  if (!surface) return E_OUTOFMEMORY;
  AddRef();
  if (!surface->CreateGl()) {
    surface->Release();
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  *ppSurface = surface;
  return S_OK;
}

HRESULT Device9::CreateVertexBuffer(UINT length, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer9** ppVertexBuffer,
                                    HANDLE* pSharedHandle) {
  if (!ppVertexBuffer || pSharedHandle || length == 0) return D3DERR_INVALIDCALL;
  Scope scope(*this);
  if (!scope.ok()) return D3DERR_DEVICELOST;
  auto* buffer = new (std::nothrow) VertexBuffer9(this, length);
  if (!buffer) return E_OUTOFMEMORY;
  AddRef();
  if (!buffer->CreateGl()) {
    buffer->Release();
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  *ppVertexBuffer = buffer;
  return S_OK;
}

// ---- state ----

HRESULT Device9::SetRenderTarget(DWORD renderTargetIndex, IDirect3DSurface9* pRenderTarget) {
  auto* surface = dynamic_cast<Surface9*>(pRenderTarget);
  if (renderTargetIndex != 0 || !surface || surface->device() != this || !surface->IsRenderTarget())
    return D3DERR_INVALIDCALL;
  Scope scope(*this);
  if (renderTarget_ != surface) {
    renderTarget_ = surface;
    dirty_ |= kTarget;
  }
  return S_OK;
}

HRESULT Device9::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* pMatrix) {
  if (!pMatrix) return D3DERR_INVALIDCALL;
  Scope scope(*this);
  switch (state) {
    case D3DTS_WORLD:
      world_ = *pMatrix;
      break;
    case D3DTS_VIEW:
      view_ = *pMatrix;
      break;
    case D3DTS_PROJECTION:
      projection_ = *pMatrix;
      break;
    default:
      return D3DERR_INVALIDCALL;
  }
  dirty_ |= kMatrix;
  return S_OK;
}

HRESULT Device9::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  Scope scope(*this);
  if (state == D3DRS_CULLMODE) {
    if (value < D3DCULL_NONE || value > D3DCULL_CCW) return D3DERR_INVALIDCALL;
    cull_ = value;
    dirty_ |= kCull;
  } else if (state == D3DRS_LIGHTING) {
    lighting_ = value;
    dirty_ |= kTexture;
  } else {
    return D3DERR_INVALIDCALL;
  }
  return S_OK;
}

HRESULT Device9::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (sampler != 0) return D3DERR_INVALIDCALL;
  Scope scope(*this);
  switch (type) {
    case D3DSAMP_ADDRESSU:
      addressU_ = value;
      break;
    case D3DSAMP_ADDRESSV:
      addressV_ = value;
      break;
    case D3DSAMP_MAGFILTER:
      magFilter_ = value;
      break;
    case D3DSAMP_MINFILTER:
      minFilter_ = value;
      break;
    case D3DSAMP_MIPFILTER:
      mipFilter_ = value;  // textures have one level: nothing to filter between
      break;
    default:
      return D3DERR_INVALIDCALL;
  }
  dirty_ |= kSampler;
  return S_OK;
}

HRESULT Device9::SetTexture(DWORD stage, IDirect3DTexture9* pTexture) {
  auto* texture = dynamic_cast<Texture9*>(pTexture);
  if (stage != 0 || (pTexture && (!texture || texture->level().device() != this))) return D3DERR_INVALIDCALL;
  Scope scope(*this);
  if (texture_ != texture) {
    texture_ = texture;
    dirty_ |= kTexture;
  }
  return S_OK;
}

HRESULT Device9::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* pStreamData, UINT offsetInBytes,
                                 UINT stride) {
  auto* buffer = dynamic_cast<VertexBuffer9*>(pStreamData);
  if (streamNumber != 0 || (pStreamData && !buffer)) return D3DERR_INVALIDCALL;
  Scope scope(*this);
  if (stream_ != buffer || streamOffset_ != offsetInBytes || stride_ != stride) {
    stream_ = buffer;
    streamOffset_ = offsetInBytes;
    stride_ = stride;
    dirty_ |= kStream;
  }
  return S_OK;
}

HRESULT Device9::SetFVF(DWORD fvf) {
  Scope scope(*this);
  fvf_ = fvf;
  return S_OK;
}

void Device9::BindTarget() {
  glBindFramebuffer(GL_FRAMEBUFFER, renderTarget_->Framebuffer());
  glViewport(0, 0, static_cast<GLsizei>(renderTarget_->width()), static_cast<GLsizei>(renderTarget_->height()));
}

void Device9::ApplyState() {
  if (!dirty_) return;
  if (dirty_ & kProgram) {
    fixed_.Use();
    glBindVertexArray(vao_);
    glBindSampler(0, sampler_);
  }
  if (dirty_ & kTarget) {
    BindTarget();
    fixed_.SetFlipY(TargetIsFlipped() ? -1.0f : 1.0f);
    dirty_ |= kCull;
  }
  if (dirty_ & kMatrix) {
    const D3DMATRIX m = Multiply(Multiply(world_, view_), projection_);
    fixed_.SetMatrix(&m.m[0][0]);
  }
  if (dirty_ & kCull) {
    if (cull_ == D3DCULL_NONE) {
      glDisable(GL_CULL_FACE);
    } else {
      // Direct3D culls by the winding seen on screen; drawing into a texture turns the picture
      // upside down, which turns the winding round.
      const bool cullClockwise = (cull_ == D3DCULL_CW) != TargetIsFlipped();
      glEnable(GL_CULL_FACE);
      glCullFace(GL_BACK);
      glFrontFace(cullClockwise ? GL_CCW : GL_CW);
    }
  }
  if (dirty_ & kSampler) {
    glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, GlAddress(addressU_));
    glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, GlAddress(addressV_));
    glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, GlFilter(magFilter_));
    glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, GlFilter(minFilter_));
  }
  if (dirty_ & kTexture) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture_ ? texture_->level().plane(0) : 0);
    // Lighting without lights leaves the vertices black, as the fixed function would.
    fixed_.SetMode(lighting_ ? GlFixedFunctionProgram::Mode::Black
                             : texture_ ? GlFixedFunctionProgram::Mode::Textured : GlFixedFunctionProgram::Mode::White);
  }
  if (dirty_ & kStream) {
    if (stream_) {
      glBindBuffer(GL_ARRAY_BUFFER, stream_->buffer());
      const auto offset = static_cast<std::uintptr_t>(streamOffset_);
      glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride_), reinterpret_cast<void*>(offset));
      glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride_),
                            reinterpret_cast<void*>(offset + 12));
      glEnableVertexAttribArray(0);
      glEnableVertexAttribArray(1);
    } else {
      glDisableVertexAttribArray(0);
      glDisableVertexAttribArray(1);
    }
  }
  dirty_ = 0;
}

// ---- drawing ----

HRESULT Device9::BeginScene() {
  Scope scope(*this);
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return S_OK;
}

HRESULT Device9::EndScene() {
  Scope scope(*this);
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return S_OK;
}

HRESULT Device9::Clear(DWORD count, const D3DRECT* pRects, DWORD flags, D3DCOLOR color, float, DWORD) {
  if (count && !pRects) return D3DERR_INVALIDCALL;
  Scope scope(*this);
  if (!scope.ok()) return D3DERR_DEVICELOST;
  if (!(flags & D3DCLEAR_TARGET)) return S_OK;  // no depth or stencil buffer
  ApplyState();
  glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f, static_cast<float>((color >> 8) & 0xFF) / 255.0f,
               static_cast<float>(color & 0xFF) / 255.0f, static_cast<float>(color >> 24) / 255.0f);
  if (count == 0) {
    glClear(GL_COLOR_BUFFER_BIT);
    return S_OK;
  }
  const LONG height = static_cast<LONG>(renderTarget_->height());
  glEnable(GL_SCISSOR_TEST);
  for (DWORD i = 0; i < count; ++i) {
    const D3DRECT& r = pRects[i];
    if (r.x2 <= r.x1 || r.y2 <= r.y1) continue;
    const LONG y = TargetIsFlipped() ? r.y1 : height - r.y2;  // the window's rows count from the bottom
    glScissor(r.x1, y, r.x2 - r.x1, r.y2 - r.y1);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glDisable(GL_SCISSOR_TEST);
  return S_OK;
}

HRESULT Device9::DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex, UINT primitiveCount) {
  GLenum mode = GL_TRIANGLES;
  std::uint64_t vertices = 0;
  if (primitiveType == D3DPT_TRIANGLESTRIP) {
    mode = GL_TRIANGLE_STRIP;
    vertices = static_cast<std::uint64_t>(primitiveCount) + 2;
  } else if (primitiveType == D3DPT_TRIANGLELIST) {
    vertices = static_cast<std::uint64_t>(primitiveCount) * 3;
  } else {
    return D3DERR_INVALIDCALL;
  }
  Scope scope(*this);
  if (!inScene_ || !stream_ || fvf_ != (D3DFVF_XYZ | D3DFVF_TEX1) || stride_ < 20 || primitiveCount == 0)
    return D3DERR_INVALIDCALL;
  const std::uint64_t end = streamOffset_ + (startVertex + vertices) * static_cast<std::uint64_t>(stride_);
  if (end - (stride_ - 20) > stream_->length()) return D3DERR_INVALIDCALL;
  if (!scope.ok()) return D3DERR_DEVICELOST;
  ApplyState();
  glDrawArrays(mode, static_cast<GLint>(startVertex), static_cast<GLsizei>(vertices));
  return S_OK;
}

HRESULT Device9::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                         const void* pDirtyRegion) {
  if (pSourceRect || pDestRect || hDestWindowOverride || pDirtyRegion) return D3DERR_INVALIDCALL;
  if (d3d9_testing::CurrentDeviceLoss() != d3d9_testing::LossState::None) return D3DERR_DEVICELOST;
  Scope scope(*this);
  if (!scope.ok()) return D3DERR_DEVICELOST;
  gl_.SwapBuffers();
  return S_OK;
}

HRESULT Device9::StretchRect(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                             IDirect3DSurface9* pDestSurface, const RECT* pDestRect, D3DTEXTUREFILTERTYPE filter) {
  auto* source = dynamic_cast<Surface9*>(pSourceSurface);
  auto* destination = dynamic_cast<Surface9*>(pDestSurface);
  if (!source || !destination || source == destination || source->device() != this ||
      destination->device() != this || !destination->IsRenderTarget() ||
      source->kind() == Surface9::Kind::BackBuffer)
    return D3DERR_INVALIDCALL;
  const RECT sourceRect = pSourceRect ? *pSourceRect : RECT{0, 0, LONG(source->width()), LONG(source->height())};
  const RECT destRect =
      pDestRect ? *pDestRect : RECT{0, 0, LONG(destination->width()), LONG(destination->height())};
  if (!RectInside(sourceRect, source->width(), source->height()) ||
      !RectInside(destRect, destination->width(), destination->height()))
    return D3DERR_INVALIDCALL;
  Scope scope(*this);
  if (source->IsLocked()) return D3DERR_INVALIDCALL;
  if (!scope.ok()) return D3DERR_DEVICELOST;
  if (CopyYuvWhole(*source, sourceRect, *destination, destRect))
    return glGetError() == GL_NO_ERROR ? S_OK : D3DERR_INVALIDCALL;

  glBindFramebuffer(GL_FRAMEBUFFER, destination->Framebuffer());
  const float dw = static_cast<float>(destination->width());
  const float dh = static_cast<float>(destination->height());
  glViewport(0, 0, static_cast<GLsizei>(dw), static_cast<GLsizei>(dh));
  glDisable(GL_CULL_FACE);
  glBindVertexArray(copyVao_);
  glBindSampler(0, 0);

  const float sw = static_cast<float>(source->width());
  const float sh = static_cast<float>(source->height());
  const float sourceCoords[4] = {float(sourceRect.left) / sw, float(sourceRect.top) / sh,
                                 float(sourceRect.right) / sw, float(sourceRect.bottom) / sh};
  // Row 0 of a texture target is the top of the picture; the window's top is at +1.
  const float flip = destination->kind() == Surface9::Kind::BackBuffer ? -1.0f : 1.0f;
  const float destCoords[4] = {float(destRect.left) / dw * 2.0f - 1.0f, flip * (float(destRect.top) / dh * 2.0f - 1.0f),
                               float(destRect.right) / dw * 2.0f - 1.0f,
                               flip * (float(destRect.bottom) / dh * 2.0f - 1.0f)};

  const GLint lumaFilter = filter == D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST;
  for (int i = 2; i >= 0; --i) {
    if (!source->plane(i)) continue;
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(i));
    glBindTexture(GL_TEXTURE_2D, source->plane(i));
    const GLint planeFilter = i == 0 ? lumaFilter : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, planeFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, planeFilter);
  }
  if (IsYuv(source->format())) {
    const YuvConversion conversion = MakeYuvConversion(source->yuvInfo(), source->height());
    copy_.Use(source->format() == D3DFMT_YV12 ? GlCopyProgram::Source::ThreePlanes
                                                : GlCopyProgram::Source::TwoPlanes);
    copy_.SetConversion(conversion.matrix, conversion.offset);
  } else {
    copy_.Use(GlCopyProgram::Source::Rgb);
  }
  copy_.SetRects(sourceCoords, destCoords);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  dirty_ = kAll;
  return glGetError() == GL_NO_ERROR ? S_OK : D3DERR_INVALIDCALL;
}

bool Device9::CopyYuvWhole(Surface9& source, const RECT& sourceRect, Surface9& destination, const RECT& destRect) {
  const UINT width = source.width(), height = source.height();
  const bool whole = sourceRect.left == 0 && sourceRect.top == 0 && static_cast<UINT>(sourceRect.right) == width &&
                     static_cast<UINT>(sourceRect.bottom) == height && destRect.left == 0 && destRect.top == 0 &&
                     static_cast<UINT>(destRect.right) == width && static_cast<UINT>(destRect.bottom) == height;
  if (!cpuYuvCopy_ || !whole || !IsYuv(source.format()) || !source.bits() || destination.kind() == Surface9::Kind::BackBuffer ||
      destination.width() != width || destination.height() != height)
    return false;
  converted_.resize(static_cast<std::size_t>(width) * height);
  yuvToRgb_.Convert(source.format(), source.bits(), source.pitch(), width, height,
                    MakeYuvConversion(source.yuvInfo(), height), converted_.data());
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, destination.plane(0));
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA,
                  GL_UNSIGNED_INT_8_8_8_8_REV, converted_.data());
  dirty_ |= kTexture;
  return true;
}
