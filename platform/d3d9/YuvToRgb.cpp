#include "YuvToRgb.h"

#include <algorithm>
#include <cmath>

void YuvToRgb::MakeTaps(unsigned size, unsigned chromaSize, std::vector<Tap>& taps) {
  taps.resize(size);
  const float scale = static_cast<float>(chromaSize) / static_cast<float>(size);
  for (unsigned i = 0; i < size; ++i) {
    // The luma texel's centre in chroma texels, less half a texel: where linear filtering
    // starts between two texels.
    const float at = (static_cast<float>(i) + 0.5f) * scale - 0.5f;
    const float floor = std::floor(at);
    const int first = static_cast<int>(floor);
    const int last = static_cast<int>(chromaSize) - 1;
    taps[i] = Tap{static_cast<unsigned>(std::clamp(first, 0, last)), static_cast<unsigned>(std::clamp(first + 1, 0, last)),
                  at - floor};
  }
}

void YuvToRgb::Convert(D3DFORMAT format, const std::uint8_t* block, unsigned pitch, unsigned width, unsigned height,
                       const d3d9_formats::YuvConversion& c, std::uint32_t* out) {
  const unsigned chromaWidth = (width + 1) / 2;
  const unsigned chromaHeight = d3d9_formats::ChromaRows(height);
  MakeTaps(width, chromaWidth, columns_);
  MakeTaps(height, chromaHeight, rows_);
  u_.resize(width);
  v_.resize(width);

  const std::uint8_t* chroma = block + static_cast<std::size_t>(pitch) * height;
  const bool interleaved = format == D3DFMT_NV12;
  const unsigned chromaPitch = interleaved ? pitch : pitch / 2;
  // YV12 keeps V first, then U.
  const std::uint8_t* vPlane = chroma;
  const std::uint8_t* uPlane = chroma + static_cast<std::size_t>(chromaPitch) * chromaHeight;

  // rgb = matrix x (yuv - offset): with the offset folded in, r = ys*y + rv*v + r0 and so on.
  const float ys = c.matrix[0], gu = c.matrix[4], bu = c.matrix[5], rv = c.matrix[6], gv = c.matrix[7];
  const float yOffset = -ys * c.offset[0];
  const float r0 = yOffset - rv * c.offset[2];
  const float g0 = yOffset - gu * c.offset[1] - gv * c.offset[2];
  const float b0 = yOffset - bu * c.offset[1];
  constexpr float kByte = 1.0f / 255.0f;

  for (unsigned y = 0; y < height; ++y) {
    const Tap row = rows_[y];
    // Chroma of this row: vertical blend of the two chroma rows, then the horizontal one.
    for (unsigned x = 0; x < width; ++x) {
      const Tap col = columns_[x];
      float u[2], v[2];
      for (int k = 0; k < 2; ++k) {
        const unsigned cx = k == 0 ? col.first : col.second;
        float top, bottom, topV, bottomV;
        if (interleaved) {
          const std::uint8_t* a = chroma + static_cast<std::size_t>(row.first) * chromaPitch + 2 * cx;
          const std::uint8_t* b = chroma + static_cast<std::size_t>(row.second) * chromaPitch + 2 * cx;
          top = a[0], bottom = b[0], topV = a[1], bottomV = b[1];
        } else {
          top = uPlane[static_cast<std::size_t>(row.first) * chromaPitch + cx];
          bottom = uPlane[static_cast<std::size_t>(row.second) * chromaPitch + cx];
          topV = vPlane[static_cast<std::size_t>(row.first) * chromaPitch + cx];
          bottomV = vPlane[static_cast<std::size_t>(row.second) * chromaPitch + cx];
        }
        u[k] = top + (bottom - top) * row.weight;
        v[k] = topV + (bottomV - topV) * row.weight;
      }
      u_[x] = (u[0] + (u[1] - u[0]) * col.weight) * kByte;
      v_[x] = (v[0] + (v[1] - v[0]) * col.weight) * kByte;
    }
    const std::uint8_t* luma = block + static_cast<std::size_t>(y) * pitch;
    std::uint32_t* line = out + static_cast<std::size_t>(y) * width;
    const float* us = u_.data();
    const float* vs = v_.data();
    for (unsigned x = 0; x < width; ++x) {
      const float l = ys * kByte * static_cast<float>(luma[x]);
      const float r = std::clamp(l + rv * vs[x] + r0, 0.0f, 1.0f);
      const float g = std::clamp(l + gu * us[x] + gv * vs[x] + g0, 0.0f, 1.0f);
      const float b = std::clamp(l + bu * us[x] + b0, 0.0f, 1.0f);
      line[x] = 0xFF000000u | static_cast<std::uint32_t>(r * 255.0f + 0.5f) << 16 |
                static_cast<std::uint32_t>(g * 255.0f + 0.5f) << 8 | static_cast<std::uint32_t>(b * 255.0f + 0.5f);
    }
  }
}
