#include "YuvToRgb.h"

#include <algorithm>
#include <cmath>

namespace {

struct Coefficients {
  std::int32_t y, rv, gu, gv, bu, r0, g0, b0;
};

// One row of pixels from its luma and its chroma at every column; a vector unit's version
// where the processor has one.
__attribute__((target_clones("avx2", "default"))) void StoreRow(const std::uint8_t* luma, const std::int32_t* us,
                                                                 const std::int32_t* vs, unsigned width,
                                                                 const Coefficients& k, std::uint32_t* line) {
  for (unsigned x = 0; x < width; ++x) {
    const std::int32_t l = k.y * luma[x];
    const std::int32_t r = std::clamp((l + k.rv * vs[x] + k.r0) >> 20, 0, 255);
    const std::int32_t g = std::clamp((l + k.gu * us[x] + k.gv * vs[x] + k.g0) >> 20, 0, 255);
    const std::int32_t b = std::clamp((l + k.bu * us[x] + k.b0) >> 20, 0, 255);
    line[x] = 0xFF000000u | static_cast<std::uint32_t>(r << 16 | g << 8 | b);
  }
}

}  // namespace

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
  cu_.resize(chromaWidth);
  cv_.resize(chromaWidth);
  v_.resize(width);

  const std::uint8_t* chroma = block + static_cast<std::size_t>(pitch) * height;
  const bool interleaved = format == D3DFMT_NV12;
  const unsigned chromaPitch = interleaved ? pitch : pitch / 2;
  // YV12 keeps V first, then U.
  const std::uint8_t* vPlane = chroma;
  const std::uint8_t* uPlane = chroma + static_cast<std::size_t>(chromaPitch) * chromaHeight;

  // In 8-bit levels, with the offset folded in: r = ys*y + rv*v + r0, and so on; evaluated in
  // fixed point with 20 fraction bits, chroma carrying 8 of its own (ample for 8-bit output,
  // the same as the GPU's filter weights).
  const float ys = c.matrix[0], gu = c.matrix[4], bu = c.matrix[5], rv = c.matrix[6], gv = c.matrix[7];
  const float yOffset = -ys * c.offset[0];
  constexpr float kOne = 1 << 20, kChroma = kOne / 256.0f;
  auto fixed = [](float v) { return static_cast<std::int32_t>(std::lround(v)); };
  Coefficients k;
  k.y = fixed(ys * kOne), k.rv = fixed(rv * kChroma), k.gu = fixed(gu * kChroma), k.gv = fixed(gv * kChroma),
  k.bu = fixed(bu * kChroma);
  // 255 * offset, plus a half level for rounding.
  k.r0 = fixed((255.0f * (yOffset - rv * c.offset[2]) + 0.5f) * kOne);
  k.g0 = fixed((255.0f * (yOffset - gu * c.offset[1] - gv * c.offset[2]) + 0.5f) * kOne);
  k.b0 = fixed((255.0f * (yOffset - bu * c.offset[1]) + 0.5f) * kOne);

  for (unsigned y = 0; y < height; ++y) {
    const Tap row = rows_[y];
    // Chroma of this row: the vertical blend of its two chroma rows, then the horizontal one.
    const std::uint8_t* uTop = interleaved ? chroma + static_cast<std::size_t>(row.first) * chromaPitch
                                           : uPlane + static_cast<std::size_t>(row.first) * chromaPitch;
    const std::uint8_t* uBottom = interleaved ? chroma + static_cast<std::size_t>(row.second) * chromaPitch
                                              : uPlane + static_cast<std::size_t>(row.second) * chromaPitch;
    const std::uint8_t* vTop = interleaved ? uTop + 1 : vPlane + static_cast<std::size_t>(row.first) * chromaPitch;
    const std::uint8_t* vBottom =
        interleaved ? uBottom + 1 : vPlane + static_cast<std::size_t>(row.second) * chromaPitch;
    const unsigned step = interleaved ? 2 : 1;
    const float w = row.weight;
    for (unsigned x = 0; x < chromaWidth; ++x) {
      const float ut = uTop[x * step], ub = uBottom[x * step], vt = vTop[x * step], vb = vBottom[x * step];
      cu_[x] = ut + (ub - ut) * w;
      cv_[x] = vt + (vb - vt) * w;
    }
    for (unsigned x = 0; x < width; ++x) {
      const Tap col = columns_[x];
      u_[x] = static_cast<std::int32_t>((cu_[col.first] + (cu_[col.second] - cu_[col.first]) * col.weight) * 256.0f + 0.5f);
      v_[x] = static_cast<std::int32_t>((cv_[col.first] + (cv_[col.second] - cv_[col.first]) * col.weight) * 256.0f + 0.5f);
    }
    const std::uint8_t* luma = block + static_cast<std::size_t>(y) * pitch;
    std::uint32_t* line = out + static_cast<std::size_t>(y) * width;
    StoreRow(luma, u_.data(), v_.data(), width, k, line);
  }
}
