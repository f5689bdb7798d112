// A window with a device on it, and a textured quad drawn through the fixed-function path.
#pragma once

#include <gtest/gtest.h>

#include "GlTestSupport.h"
#include "d3d9.h"
#include "d3dx9.h"
#include "unknwn.h"

struct QuadVertex {
  float x, y, z, u, v;
};

class DeviceFixture : public ::testing::Test {
 protected:
  void Open(int width, int height) {
    window_ = std::make_unique<TestWindow>(width, height);
    d3d_.Attach(Direct3DCreate9(D3D_SDK_VERSION));
    ASSERT_NE(d3d_.p(), nullptr);
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.SwapEffect = D3DSWAPEFFECT_COPY;
    parameters.hDeviceWindow = window_->hwnd();
    parameters.Windowed = TRUE;
    ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_->hwnd(),
                                 D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED, &parameters, &device_),
              S_OK);
  }

  // Pixel coordinates with the origin at the centre and y up, as the scene sets them.
  void SetPixelProjection(int width, int height) {
    D3DXMATRIX projection, view;
    D3DXMatrixOrthoOffCenterLH(&projection, -width / 2.0f, width / 2.0f, -height / 2.0f, height / 2.0f, 1.0f, 100.0f);
    const D3DXVECTOR3 eye(0, 0, -50), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    ASSERT_EQ(device_->SetTransform(D3DTS_PROJECTION, &projection), S_OK);
    ASSERT_EQ(device_->SetTransform(D3DTS_VIEW, &view), S_OK);
  }

  // Draws the texture on the rectangle (left, bottom) .. (right, top), vertices in the
  // plug-ins' order (top-left, bottom-left, top-right, bottom-right) or in the other winding.
  void DrawQuad(IDirect3DTexture9* texture, float left, float bottom, float right, float top,
                bool otherWinding = false) {
    const QuadVertex tl{left, top, 0, 0, 0}, bl{left, bottom, 0, 0, 1}, tr{right, top, 0, 1, 0},
        br{right, bottom, 0, 1, 1};
    const QuadVertex strip[4] = {tl, otherWinding ? tr : bl, otherWinding ? bl : tr, br};
    CComPtr<IDirect3DVertexBuffer9> vb;
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof(strip), D3DUSAGE_WRITEONLY, D3DFVF_XYZ | D3DFVF_TEX1,
                                          D3DPOOL_MANAGED, &vb, nullptr),
              S_OK);
    void* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), S_OK);
    std::memcpy(data, strip, sizeof(strip));
    ASSERT_EQ(vb->Unlock(), S_OK);
    ASSERT_EQ(device_->BeginScene(), S_OK);
    ASSERT_EQ(device_->SetTexture(0, texture), S_OK);
    ASSERT_EQ(device_->SetStreamSource(0, vb, 0, sizeof(QuadVertex)), S_OK);
    ASSERT_EQ(device_->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1), S_OK);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
    ASSERT_EQ(device_->SetTexture(0, nullptr), S_OK);
    ASSERT_EQ(device_->EndScene(), S_OK);
  }

  // A lockable X8R8G8B8 texture filled by the function (x, y) -> 0xRRGGBB.
  template <class F>
  CComPtr<IDirect3DTexture9> MakeTexture(UINT width, UINT height, F colour) {
    CComPtr<IDirect3DTexture9> texture;
    EXPECT_EQ(device_->CreateTexture(width, height, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), S_OK);
    if (!texture) return texture;
    CComPtr<IDirect3DSurface9> level;
    EXPECT_EQ(texture->GetSurfaceLevel(0, &level), S_OK);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(level->LockRect(&locked, nullptr, 0), S_OK);
    for (UINT y = 0; y < height; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch);
      for (UINT x = 0; x < width; ++x) row[x] = colour(x, y);
    }
    EXPECT_EQ(level->UnlockRect(), S_OK);
    return texture;
  }

  void TearDown() override {
    device_.Release();
    d3d_.Release();
    window_.reset();
  }

  std::unique_ptr<TestWindow> window_;
  CComPtr<IDirect3D9> d3d_;
  CComPtr<IDirect3DDevice9> device_;
};

// Four quadrants: red top-left, green top-right, blue bottom-left, white bottom-right.
inline std::uint32_t Quadrants(UINT x, UINT y, UINT width, UINT height) {
  const bool right = x >= width / 2, bottom = y >= height / 2;
  if (!right && !bottom) return 0xFF0000;
  if (right && !bottom) return 0x00FF00;
  if (!right) return 0x0000FF;
  return 0xFFFFFF;
}
