// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "sound/core/pcm_sound.h"

namespace kvarbon {

// `sound` at `rate` samples per second on `channels` channels, interleaved.
// Sample 0 stays at time 0, so the sound starts exactly where it is placed.
std::vector<float> Resample(const PcmSound& sound, int rate, int channels);

}  // namespace kvarbon
