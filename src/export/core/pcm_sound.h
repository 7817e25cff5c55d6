// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/core/wav_image.h"

namespace kvarbon {

// A sound decoded to interleaved float samples in [-1, 1].
struct PcmSound {
  std::uint32_t sampleRate = 0;
  unsigned channels = 0;
  std::vector<float> samples;

  std::size_t FrameCount() const { return channels == 0 ? 0 : samples.size() / channels; }
};

// The samples of a parsed WAV image, whatever its PCM or float encoding.
PcmSound ToPcmSound(const WavImage& wav);

}  // namespace kvarbon
