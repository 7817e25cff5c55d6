// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <vector>

#include "app/core/bytes.h"
#include "export/core/pcm_sound.h"

namespace kvarbon {

// Decodes one sound file of a show, held in memory: every WAV encoding the
// sound output plays (PCM, float, IMA and MS ADPCM, A-law, µ-law); nullopt for
// anything else.
std::optional<PcmSound> LoadSound(ByteView wavImage);

// `sound` at `rate` samples per second on `channels` channels, interleaved.
// Sample 0 stays at time 0, so the sound starts exactly where it is placed.
std::vector<float> Resample(const PcmSound& sound, int rate, int channels);

}  // namespace kvarbon
