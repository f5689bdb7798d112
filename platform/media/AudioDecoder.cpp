#include "AudioDecoder.h"

extern "C" {
#include <libswresample/swresample.h>
}

#include "MediaClock.h"
#include "PulseSink.h"
#include "dshow.h"

AudioDecoder::~AudioDecoder() {
  Stop();
  swr_free(&resampler_);
  avcodec_free_context(&codec_);
}

HRESULT AudioDecoder::Open(const FfmpegSource* source) {
  source_ = source;
  AVStream* stream = source->AudioStream();
  if (!stream) return VFW_E_NOT_FOUND;
  codec_ = avcodec_alloc_context3(source->AudioCodec());
  if (!codec_) return E_OUTOFMEMORY;
  if (avcodec_parameters_to_context(codec_, stream->codecpar) < 0) return VFW_E_UNSUPPORTED_STREAM;
  codec_->pkt_timebase = stream->time_base;
  if (avcodec_open2(codec_, source->AudioCodec(), nullptr) < 0) return VFW_E_UNSUPPORTED_STREAM;
  rate_ = codec_->sample_rate;
  channels_ = codec_->ch_layout.nb_channels >= 2 ? 2 : 1;
  if (rate_ <= 0 || codec_->ch_layout.nb_channels <= 0) return VFW_E_UNSUPPORTED_STREAM;
  return S_OK;
}

void AudioDecoder::Flush(REFERENCE_TIME dropBefore) {
  avcodec_flush_buffers(codec_);
  swr_free(&resampler_);
  dropBefore_ = dropBefore;
  nextStart_ = dropBefore;
  base_ = -1;
}

void AudioDecoder::Start(PacketQueue* in, PulseSink* sink, MediaClock* clock, std::function<void()> ended) {
  Stop();
  base_ = -1;
  thread_ = std::thread([this, in, sink, clock, ended = std::move(ended)] { AudioLoop(in, sink, clock, ended); });
}

void AudioDecoder::Stop() {
  if (thread_.joinable()) thread_.join();
}

bool AudioDecoder::WriteFrame(const AVFrame* frame, PulseSink* sink, MediaClock* clock) {
  if (!resampler_) {
    AVChannelLayout out{};
    av_channel_layout_default(&out, channels_);
    AVChannelLayout layout{};
    if (av_channel_layout_copy(&layout, &frame->ch_layout) < 0) return true;
    const int err = swr_alloc_set_opts2(&resampler_, &out, AV_SAMPLE_FMT_FLT, rate_, &layout,
                                        static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&out);
    av_channel_layout_uninit(&layout);
    if (err < 0 || swr_init(resampler_) < 0) {
      swr_free(&resampler_);
      return true;  // this frame cannot be converted; the stream goes on
    }
  }
  const int64_t ts = frame->best_effort_timestamp;
  const REFERENCE_TIME start = ts != AV_NOPTS_VALUE ? source_->ToTimeline(ts, source_->AudioStream()->time_base)
                                                    : nextStart_;
  const int capacity = swr_get_out_samples(resampler_, frame->nb_samples);
  if (capacity <= 0) return true;
  buffer_.resize(static_cast<std::size_t>(capacity) * channels_);
  auto* out = reinterpret_cast<uint8_t*>(buffer_.data());
  const int samples = swr_convert(resampler_, &out, capacity, const_cast<const uint8_t**>(frame->extended_data),
                                  frame->nb_samples);
  if (samples <= 0) return true;
  nextStart_ = start + av_rescale(samples, 10000000, rate_);
  int skip = 0;
  if (start < dropBefore_) {
    if (nextStart_ <= dropBefore_) return true;
    skip = static_cast<int>(av_rescale(dropBefore_ - start, rate_, 10000000));
  }
  if (base_ < 0) base_ = start + av_rescale(skip, 10000000, rate_);
  const std::size_t bytes = static_cast<std::size_t>(samples - skip) * channels_ * sizeof(float);
  if (!sink->Write(buffer_.data() + static_cast<std::size_t>(skip) * channels_, bytes)) return false;
  const std::int64_t played = sink->PlayedUs();
  if (played >= 0) clock->SyncToAudio(base_ + played * 10);
  return true;
}

bool AudioDecoder::Deliver(PulseSink* sink, MediaClock* clock) {
  FramePtr frame(av_frame_alloc());
  if (!frame) return false;
  for (;;) {
    if (avcodec_receive_frame(codec_, frame.get()) != 0) return true;
    const bool ok = WriteFrame(frame.get(), sink, clock);
    av_frame_unref(frame.get());
    if (!ok) return false;
  }
}

// Audio thread.
void AudioDecoder::AudioLoop(PacketQueue* in, PulseSink* sink, MediaClock* clock,
                             const std::function<void()>& ended) {
  for (;;) {
    std::optional<PacketPtr> packet = in->Pop();
    if (!packet) return;  // closed: the graph is stopping
    // A damaged packet is refused by the decoder and skipped; playback goes on.
    if (avcodec_send_packet(codec_, packet->get()) == AVERROR(EAGAIN)) {
      if (!Deliver(sink, clock)) return;
      avcodec_send_packet(codec_, packet->get());
    }
    if (!Deliver(sink, clock)) return;
    if (!*packet) break;
  }
  if (sink->Drain()) ended();
}
