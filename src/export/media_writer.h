// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "export/ffmpeg_handles.h"

namespace kvarbon {

// The kinds of video file written, chosen by the output's extension.
enum class OutputKind {
  kMp4,   // H.264 + AAC
  kWebm,  // VP9 + Opus
};

// The kind for a file name ending in ".mp4" or ".webm" (in any case).
std::optional<OutputKind> OutputKindOf(const std::filesystem::path& file);

struct WriterSettings {
  OutputKind kind = OutputKind::kMp4;
  int sourceWidth = 0;  // of the pictures handed in
  int sourceHeight = 0;
  int width = 0;  // of the video (even)
  int height = 0;
  int frameInterval = 0;  // ms: the rate control's hint, and WebM's frame duration
  bool audio = false;
};

// The sound track's fixed format: stereo at 48 kHz, the rate Opus works at.
inline constexpr int kTrackRate = 48000;
inline constexpr int kTrackChannels = 2;

// Encodes pictures and a sound track into one video file. Timestamps of the
// pictures are in milliseconds; the sound track is sample-exact: its sample 0
// plays at time 0 in a reader of the file, after the encoder's start delay
// (AAC priming, Opus pre-skip), which the file itself records.
class MediaWriter {
 public:
  // Creates `file` and writes the file header; throws MediaError.
  MediaWriter(const std::filesystem::path& file, const WriterSettings& settings);
  MediaWriter(const MediaWriter&) = delete;
  MediaWriter& operator=(const MediaWriter&) = delete;
  ~MediaWriter();

  // One picture of sourceWidth x sourceHeight 0xFFRRGGBB pixels, shown from
  // `startMs` for `durationMs`.
  void WritePicture(const std::uint32_t* pixels, std::int64_t startMs, std::int64_t durationMs);
  // The next samples of the sound track, interleaved.
  void WriteSound(std::span<const float> samples);
  // Flushes the encoders and completes the file. Without it the file is left
  // incomplete (and is for the caller to remove).
  void Finish();

 private:
  struct Stream {
    AVStream* stream = nullptr;
    CodecContextPtr codec;
  };
  void OpenVideo(const WriterSettings& settings);
  void OpenAudio(const WriterSettings& settings);
  void Encode(Stream& stream, const AVFrame* frame);
  // The converted picture, shown from `startMs` for `durationMs`.
  void EncodePicture(std::int64_t startMs, std::int64_t durationMs);
  void EncodeSoundFrame(std::size_t frames);

  OutputKind kind_;
  OutputFormatPtr format_;
  Stream video_;
  std::optional<Stream> audio_;
  SwsPtr scaler_;
  FramePtr picture_;
  FramePtr sound_;
  PacketPtr packet_;
  bool startsAfterDelay_ = false;  // sound packets are stamped from 0, start delay included
  int sourceWidth_ = 0;
  int sourceHeight_ = 0;
  int frameInterval_ = 1;  // ms
  std::map<std::int64_t, std::int64_t> durations_;  // picture start -> duration, until its packet is out
  std::vector<float> pending_;                      // sound samples not yet a whole encoder frame
  std::int64_t soundWritten_ = 0;                   // sample frames handed to the encoder
};

}  // namespace kvarbon
