// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

#include "app/core/bytes.h"
#include "sound/core/wav_image.h"

namespace kvarbon {

// A compressed WAV sound decoded to 16-bit signed little-endian PCM.
struct DecodedWav {
  WavSampleFormat format = WavSampleFormat::kSigned16;
  unsigned channels = 0;
  std::uint32_t sampleRate = 0;
  // The interleaved frames, whole frames only, never empty.
  Bytes samples;

  // The sound as a WavImage viewing `samples`: valid while they are neither
  // changed nor destroyed (moving the DecodedWav keeps them in place).
  WavImage View() const;
};

// Decodes a WAV image in IMA ADPCM, MS ADPCM, A-law or µ-law with SDL's WAV
// loader. Nullopt for any other encoding (PCM and float are played where they
// lie, see ParseWavImage), for a damaged header, and for a sound that yields
// no frame. The header is checked first, and SDL is handed a copy of the
// image rebuilt from its format chunk and the data bytes actually present, so
// that no size field a damaged file claims is believed. Needs no SDL
// subsystem to be started.
std::optional<DecodedWav> DecodeCompressedWav(ByteView image);

}  // namespace kvarbon
