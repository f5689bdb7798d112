#include "FfmpegSource.h"

#include <sys/stat.h>

#include "dshow.h"

FfmpegSource::~FfmpegSource() {
  Stop();
  Close();
}

int FfmpegSource::Interrupt(void* opaque) {
  return static_cast<FfmpegSource*>(opaque)->quit_.load() ? 1 : 0;
}

HRESULT FfmpegSource::Open(const std::string& utf8Path) {
  Close();
  path_ = utf8Path;
  struct stat st {};
  if (path_.empty() || stat(path_.c_str(), &st) != 0) return VFW_E_NOT_FOUND;
  if (!S_ISREG(st.st_mode) || st.st_size == 0) return VFW_E_UNSUPPORTED_STREAM;
  const HRESULT hr = OpenInput();
  if (FAILED(hr)) Close();
  return hr;
}

HRESULT FfmpegSource::OpenInput() {
  format_ = avformat_alloc_context();
  if (!format_) return E_OUTOFMEMORY;
  format_->interrupt_callback = {&FfmpegSource::Interrupt, this};
  if (avformat_open_input(&format_, path_.c_str(), nullptr, nullptr) < 0) {
    format_ = nullptr;  // freed by the failed open
    return VFW_E_UNSUPPORTED_STREAM;
  }
  if (avformat_find_stream_info(format_, nullptr) < 0) return VFW_E_UNSUPPORTED_STREAM;

  const int v = av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, &videoCodec_, 0);
  if (v < 0 || !videoCodec_) return VFW_E_CANNOT_RENDER;
  video_ = format_->streams[v];
  if (video_->codecpar->width <= 0 || video_->codecpar->height <= 0) return VFW_E_CANNOT_RENDER;

  const int a = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, v, &audioCodec_, 0);
  if (a >= 0 && audioCodec_) {
    audio_ = format_->streams[a];
  } else {
    audio_ = nullptr;
    audioCodec_ = nullptr;
  }
  originUs_ = format_->start_time != AV_NOPTS_VALUE ? format_->start_time : 0;
  for (unsigned i = 0; i < format_->nb_streams; ++i) {
    AVStream* s = format_->streams[i];
    s->discard = (s == video_ || s == audio_) ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  return S_OK;
}

void FfmpegSource::Close() {
  if (format_) avformat_close_input(&format_);
  format_ = nullptr;
  video_ = audio_ = nullptr;
}

REFERENCE_TIME FfmpegSource::Duration() const {
  if (!format_ || format_->duration == AV_NOPTS_VALUE || format_->duration <= 0) return 0;
  return av_rescale_q(format_->duration, AV_TIME_BASE_Q, kRefTimeBase);
}

REFERENCE_TIME FfmpegSource::ToTimeline(int64_t ts, AVRational tb) const {
  return av_rescale_q(ts, tb, kRefTimeBase) - av_rescale_q(originUs_, AV_TIME_BASE_Q, kRefTimeBase);
}

int64_t FfmpegSource::FromTimeline(REFERENCE_TIME t, AVRational tb) const {
  return av_rescale_q(t + av_rescale_q(originUs_, AV_TIME_BASE_Q, kRefTimeBase), kRefTimeBase, tb);
}

int FfmpegSource::ReadPacket(AVPacket* packet) {
  if (!format_) return AVERROR_EOF;
  return av_read_frame(format_, packet);
}

HRESULT FfmpegSource::Seek(REFERENCE_TIME pos) {
  if (!format_) return E_UNEXPECTED;
  const int64_t ts = FromTimeline(pos, video_->time_base);
  if (av_seek_frame(format_, video_->index, ts, AVSEEK_FLAG_BACKWARD) >= 0) return S_OK;
  const int64_t us = av_rescale_q(pos, kRefTimeBase, AV_TIME_BASE_Q) + originUs_;
  if (avformat_seek_file(format_, -1, INT64_MIN, us, us, 0) >= 0) return S_OK;
  if (pos > 0) return E_FAIL;
  // The start of a file that cannot seek: open it again.
  const int videoIndex = video_->index;
  const int audioIndex = audio_ ? audio_->index : -1;
  Close();
  if (FAILED(OpenInput()) || video_->index != videoIndex || (audio_ ? audio_->index : -1) != audioIndex) {
    Close();
    return E_FAIL;
  }
  return S_OK;
}

void FfmpegSource::Start(PacketQueue* video, PacketQueue* audio) {
  Stop();
  quit_ = false;
  thread_ = std::thread([this, video, audio] { DemuxLoop(video, audio); });
}

void FfmpegSource::Stop() {
  quit_ = true;
  if (thread_.joinable()) thread_.join();
  quit_ = false;
}

// Demux thread.
void FfmpegSource::DemuxLoop(PacketQueue* video, PacketQueue* audio) {
  for (;;) {
    if (quit_ || !format_) break;
    PacketPtr packet(av_packet_alloc());
    if (!packet) break;
    const int err = av_read_frame(format_, packet.get());
    if (err == AVERROR(EAGAIN)) continue;
    if (err < 0) break;  // end of file, or a file that cannot be read on: the streams end
    bool delivered = true;
    if (packet->stream_index == video_->index) {
      delivered = video->Push(std::move(packet));
    } else if (audio && audio_ && packet->stream_index == audio_->index) {
      delivered = audio->Push(std::move(packet));
    }
    if (!delivered) return;  // closed: the graph is stopping
  }
  if (quit_) return;
  video->Push(nullptr);
  if (audio) audio->Push(nullptr);
}
