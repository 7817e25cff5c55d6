// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/decoded_media.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "export/ffmpeg_handles.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace kvarbon::testing {
namespace {

void Must(int result, const char* what) {
  if (result < 0) throw std::runtime_error(std::string(what) + ": " + AvErrorText(result));
}

CodecContextPtr OpenDecoder(const AVStream& stream) {
  const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
  if (codec == nullptr) throw std::runtime_error("no decoder");
  CodecContextPtr context(avcodec_alloc_context3(codec));
  Must(avcodec_parameters_to_context(context.get(), stream.codecpar), "decoder parameters");
  context->pkt_timebase = stream.time_base;
  Must(avcodec_open2(context.get(), codec, nullptr), "open decoder");
  return context;
}

void TakePicture(const AVFrame& frame, AVRational timeBase, DecodedMedia& media) {
  DecodedMedia::Picture picture;
  picture.startMs = av_rescale_q(frame.best_effort_timestamp, timeBase, AVRational{1, 1000});
  picture.durationMs = av_rescale_q(frame.pkt_duration, timeBase, AVRational{1, 1000});
  picture.width = frame.width;
  picture.height = frame.height;
  picture.pixels.resize(static_cast<std::size_t>(frame.width * frame.height));
  const SwsPtr scaler(sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), frame.width,
                                     frame.height, AV_PIX_FMT_RGB32, SWS_POINT, nullptr, nullptr, nullptr));
  std::uint8_t* to = reinterpret_cast<std::uint8_t*>(picture.pixels.data());
  const int stride = frame.width * 4;
  sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, &to, &stride);
  media.pictures.push_back(std::move(picture));
}

void TakeSound(const AVFrame& frame, AVRational timeBase, SwrContext*& swr, DecodedMedia& media) {
  if (swr == nullptr) {
    media.audioStart = av_rescale_q(frame.best_effort_timestamp, timeBase, AVRational{1, 48000});
    AVChannelLayout layout{};
    Must(av_channel_layout_copy(&layout, &frame.ch_layout), "sound layout");
    Must(swr_alloc_set_opts2(&swr, &layout, AV_SAMPLE_FMT_FLT, frame.sample_rate, &layout,
                             static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr),
         "sound conversion");
    Must(swr_init(swr), "sound conversion");
  }
  const int channels = frame.ch_layout.nb_channels;
  std::vector<float> interleaved(static_cast<std::size_t>(frame.nb_samples * channels));
  auto* to = reinterpret_cast<std::uint8_t*>(interleaved.data());
  const int made =
      swr_convert(swr, &to, frame.nb_samples, const_cast<const std::uint8_t**>(frame.extended_data), frame.nb_samples);
  for (int i = 0; i < made; ++i) media.audio.push_back(interleaved[static_cast<std::size_t>(i * channels)]);
}

}  // namespace

DecodedMedia DecodeMedia(const std::filesystem::path& file) {
  AVFormatContext* raw = nullptr;
  Must(avformat_open_input(&raw, file.c_str(), nullptr, nullptr), "open");
  const InputFormatPtr input(raw);
  Must(avformat_find_stream_info(input.get(), nullptr), "stream info");
  DecodedMedia media;
  media.durationMs = av_rescale(input->duration, 1000, AV_TIME_BASE);
  const int videoIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  const int audioIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  Must(videoIndex, "no video stream");
  media.hasAudio = audioIndex >= 0;
  CodecContextPtr video = OpenDecoder(*input->streams[videoIndex]);
  CodecContextPtr audio = media.hasAudio ? OpenDecoder(*input->streams[audioIndex]) : nullptr;
  SwrContext* swrRaw = nullptr;
  const PacketPtr packet(av_packet_alloc());
  const FramePtr frame(av_frame_alloc());
  const auto drain = [&](AVCodecContext* context, int index) {
    const AVRational timeBase = input->streams[index]->time_base;
    while (avcodec_receive_frame(context, frame.get()) == 0) {
      if (index == videoIndex) {
        TakePicture(*frame, timeBase, media);
      } else {
        TakeSound(*frame, timeBase, swrRaw, media);
      }
    }
  };
  while (av_read_frame(input.get(), packet.get()) >= 0) {
    AVCodecContext* context = packet->stream_index == videoIndex   ? video.get()
                              : packet->stream_index == audioIndex ? audio.get()
                                                                   : nullptr;
    if (packet->stream_index == videoIndex) {
      media.videoEndMs = std::max(media.videoEndMs, av_rescale_q(packet->pts + packet->duration,
                                                                 input->streams[videoIndex]->time_base,
                                                                 AVRational{1, 1000}));
    }
    if (context != nullptr) {
      Must(avcodec_send_packet(context, packet.get()), "decode");
      drain(context, packet->stream_index);
    }
    av_packet_unref(packet.get());
  }
  avcodec_send_packet(video.get(), nullptr);
  drain(video.get(), videoIndex);
  if (audio) {
    avcodec_send_packet(audio.get(), nullptr);
    drain(audio.get(), audioIndex);
  }
  const SwrPtr swr(swrRaw);
  return media;
}

int OnsetOffset(const std::vector<float>& track, std::int64_t expected, const std::vector<float>& sound, int search) {
  const std::size_t window = std::min<std::size_t>(sound.size(), 960);
  double best = -1e30;
  int bestOffset = 0;
  for (int offset = -search; offset <= search; ++offset) {
    const std::int64_t at = expected + offset;
    if (at < 0 || static_cast<std::size_t>(at) + window > track.size()) continue;
    double score = 0;
    for (std::size_t i = 0; i < window; ++i) score += track[static_cast<std::size_t>(at) + i] * sound[i];
    if (score > best) {
      best = score;
      bestOffset = offset;
    }
  }
  return bestOffset;
}

double Presence(const std::vector<float>& track, std::int64_t at, const std::vector<float>& sound) {
  double product = 0;
  double energy = 0;
  for (std::size_t i = 0; i < sound.size() && static_cast<std::size_t>(at) + i < track.size(); ++i) {
    product += track[static_cast<std::size_t>(at) + i] * sound[i];
    energy += sound[i] * sound[i];
  }
  return energy > 0 ? product / energy : 0;
}

}  // namespace kvarbon::testing
