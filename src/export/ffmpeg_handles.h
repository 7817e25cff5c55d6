// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Owning handles for FFmpeg's objects: each is freed by FFmpeg's own function
// when its handle goes out of scope.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <stdexcept>
#include <string>

namespace kvarbon {

struct CodecContextFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct SwsFree {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct SwrFree {
  void operator()(SwrContext* context) const { swr_free(&context); }
};
// An output context together with the file it opened, if any.
struct OutputFormatFree {
  void operator()(AVFormatContext* context) const {
    if (context->pb != nullptr && (context->oformat->flags & AVFMT_NOFILE) == 0) avio_closep(&context->pb);
    avformat_free_context(context);
  }
};
struct InputFormatFree {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFree>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFree>;
using OutputFormatPtr = std::unique_ptr<AVFormatContext, OutputFormatFree>;
using InputFormatPtr = std::unique_ptr<AVFormatContext, InputFormatFree>;

// FFmpeg's text for one of its error codes.
std::string AvErrorText(int error);

// A failure inside FFmpeg, with what was being done and FFmpeg's reason.
class MediaError : public std::runtime_error {
 public:
  MediaError(const std::string& action, int error) : std::runtime_error(action + ": " + AvErrorText(error)) {}
  explicit MediaError(const std::string& what) : std::runtime_error(what) {}
};

// Throws MediaError for a negative FFmpeg result.
inline int Check(int result, const char* action) {
  if (result < 0) throw MediaError(action, result);
  return result;
}

}  // namespace kvarbon
