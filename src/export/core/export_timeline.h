// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "show/core/container_reader.h"

namespace kvarbon {

// When each frame of a show is seen and which sound is heard when, for a show
// of frames shown `frameInterval` ms each. Frames count from 1; sound lengths
// and positions in the sound track are in samples at one output rate.

// Frame k's sound (element k - 1: a sound number, or none), from the ini
// entries: entries that name no frame or no sound of the container are left
// out, and a frame assigned twice keeps its last assignment.
std::vector<std::optional<std::size_t>> FrameSounds(const std::vector<IniEntry>& entries, std::size_t frameCount,
                                                    std::size_t soundCount);

// Frame k is shown from (k - 1) * frameInterval ms.
constexpr std::int64_t FrameStartMs(int frameInterval, std::size_t frame) {
  return static_cast<std::int64_t>(frame - 1) * frameInterval;
}

// The sample at which `ms` milliseconds begin, at `rate` samples per second.
constexpr std::int64_t SampleAt(std::int64_t ms, int rate) { return ms * rate / 1000; }

// One sound as heard in the track.
struct SoundSpan {
  std::size_t sound = 0;    // its number
  std::int64_t start = 0;   // the first sample, where its frame starts
  std::int64_t length = 0;  // samples heard: all of it, or up to the next sound's start
};

// Every started sound in frame order. A sound starts with its frame and plays
// to its end unless the next frame with a sound starts first and cuts it off
// (a sound too short to be heard still cuts off the one before). A frame
// without a sound leaves the one playing alone.
std::vector<SoundSpan> PlanSounds(int frameInterval, const std::vector<std::optional<std::size_t>>& frameSounds,
                                  const std::vector<std::int64_t>& soundLengths, int rate);

// The video's length in ms: all frames, or longer until the last sound heard
// ends (rounded up to a whole millisecond).
std::int64_t VideoEndMs(int frameInterval, std::size_t frameCount, const std::vector<SoundSpan>& spans, int rate);

// How long frame k stays on screen: one interval, and the last frame up to the end.
std::int64_t FrameDurationMs(int frameInterval, std::size_t frameCount, std::size_t frame, std::int64_t videoEndMs);

// One sound's samples at the track's rate and channel count, interleaved, read
// in order from its first sample a piece at a time.
class SoundPieces {
 public:
  virtual ~SoundPieces() = default;
  // Fills `out` (whole frames) with the next samples; fewer only at the
  // sound's end. Returns the frames written.
  virtual std::size_t Next(std::span<float> out) = 0;
};

// Writes the sound track in order, a piece at a time: each span's sound where
// it is heard, silence elsewhere. A span's sound is opened when the track
// reaches it and dropped when the span ends, so one sound at a time is held.
class TrackRenderer {
 public:
  // Opens sound `sound` from its start; null for one that is silent. May throw.
  using Opener = std::function<std::unique_ptr<SoundPieces>(std::size_t sound)>;

  // `spans` are in start order and do not overlap.
  TrackRenderer(std::vector<SoundSpan> spans, int channels, Opener open);

  // Writes the next out.size() / channels frames of the track into `out`.
  void Next(std::span<float> out);

 private:
  std::vector<SoundSpan> spans_;
  std::int64_t channels_;
  Opener open_;
  std::int64_t done_ = 0;     // frames of the track written
  std::size_t span_ = 0;      // the first span not yet over
  bool opened_ = false;       // whether spans_[span_]'s sound was opened
  std::unique_ptr<SoundPieces> sound_;
};

// Where a picture of `width` x `height` goes, scaled to fit a box of
// `boxWidth` x `boxHeight` keeping its aspect, centred.
struct FitBox {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
FitBox FitInside(int width, int height, int boxWidth, int boxHeight);

// `value` rounded up to an even number.
constexpr int EvenUp(int value) { return value + (value & 1); }

}  // namespace kvarbon
