// The grid display method shared by the grid plug-ins: N x N planes, each showing the whole
// frame with its aspect ratio kept, centred in its cell. Stateless; every call depends only
// on its arguments.
#pragma once

#include <cstdint>
#include <cstring>

#include "OvfxPlugin.h"
#include "globalmem.h"
#include "wintypes.h"

namespace ovfx {

template <int N>
struct GridLayout {
  static constexpr int kPlanes = N * N;
  static constexpr int kFloats = 8 * kPlanes;

  // name: the display name in the ANSI code page, zero-terminated.
  static BOOL GetPluginInfo(const char* name, HGLOBAL* phName, int* pnPlanes) {
    if (!phName || !pnPlanes) return FALSE;
    const std::size_t len = std::strlen(name);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, len + 1);
    if (!block) return FALSE;
    void* bytes = GlobalLock(block);
    std::memcpy(bytes, name, len + 1);
    GlobalUnlock(block);
    *phName = block;
    *pnPlanes = kPlanes;
    return TRUE;
  }

  static BOOL SetTextureCoordinate(float* pCoords, int nCoords, float fU, float fV) {
    if (nCoords != kFloats || !pCoords) return FALSE;
    for (int p = 0; p < kPlanes; ++p) {
      float* v = pCoords + 8 * p;
      v[0] = 0.0f, v[1] = 0.0f;  // top-left
      v[2] = 0.0f, v[3] = fV;    // bottom-left
      v[4] = fU, v[5] = 0.0f;    // top-right
      v[6] = fU, v[7] = fV;      // bottom-right
    }
    return TRUE;
  }

  static BOOL UpdateVertexCoordinate(int /*nScroll*/, const SIZE* pTarget, const SIZE* pAspect, float* pCoords,
                                     int nCoords) {
    if (nCoords != kFloats || !pCoords || !pTarget || !pAspect) return FALSE;
    const std::int32_t SW = pTarget->cx, SH = pTarget->cy;
    const std::int32_t VW = pAspect->cx, VH = pAspect->cy;
    // The layouts divide by the video size.
    if (VW == 0 || VH == 0) return FALSE;

    const std::int32_t cellW = SW / N;
    const std::int32_t cellH = SH / N;
    // Products are formed in 64 bits so that large sizes cannot overflow.
    std::int32_t planeW, planeH;
    if (std::int64_t{SW} * VH < std::int64_t{VW} * SH) {
      planeW = cellW;
      planeH = static_cast<std::int32_t>(std::int64_t{VH} * cellW / VW);
    } else {
      planeH = cellH;
      planeW = static_cast<std::int32_t>(std::int64_t{VW} * cellH / VH);
    }
    const float x0 = static_cast<float>((cellW - planeW) * 0.5 - SW / 2);
    const float y0 = static_cast<float>((cellH - planeH) * 0.5 - SH / 2);
    const float w = static_cast<float>(planeW);
    const float h = static_cast<float>(planeH);

    for (int i = 0; i < kPlanes; ++i) {
      const int col = i % N;
      const int row = i / N;  // row 0 is the bottom row
      const float X = static_cast<float>(col * cellW) + x0;
      const float Y = static_cast<float>(row * cellH) + y0;
      float* v = pCoords + 8 * i;
      v[0] = X, v[1] = Y + h;      // top-left
      v[2] = X, v[3] = Y;          // bottom-left
      v[4] = X + w, v[5] = Y + h;  // top-right
      v[6] = X + w, v[7] = Y;      // bottom-right
    }
    return TRUE;
  }
};

}  // namespace ovfx

// Defines the three exports of a grid plug-in with N x N planes and the given name.
#define OVFX_DEFINE_GRID_PLUGIN(N, NAME)                                                               \
  OVFX_EXPORT BOOL WINAPI GetPluginInfo(HGLOBAL* phName, int* pnPlanes) {                              \
    return ovfx::GridLayout<N>::GetPluginInfo(NAME, phName, pnPlanes);                                 \
  }                                                                                                    \
  OVFX_EXPORT BOOL WINAPI SetTextureCoordinate(float* pCoords, int nCoords, float fU, float fV) {      \
    return ovfx::GridLayout<N>::SetTextureCoordinate(pCoords, nCoords, fU, fV);                        \
  }                                                                                                    \
  OVFX_EXPORT BOOL WINAPI UpdateVertexCoordinate(int nScroll, const SIZE* pTarget, const SIZE* pAspect, \
                                                 float* pCoords, int nCoords) {                        \
    return ovfx::GridLayout<N>::UpdateVertexCoordinate(nScroll, pTarget, pAspect, pCoords, nCoords);   \
  }
