#include "VideoDecoder.h"

#include <chrono>

#include "dshow.h"
#include "media_testing.h"

namespace {
std::uint64_t ElapsedNs(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - since).count();
}
}  // namespace

VideoDecoder::~VideoDecoder() {
  Stop();
  avcodec_free_context(&codec_);
}

HRESULT VideoDecoder::Open(const FfmpegSource* source) {
  source_ = source;
  AVStream* stream = source->VideoStream();
  codec_ = avcodec_alloc_context3(source->VideoCodec());
  if (!codec_) return E_OUTOFMEMORY;
  if (avcodec_parameters_to_context(codec_, stream->codecpar) < 0) return VFW_E_UNSUPPORTED_STREAM;
  codec_->pkt_timebase = stream->time_base;
  codec_->thread_count = 0;  // one per core
  codec_->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  if (avcodec_open2(codec_, source->VideoCodec(), nullptr) < 0) return VFW_E_UNSUPPORTED_STREAM;
  const AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
  if (rate.num > 0 && rate.den > 0) frameDuration_ = av_rescale_q(1, av_inv_q(rate), kRefTimeBase);
  return S_OK;
}

HRESULT VideoDecoder::DecodeFirst(FfmpegSource* source, FramePtr* first) {
  PacketPtr packet(av_packet_alloc());
  FramePtr frame(av_frame_alloc());
  if (!packet || !frame) return E_OUTOFMEMORY;
  const int videoIndex = source->VideoStream()->index;
  bool draining = false;
  // A movie whose first picture takes more than this many packets is not playable here.
  for (int packets = 0; packets < 2000;) {
    const int got = avcodec_receive_frame(codec_, frame.get());
    if (got == 0) {
      if (frame->width > 0 && frame->height > 0) {
        *first = std::move(frame);
        return S_OK;
      }
      av_frame_unref(frame.get());
      continue;
    }
    if (got != AVERROR(EAGAIN) || draining) return VFW_E_UNSUPPORTED_STREAM;
    const int err = source->ReadPacket(packet.get());
    if (err < 0) {
      if (err == AVERROR(EAGAIN)) continue;
      avcodec_send_packet(codec_, nullptr);
      draining = true;
      continue;
    }
    if (packet->stream_index == videoIndex) {
      ++packets;
      avcodec_send_packet(codec_, packet.get());  // a damaged packet is skipped
    }
    av_packet_unref(packet.get());
  }
  return VFW_E_UNSUPPORTED_STREAM;
}

void VideoDecoder::Flush(REFERENCE_TIME dropBefore) {
  avcodec_flush_buffers(codec_);
  dropBefore_ = dropBefore;
  nextStart_ = dropBefore;
}

void VideoDecoder::Start(PacketQueue* in, FrameQueue* out) {
  Stop();
  thread_ = std::thread([this, in, out] { DecodeLoop(in, out); });
}

void VideoDecoder::Stop() {
  if (thread_.joinable()) thread_.join();
}

VideoFramePtr VideoDecoder::Stamp(FramePtr frame) {
  auto out = std::make_unique<VideoFrame>();
  const int64_t ts = frame->best_effort_timestamp;
  out->start = ts != AV_NOPTS_VALUE ? source_->ToTimeline(ts, source_->VideoStream()->time_base) : nextStart_;
  REFERENCE_TIME duration = frame->pkt_duration > 0
                                ? av_rescale_q(frame->pkt_duration, source_->VideoStream()->time_base, kRefTimeBase)
                                : frameDuration_;
  if (duration <= 0) duration = frameDuration_;
  out->end = out->start + duration;
  nextStart_ = out->end;
  out->frame = std::move(frame);
  return out;
}

// Decoding thread: hands out every picture the decoder has ready. False once out is closed.
bool VideoDecoder::Deliver(FrameQueue* out) {
  for (;;) {
    FramePtr frame(av_frame_alloc());
    if (!frame) return false;
    const auto t0 = std::chrono::steady_clock::now();
    const int got = avcodec_receive_frame(codec_, frame.get());
    if (got != 0) return true;  // needs more input, drained, or a damaged picture skipped
    media_testing::AddDecoded(pendingNs_ + ElapsedNs(t0));
    pendingNs_ = 0;
    VideoFramePtr picture = Stamp(std::move(frame));
    if (picture->end <= dropBefore_) continue;
    if (!out->Push(std::move(picture))) return false;
  }
}

// Decoding thread.
void VideoDecoder::DecodeLoop(PacketQueue* in, FrameQueue* out) {
  for (;;) {
    std::optional<PacketPtr> packet = in->Pop();
    if (!packet) return;  // closed: the graph is stopping
    const auto t0 = std::chrono::steady_clock::now();
    // A damaged packet is refused by the decoder and skipped; playback goes on.
    const int sent = avcodec_send_packet(codec_, packet->get());
    pendingNs_ += ElapsedNs(t0);
    if (sent == AVERROR(EAGAIN)) {
      // The decoder is full: take its pictures, then give the packet again.
      if (!Deliver(out)) return;
      avcodec_send_packet(codec_, packet->get());
    }
    if (!Deliver(out)) return;
    if (!*packet) {
      out->Push(nullptr);
      return;
    }
  }
}
