// The demuxer: one movie file opened with libavformat, its best video stream and its best
// audio stream, and the thread that reads packets into the decoders' queues.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "FfmpegTypes.h"

class FfmpegSource {
 public:
  FfmpegSource() = default;
  ~FfmpegSource();
  FfmpegSource(const FfmpegSource&) = delete;
  FfmpegSource& operator=(const FfmpegSource&) = delete;

  // UI thread. Opens the file and finds a video stream with a decoder (required) and an
  // audio stream with a decoder (optional). A failure HRESULT leaves nothing open.
  HRESULT Open(const std::string& utf8Path);

  // Any thread, after Open. The audio stream and codec are null when the file has none.
  AVStream* VideoStream() const { return video_; }
  AVStream* AudioStream() const { return audio_; }
  const AVCodec* VideoCodec() const { return videoCodec_; }
  const AVCodec* AudioCodec() const { return audioCodec_; }
  // Length of the movie, 0 when the container does not tell.
  REFERENCE_TIME Duration() const;

  // Timeline conversions for a stream's timestamps: 100 ns from the movie's start.
  REFERENCE_TIME ToTimeline(int64_t ts, AVRational tb) const;
  int64_t FromTimeline(REFERENCE_TIME t, AVRational tb) const;

  // UI thread, demux thread not running: reads the next packet of any stream.
  // Returns an FFmpeg error code (AVERROR_EOF at the end).
  int ReadPacket(AVPacket* packet);
  // UI thread, demux thread not running: puts the demuxer at the key frame at or before
  // pos (falls back to reopening the file when asked for the start of an unseekable file).
  HRESULT Seek(REFERENCE_TIME pos);

  // UI thread: starts the demux thread, which owns reading until Stop. Packets of the video
  // stream go to video, those of the audio stream to audio (when not null); at the end of
  // the file (or a read error) each queue receives a null packet and the thread ends.
  void Start(PacketQueue* video, PacketQueue* audio);
  // UI thread: the queues must be closed first; ends and joins the demux thread.
  void Stop();

 private:
  HRESULT OpenInput();
  void Close();
  void DemuxLoop(PacketQueue* video, PacketQueue* audio);
  static int Interrupt(void* opaque);

  std::string path_;
  AVFormatContext* format_ = nullptr;
  AVStream* video_ = nullptr;
  AVStream* audio_ = nullptr;
  const AVCodec* videoCodec_ = nullptr;
  const AVCodec* audioCodec_ = nullptr;
  int64_t originUs_ = 0;
  std::atomic<bool> quit_{false};
  std::thread thread_;
};
