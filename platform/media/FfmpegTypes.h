// Owning pointers for FFmpeg packets and frames, and the queues that carry them.
#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

#include "BoundedQueue.h"
#include "wintypes.h"

struct PacketDeleter {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

struct FrameDeleter {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

// A decoded picture with its times on the movie's timeline (100 ns units from the start).
struct VideoFrame {
  FramePtr frame;
  REFERENCE_TIME start = 0;
  REFERENCE_TIME end = 0;
};
using VideoFramePtr = std::unique_ptr<VideoFrame>;

// A null packet or frame marks the end of the stream.
using PacketQueue = BoundedQueue<PacketPtr>;
using FrameQueue = BoundedQueue<VideoFramePtr>;

constexpr AVRational kRefTimeBase = {1, 10000000};
