// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

#include "app/core/bytes.h"

namespace kvarbon::bench {

void Put(Bytes& out, std::string_view text);
void PutLe(Bytes& out, std::uint32_t value, int size);

// A photo-like 1280 x 720 JPEG slide: gradients, moving bands and grain, so
// the decoders and encoders have real work.
Bytes Slide(int frame, std::mt19937& random);

// 0.7 s of smoothed noise at 44.1 kHz, mono samples in [-1, 1].
std::vector<float> SoundSamples(unsigned seed);

// `samples` as a 16-bit stereo WAV at 44.1 kHz.
Bytes Wav(const std::vector<float>& samples);

}  // namespace kvarbon::bench
