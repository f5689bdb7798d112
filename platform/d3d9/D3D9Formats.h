// Formats, their memory layout and the YUV conversion constants.
#pragma once

#include <cstddef>

#include "d3d9.h"

namespace d3d9_formats {

inline bool IsRgb(D3DFORMAT f) { return f == D3DFMT_X8R8G8B8 || f == D3DFMT_A8R8G8B8; }
inline bool IsYuv(D3DFORMAT f) { return f == D3DFMT_YV12 || f == D3DFMT_NV12; }
inline bool IsPowerOfTwo(UINT v) { return v != 0 && (v & (v - 1)) == 0; }

// Bytes per row of the first plane: 4 bytes per RGB pixel, 1 per luma sample; rows start on
// 16-byte boundaries so that the chroma rows (half a pitch) stay aligned too.
inline UINT Pitch(D3DFORMAT f, UINT width) {
  const UINT bytes = IsRgb(f) ? width * 4 : width;
  return (bytes + 15u) & ~15u;
}

// Chroma rows of a planar YUV surface (an odd height keeps its last half row).
inline UINT ChromaRows(UINT height) { return (height + 1) / 2; }

// Size of the whole block LockRect hands out (planes one after another, see d3d9.h).
inline std::size_t BlockSize(D3DFORMAT f, UINT width, UINT height) {
  const std::size_t pitch = Pitch(f, width);
  if (IsRgb(f)) return pitch * height;
  return pitch * height + pitch * ChromaRows(height);  // two half-pitch planes, or one interleaved
}

// YUV to RGB for normalised values: rgb = matrix x (yuv - offset), matrix column-major.
struct YuvConversion {
  float matrix[9];
  float offset[3];
};

inline YuvConversion MakeYuvConversion(const YuvColorInfo& info, UINT height) {
  const bool bt709 = info.matrix == YuvMatrix::Bt709 || (info.matrix == YuvMatrix::Automatic && height >= 720);
  const float kr = bt709 ? 0.2126f : 0.299f;
  const float kb = bt709 ? 0.0722f : 0.114f;
  const float kg = 1.0f - kr - kb;
  const float ys = info.fullRange ? 1.0f : 255.0f / 219.0f;
  const float cs = info.fullRange ? 1.0f : 255.0f / 224.0f;
  const float crR = 2.0f * (1.0f - kr) * cs;
  const float cbG = -2.0f * kb * (1.0f - kb) / kg * cs;
  const float crG = -2.0f * kr * (1.0f - kr) / kg * cs;
  const float cbB = 2.0f * (1.0f - kb) * cs;
  YuvConversion c{{ys, ys, ys, 0.0f, cbG, cbB, crR, crG, 0.0f},
                  {info.fullRange ? 0.0f : 16.0f / 255.0f, 128.0f / 255.0f, 128.0f / 255.0f}};
  return c;
}

}  // namespace d3d9_formats
