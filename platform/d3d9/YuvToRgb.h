// Planar YUV (YV12, NV12) to X8R8G8B8 on the CPU, for a copy of a whole surface onto a
// surface of the same size. Reads the block LockRect hands out and gives what the GPU copy
// draws: luma texel for texel, chroma filtered bilinearly at the luma texel's centre (edges
// clamped), then the conversion of D3D9Formats.h, clamped and rounded.
#pragma once

#include <cstdint>
#include <vector>

#include "D3D9Formats.h"

class YuvToRgb {
 public:
  // block: the surface's memory with the given first-plane pitch; out: width * height pixels,
  // rows from the top. Reuses its row buffers from call to call.
  void Convert(D3DFORMAT format, const std::uint8_t* block, unsigned pitch, unsigned width, unsigned height,
               const d3d9_formats::YuvConversion& conversion, std::uint32_t* out);

 private:
  // One output coordinate's two chroma texels and the weight of the second.
  struct Tap {
    unsigned first;
    unsigned second;
    float weight;
  };
  static void MakeTaps(unsigned size, unsigned chromaSize, std::vector<Tap>& taps);

  std::vector<Tap> columns_;
  std::vector<Tap> rows_;
  std::vector<float> cu_;  // one row of chroma texels, blended vertically
  std::vector<float> cv_;
  std::vector<std::int32_t> u_;  // the same at every luma column, in 1/256 levels
  std::vector<std::int32_t> v_;
};
