// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "sound/core/wav_image.h"

namespace kvarbon {

// Frames [from, from + out.size() / channels) of `wav` as interleaved float
// samples in [-1, 1], whatever its PCM or float encoding; fewer at the end of
// the sound. Returns the frames written. Only those frames are read, so a long
// sound can be converted a piece at a time.
std::size_t ReadFloatFrames(const WavImage& wav, std::size_t from, std::span<float> out);

// A sound decoded to interleaved float samples in [-1, 1].
struct PcmSound {
  std::uint32_t sampleRate = 0;
  unsigned channels = 0;
  std::vector<float> samples;

  std::size_t FrameCount() const { return channels == 0 ? 0 : samples.size() / channels; }
};

// Every frame of a parsed WAV image as floats, at once.
PcmSound ToPcmSound(const WavImage& wav);

}  // namespace kvarbon
