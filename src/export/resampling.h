// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "export/core/export_timeline.h"
#include "export/ffmpeg_handles.h"
#include "sound/core/pcm_sound.h"

namespace kvarbon {

// A sound's frames at `sourceRate` as frames at `rate`, rounded to the nearest.
std::int64_t ResampledLength(std::size_t frames, std::uint32_t sourceRate, int rate);

// A sound converted to `rate` samples per second on `channels` channels a
// piece at a time, as it is read: memory holds one piece, whatever the sound's
// length. Sample 0 stays at time 0, so the sound starts exactly where it is
// placed; it lasts ResampledLength frames.
class ResampledSound final : public SoundPieces {
 public:
  // Reads the source's frames [from, from + out.size() / its channels) as
  // interleaved floats into `out`; returns the frames read.
  using Source = std::function<std::size_t(std::size_t from, std::span<float> out)>;

  // Throws MediaError when the conversion cannot be set up.
  ResampledSound(std::uint32_t sourceRate, unsigned sourceChannels, std::size_t sourceFrames, Source source,
                 int rate, int channels);

  std::int64_t Length() const { return length_; }
  // Throws MediaError when a piece cannot be converted.
  std::size_t Next(std::span<float> out) override;

 private:
  // Converts the next piece of the source (or, at its end, what the converter
  // still holds) into converted_; false when nothing is left.
  bool Convert();

  Source source_;
  unsigned sourceChannels_;
  std::size_t sourceFrames_;
  int channels_;
  std::int64_t length_;
  SwrPtr swr_;
  std::size_t read_ = 0;   // source frames converted
  std::int64_t given_ = 0;  // frames handed out
  bool flushing_ = false;
  bool finished_ = false;
  std::vector<float> piece_;      // source frames being converted
  std::vector<float> converted_;  // converted frames not yet handed out, from convertedAt_
  std::size_t convertedAt_ = 0;
};

// `sound` at `rate` samples per second on `channels` channels, interleaved, at once.
std::vector<float> Resample(const PcmSound& sound, int rate, int channels);

}  // namespace kvarbon
