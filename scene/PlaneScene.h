// The planes of one movie: geometry from a display-method plug-in, drawn textured on the
// device, with the scroll distance growing with time.
#pragma once

#include "PluginRecord.h"
#include "d3d9.h"
#include "wintypes.h"

// What the sequencer hands, through the player and the allocator-presenter, to the scene.
struct SceneSettings {
  UINT nPixelPerSec = 0;
  float fSpeedScale = 1.0f;
  PluginRecord plugin;
};

// One vertex: position in target pixels (origin at the centre, y up) and texture coordinates.
struct PlaneVertex {
  float x, y, z;
  float u, v;
};
static_assert(sizeof(PlaneVertex) == 20);

constexpr DWORD PLANEVERTEX_FVF = D3DFVF_XYZ | D3DFVF_TEX1;

// Tick count when the first scene of the run was set up; 0 until then, never reset.
extern DWORD g_dwScrollStart;

class CKrPlaneScene {
 public:
  CKrPlaneScene(const SceneSettings& settings, bool& ok);
  virtual ~CKrPlaneScene();
  CKrPlaneScene(const CKrPlaneScene&) = delete;
  CKrPlaneScene& operator=(const CKrPlaneScene&) = delete;

  HRESULT SetTextureExtent(float u, float v);
  HRESULT PrepareDevice(IDirect3DDevice9* pDevice);
  HRESULT Draw(IDirect3DDevice9* pDevice, IDirect3DTexture9* pTexture, SIZE aspect);

 private:
  // Texture, stream, format and the strips, between BeginScene and EndScene.
  HRESULT DrawPlanes(IDirect3DDevice9* pDevice, IDirect3DTexture9* pTexture);

  SIZE m_sizeTarget = {0, 0};
  UINT m_nPixelPerSec;
  float m_fSpeedScale;
  PluginRecord m_plugin;
  UINT m_nVertices = 0;
  PlaneVertex* m_pVertices = nullptr;
  UINT m_nCoords = 0;
  float* m_pCoords = nullptr;
  IDirect3DVertexBuffer9* m_pVB = nullptr;
};
