#include "FrameWriter.h"

#include <algorithm>
#include <chrono>
#include <cstring>

extern "C" {
#include <libswscale/swscale.h>
}

namespace {
using Clock = std::chrono::steady_clock;
std::uint64_t Ns(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(b - a).count();
}

void CopyPlane(std::uint8_t* dst, int dstPitch, const std::uint8_t* src, int srcPitch, int bytes, int rows) {
  for (int y = 0; y < rows; ++y) std::memcpy(dst + static_cast<std::ptrdiff_t>(y) * dstPitch,
                                             src + static_cast<std::ptrdiff_t>(y) * srcPitch, bytes);
}

bool IsFullRangeFormat(int format) {
  return format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P || format == AV_PIX_FMT_YUVJ444P ||
         format == AV_PIX_FMT_YUVJ440P || format == AV_PIX_FMT_YUVJ411P;
}
}  // namespace

D3DFORMAT YuvFormatFor(AVPixelFormat format) { return format == AV_PIX_FMT_NV12 ? D3DFMT_NV12 : D3DFMT_YV12; }

YuvColorInfo ColorInfoOf(const AVFrame* frame) {
  YuvColorInfo info;
  switch (frame->colorspace) {
    case AVCOL_SPC_BT709:
      info.matrix = YuvMatrix::Bt709;
      break;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
    case AVCOL_SPC_FCC:
    case AVCOL_SPC_SMPTE240M:
      info.matrix = YuvMatrix::Bt601;
      break;
    default:
      info.matrix = YuvMatrix::Automatic;
  }
  info.fullRange = frame->color_range == AVCOL_RANGE_JPEG || IsFullRangeFormat(frame->format);
  return info;
}

FrameWriter::~FrameWriter() { sws_freeContext(scaler_); }

bool FrameWriter::CopiesDirectly(AVPixelFormat source) const {
  if (format_ == D3DFMT_YV12) return source == AV_PIX_FMT_YUV420P || source == AV_PIX_FMT_YUVJ420P;
  if (format_ == D3DFMT_NV12) return source == AV_PIX_FMT_NV12;
  return false;
}

bool FrameWriter::Convert(const AVFrame* frame, int width, int height, std::uint8_t* const planes[4],
                          const int strides[4]) {
  AVPixelFormat target = AV_PIX_FMT_BGR0;  // X8R8G8B8: B, G, R, X in memory
  if (format_ == D3DFMT_YV12) target = AV_PIX_FMT_YUV420P;
  if (format_ == D3DFMT_NV12) target = AV_PIX_FMT_NV12;
  scaler_ = sws_getCachedContext(scaler_, width, height, static_cast<AVPixelFormat>(frame->format), width, height,
                                 target, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!scaler_) return false;
  const YuvColorInfo info = ColorInfoOf(frame);
  const bool bt709 = info.matrix == YuvMatrix::Bt709 || (info.matrix == YuvMatrix::Automatic && frame->height >= 720);
  const int* coefficients = sws_getCoefficients(bt709 ? SWS_CS_ITU709 : SWS_CS_ITU601);
  const bool rgbOut = target == AV_PIX_FMT_BGR0;
  sws_setColorspaceDetails(scaler_, coefficients, info.fullRange ? 1 : 0, coefficients, rgbOut ? 1 : 0, 0,
                           1 << 16, 1 << 16);
  const int rows = sws_scale(scaler_, frame->data, frame->linesize, 0, height, planes, strides);
  return rows > 0;
}

HRESULT FrameWriter::Write(const AVFrame* frame, IDirect3DSurface9* surface, std::uint64_t* convertNs,
                           std::uint64_t* uploadNs) {
  if (!frame || !surface) return E_POINTER;
  D3DSURFACE_DESC desc{};
  HRESULT hr = surface->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  if (desc.Format != format_) return D3DERR_WRONGTEXTUREFORMAT;
  const auto t0 = Clock::now();
  D3DLOCKED_RECT locked{};
  hr = surface->LockRect(&locked, nullptr, 0);
  if (FAILED(hr)) return hr;
  auto* bits = static_cast<std::uint8_t*>(locked.pBits);
  const int pitch = locked.Pitch;
  const int surfaceRows = static_cast<int>(desc.Height);
  const int width = std::min(frame->width, static_cast<int>(desc.Width));
  const int height = std::min(frame->height, surfaceRows);
  const int chromaWidth = (width + 1) / 2;
  const int chromaRows = (height + 1) / 2;

  // The planes of the surface, in libav's order (Y, U, V) for the formats we write.
  std::uint8_t* planes[4] = {bits, nullptr, nullptr, nullptr};
  int strides[4] = {pitch, 0, 0, 0};
  if (format_ == D3DFMT_YV12) {
    std::uint8_t* v = bits + static_cast<std::ptrdiff_t>(pitch) * surfaceRows;
    std::uint8_t* u = v + static_cast<std::ptrdiff_t>(pitch / 2) * (surfaceRows / 2);
    planes[1] = u;
    planes[2] = v;
    strides[1] = strides[2] = pitch / 2;
  } else if (format_ == D3DFMT_NV12) {
    planes[1] = bits + static_cast<std::ptrdiff_t>(pitch) * surfaceRows;
    strides[1] = pitch;
  }

  bool written = true;
  std::uint64_t converting = 0;
  if (CopiesDirectly(static_cast<AVPixelFormat>(frame->format))) {
    CopyPlane(planes[0], strides[0], frame->data[0], frame->linesize[0], width, height);
    if (format_ == D3DFMT_YV12) {
      CopyPlane(planes[1], strides[1], frame->data[1], frame->linesize[1], chromaWidth, chromaRows);
      CopyPlane(planes[2], strides[2], frame->data[2], frame->linesize[2], chromaWidth, chromaRows);
    } else {
      CopyPlane(planes[1], strides[1], frame->data[1], frame->linesize[1], chromaWidth * 2, chromaRows);
    }
  } else {
    const auto t1 = Clock::now();
    written = Convert(frame, width, height, planes, strides);
    converting = Ns(t1, Clock::now());
  }
  if (format_ == D3DFMT_YV12 || format_ == D3DFMT_NV12) {
    YuvColorInfo info = ColorInfoOf(frame);
    if (!CopiesDirectly(static_cast<AVPixelFormat>(frame->format))) info.fullRange = false;  // swscale wrote video range
    surface->SetYuvColorInfo(info);
  }
  hr = surface->UnlockRect();
  *convertNs += converting;
  *uploadNs += Ns(t0, Clock::now()) - converting;
  if (FAILED(hr)) return hr;
  return written ? S_OK : E_FAIL;
}
