// Writes decoded pictures into the allocator-presenter's surfaces: a plain copy when the
// surface has the picture's own layout, a swscale conversion otherwise.
#pragma once

#include <cstdint>

#include "FfmpegTypes.h"
#include "d3d9.h"

struct SwsContext;

// The planar YUV format the renderer offers first for pictures of this pixel format: NV12
// for nv12, YV12 for everything else (converted when it is not 4:2:0 planar).
D3DFORMAT YuvFormatFor(AVPixelFormat format);
// How the YUV values of the picture are to be read.
YuvColorInfo ColorInfoOf(const AVFrame* frame);

class FrameWriter {
 public:
  FrameWriter() = default;
  ~FrameWriter();
  FrameWriter(const FrameWriter&) = delete;
  FrameWriter& operator=(const FrameWriter&) = delete;

  // Renderer thread: the format of the surfaces from now on.
  void SetFormat(D3DFORMAT format) { format_ = format; }
  D3DFORMAT Format() const { return format_; }

  // Renderer thread: locks the surface, writes the picture into its top-left corner,
  // unlocks it. Adds the nanoseconds spent converting and copying/unlocking.
  HRESULT Write(const AVFrame* frame, IDirect3DSurface9* surface, std::uint64_t* convertNs,
                std::uint64_t* uploadNs);

 private:
  bool CopiesDirectly(AVPixelFormat source) const;
  bool Convert(const AVFrame* frame, int width, int height, std::uint8_t* const planes[4], const int strides[4]);

  D3DFORMAT format_ = D3DFMT_UNKNOWN;
  SwsContext* scaler_ = nullptr;
};
