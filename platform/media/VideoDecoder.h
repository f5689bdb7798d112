// The video decoder: packets of the video stream in, timed pictures out (libavcodec with
// frame and slice threads).
#pragma once

#include <atomic>
#include <thread>

#include "FfmpegSource.h"

class VideoDecoder {
 public:
  VideoDecoder() = default;
  ~VideoDecoder();
  VideoDecoder(const VideoDecoder&) = delete;
  VideoDecoder& operator=(const VideoDecoder&) = delete;

  // UI thread. Opens the decoder of the source's video stream.
  HRESULT Open(const FfmpegSource* source);
  // UI thread, no thread running: reads and decodes from the source until the first
  // picture, which tells the real pixel format and size. Fails when no picture comes.
  HRESULT DecodeFirst(FfmpegSource* source, FramePtr* first);
  // UI thread, no thread running: forgets what the decoder holds; pictures that end at or
  // before dropBefore are dropped (a seek lands on its position, not on the key frame).
  void Flush(REFERENCE_TIME dropBefore);

  // UI thread: starts the decoding thread, which owns the decoder until Stop. It takes
  // packets from in and pushes pictures to out; after the null packet it drains the
  // decoder, pushes a null picture and ends.
  void Start(PacketQueue* in, FrameQueue* out);
  // UI thread: both queues must be closed first; joins the decoding thread.
  void Stop();

 private:
  void DecodeLoop(PacketQueue* in, FrameQueue* out);
  // Decoding thread (or UI thread in DecodeFirst): the next picture, with its times.
  VideoFramePtr Stamp(FramePtr frame);
  bool Deliver(FrameQueue* out);

  const FfmpegSource* source_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  REFERENCE_TIME dropBefore_ = 0;
  REFERENCE_TIME nextStart_ = 0;
  REFERENCE_TIME frameDuration_ = 400000;
  std::uint64_t pendingNs_ = 0;  // decoder time not yet counted with a picture
  std::thread thread_;
};
