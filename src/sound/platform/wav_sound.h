// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include "app/core/bytes.h"
#include "sound/core/wav_image.h"
#include "sound/platform/sdl_wav_decode.h"

namespace kvarbon {

// A WAV sound ready to be played or converted: the one loader of the sound
// output and the exporter. PCM and float sounds are read where they lie in the
// caller's bytes, never copied; IMA and MS ADPCM, A-law and µ-law ones are
// decoded once, to 16-bit PCM the sound owns. Either way Frames() describes
// the samples, and ReadFloatFrames (sound/core/pcm_sound.h) reads them as
// floats a piece at a time.
class WavSound {
 public:
  // Nullopt when `image` is no WAV encoding that can be played (see
  // ParseWavImage and DecodeCompressedWav). A sound read in place needs
  // `image`'s bytes alive and unchanged for its life.
  static std::optional<WavSound> Load(ByteView image);

  WavSound(const WavSound&) = delete;
  WavSound& operator=(const WavSound&) = delete;
  // Moving keeps Frames() valid: decoded samples stay where they are.
  WavSound(WavSound&&) noexcept = default;
  WavSound& operator=(WavSound&&) noexcept = default;

  const WavImage& Frames() const { return frames_; }
  // Whether the samples were decoded into memory of the sound's own.
  bool Decoded() const { return decoded_.has_value(); }

 private:
  explicit WavSound(const WavImage& inPlace) : frames_(inPlace) {}
  explicit WavSound(DecodedWav decoded);

  std::optional<DecodedWav> decoded_;
  WavImage frames_;
};

}  // namespace kvarbon
