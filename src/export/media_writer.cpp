// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/media_writer.h"

#include <algorithm>
#include <cctype>
#include <string>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace kvarbon {
namespace {

constexpr AVRational kMillisecond{1, 1000};
constexpr AVRational kSample{1, kTrackRate};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

const AVCodec* FindEncoder(const char* name) {
  const AVCodec* codec = avcodec_find_encoder_by_name(name);
  if (codec == nullptr) throw MediaError(std::string("FFmpeg has no encoder \"") + name + "\"");
  return codec;
}

struct Dictionary {
  AVDictionary* entries = nullptr;
  Dictionary() = default;
  Dictionary(const Dictionary&) = delete;
  Dictionary& operator=(const Dictionary&) = delete;
  ~Dictionary() { av_dict_free(&entries); }
  void Set(const char* key, const char* value) { av_dict_set(&entries, key, value, 0); }
};

}  // namespace

std::optional<OutputKind> OutputKindOf(const std::filesystem::path& file) {
  const std::string extension = Lower(file.extension().string());
  if (extension == ".mp4") return OutputKind::kMp4;
  if (extension == ".webm") return OutputKind::kWebm;
  return std::nullopt;
}

MediaWriter::MediaWriter(const std::filesystem::path& file, const WriterSettings& settings)
    : kind_(settings.kind),
      sourceWidth_(settings.sourceWidth),
      sourceHeight_(settings.sourceHeight),
      frameInterval_(std::max(settings.frameInterval, 1)) {
  const char* muxer = settings.kind == OutputKind::kMp4 ? "mp4" : "webm";
  // "file:" keeps a name with a colon from being taken for another protocol.
  const std::string url = "file:" + file.string();
  AVFormatContext* raw = nullptr;
  Check(avformat_alloc_output_context2(&raw, nullptr, muxer, url.c_str()), "Cannot set up the output format");
  format_.reset(raw);

  OpenVideo(settings);
  if (settings.audio) OpenAudio(settings);

  Check(avio_open(&format_->pb, url.c_str(), AVIO_FLAG_WRITE), "Cannot create the file");
  Dictionary options;
  // The index goes to the front, so a player can start before it has the whole file.
  if (settings.kind == OutputKind::kMp4) options.Set("movflags", "+faststart");
  Check(avformat_write_header(format_.get(), &options.entries), "Cannot write the file header");

  packet_.reset(av_packet_alloc());
  picture_.reset(av_frame_alloc());
  if (!packet_ || !picture_) throw MediaError("Out of memory");
  picture_->format = video_.codec->pix_fmt;
  picture_->width = settings.width;
  picture_->height = settings.height;
  Check(av_frame_get_buffer(picture_.get(), 0), "Cannot allocate a picture");
  // The canvas's 0xFFRRGGBB words are FFmpeg's native-endian RGB32.
  scaler_.reset(sws_getContext(settings.sourceWidth, settings.sourceHeight, AV_PIX_FMT_RGB32, settings.width,
                               settings.height, video_.codec->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!scaler_) throw MediaError("Cannot set up the picture conversion");
}

MediaWriter::~MediaWriter() = default;

void MediaWriter::OpenVideo(const WriterSettings& settings) {
  const bool mp4 = settings.kind == OutputKind::kMp4;
  // MP4 takes the encoder's negative start as an edit list instead.
  startsAfterDelay_ = !mp4;
  const AVCodec* codec = FindEncoder(mp4 ? "libx264" : "libvpx-vp9");
  video_.stream = avformat_new_stream(format_.get(), nullptr);
  video_.codec.reset(avcodec_alloc_context3(codec));
  if (video_.stream == nullptr || !video_.codec) throw MediaError("Out of memory");
  AVCodecContext& context = *video_.codec;
  context.width = settings.width;
  context.height = settings.height;
  context.pix_fmt = AV_PIX_FMT_YUV420P;
  context.time_base = kMillisecond;
  context.framerate = AVRational{1000, std::max(settings.frameInterval, 1)};
  // A key frame about every two seconds, so a player can seek.
  context.gop_size = std::max(1, 2000 / std::max(settings.frameInterval, 1));
  context.max_b_frames = 0;
  context.thread_count = 0;
  if (format_->oformat->flags & AVFMT_GLOBALHEADER) context.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  Dictionary options;
  if (mp4) {
    options.Set("preset", "superfast");
    options.Set("crf", "23");
  } else {
    options.Set("deadline", "realtime");
    options.Set("cpu-used", "8");
    options.Set("row-mt", "1");
    options.Set("crf", "32");
    options.Set("b", "0");
  }
  Check(avcodec_open2(&context, codec, &options.entries), "Cannot open the video encoder");
  Check(avcodec_parameters_from_context(video_.stream->codecpar, &context), "Cannot set up the video stream");
  video_.stream->time_base = kMillisecond;
  if (!mp4) {
    // WebM's blocks carry no duration: each lasts the track's default
    // duration, recorded from this rate, up to the next one.
    video_.stream->avg_frame_rate = context.framerate;
  }
}

void MediaWriter::OpenAudio(const WriterSettings& settings) {
  const AVCodec* codec = FindEncoder(settings.kind == OutputKind::kMp4 ? "aac" : "libopus");
  Stream stream;
  stream.stream = avformat_new_stream(format_.get(), nullptr);
  stream.codec.reset(avcodec_alloc_context3(codec));
  if (stream.stream == nullptr || !stream.codec) throw MediaError("Out of memory");
  AVCodecContext& context = *stream.codec;
  // Interleaved or planar float, whichever the encoder takes.
  context.sample_fmt = AV_SAMPLE_FMT_NONE;
  for (const AVSampleFormat* format = codec->sample_fmts; format && *format != AV_SAMPLE_FMT_NONE; ++format) {
    if (*format == AV_SAMPLE_FMT_FLT || *format == AV_SAMPLE_FMT_FLTP) {
      context.sample_fmt = *format;
      break;
    }
  }
  if (context.sample_fmt == AV_SAMPLE_FMT_NONE) throw MediaError("The audio encoder takes no float samples");
  context.sample_rate = kTrackRate;
  av_channel_layout_default(&context.ch_layout, kTrackChannels);
  context.bit_rate = settings.kind == OutputKind::kMp4 ? 192000 : 128000;
  context.time_base = kSample;
  if (format_->oformat->flags & AVFMT_GLOBALHEADER) context.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  Check(avcodec_open2(&context, codec, nullptr), "Cannot open the audio encoder");
  Check(avcodec_parameters_from_context(stream.stream->codecpar, &context), "Cannot set up the audio stream");
  stream.stream->time_base = kSample;
  audio_ = std::move(stream);

  sound_.reset(av_frame_alloc());
  if (!sound_) throw MediaError("Out of memory");
}

void MediaWriter::Encode(Stream& stream, const AVFrame* frame) {
  Check(avcodec_send_frame(stream.codec.get(), frame), "Cannot encode");
  for (;;) {
    const int result = avcodec_receive_packet(stream.codec.get(), packet_.get());
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
    Check(result, "Cannot encode");
    if (&stream == &video_) {
      // The encoder does not carry durations through; each picture's is kept here.
      const auto duration = durations_.find(packet_->pts);
      if (duration != durations_.end()) {
        packet_->duration = duration->second;
        durations_.erase(duration);
      }
    }
    if (&stream != &video_ && startsAfterDelay_) {
      // WebM stamps the blocks as the encoder made them, start delay included,
      // and records the delay as the track's codec delay, which readers take
      // off again: the first block is at 0, the first real sample is heard at 0.
      packet_->pts += stream.codec->initial_padding;
      packet_->dts += stream.codec->initial_padding;
    }
    av_packet_rescale_ts(packet_.get(), stream.codec->time_base, stream.stream->time_base);
    packet_->stream_index = stream.stream->index;
    Check(av_interleaved_write_frame(format_.get(), packet_.get()), "Cannot write to the file");
  }
}

void MediaWriter::WritePicture(const std::uint32_t* pixels, std::int64_t startMs, std::int64_t durationMs) {
  Check(av_frame_make_writable(picture_.get()), "Cannot allocate a picture");
  const auto* source = reinterpret_cast<const std::uint8_t*>(pixels);
  const int sourceStride = sourceWidth_ * 4;
  sws_scale(scaler_.get(), &source, &sourceStride, 0, sourceHeight_, picture_->data, picture_->linesize);
  // In WebM a picture lasts one frame interval unless another follows (see
  // OpenVideo): one held longer, as the last frame while the last sound plays
  // on, is written once more one interval before its end, so that the video
  // track lasts to the end.
  if (kind_ == OutputKind::kWebm && durationMs > frameInterval_) {
    EncodePicture(startMs, durationMs - frameInterval_);
    EncodePicture(startMs + durationMs - frameInterval_, frameInterval_);
  } else {
    EncodePicture(startMs, durationMs);
  }
}

void MediaWriter::EncodePicture(std::int64_t startMs, std::int64_t durationMs) {
  picture_->pts = startMs;
  durations_[startMs] = durationMs;
  Encode(video_, picture_.get());
}

void MediaWriter::EncodeSoundFrame(std::size_t frames) {
  AVFrame& frame = *sound_;
  av_frame_unref(&frame);
  frame.format = audio_->codec->sample_fmt;
  frame.sample_rate = kTrackRate;
  frame.nb_samples = static_cast<int>(frames);
  Check(av_channel_layout_copy(&frame.ch_layout, &audio_->codec->ch_layout), "Cannot set up a sound frame");
  Check(av_frame_get_buffer(&frame, 0), "Cannot allocate a sound frame");
  if (frame.format == AV_SAMPLE_FMT_FLT) {
    std::copy_n(pending_.begin(), frames * kTrackChannels, reinterpret_cast<float*>(frame.data[0]));
  } else {
    for (int channel = 0; channel < kTrackChannels; ++channel) {
      auto* plane = reinterpret_cast<float*>(frame.data[channel]);
      for (std::size_t i = 0; i < frames; ++i) plane[i] = pending_[i * kTrackChannels + channel];
    }
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(frames * kTrackChannels));
  frame.pts = soundWritten_;
  soundWritten_ += static_cast<std::int64_t>(frames);
  Encode(*audio_, &frame);
}

void MediaWriter::WriteSound(std::span<const float> samples) {
  if (!audio_) return;
  pending_.insert(pending_.end(), samples.begin(), samples.end());
  const auto frameSize = static_cast<std::size_t>(audio_->codec->frame_size);
  while (pending_.size() >= frameSize * kTrackChannels) EncodeSoundFrame(frameSize);
}

void MediaWriter::Finish() {
  if (audio_) {
    if (!pending_.empty()) EncodeSoundFrame(pending_.size() / kTrackChannels);
    Encode(*audio_, nullptr);
  }
  Encode(video_, nullptr);
  Check(av_write_trailer(format_.get()), "Cannot complete the file");
  Check(avio_closep(&format_->pb), "Cannot complete the file");
}

}  // namespace kvarbon
