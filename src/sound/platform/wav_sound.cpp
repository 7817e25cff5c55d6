// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/platform/wav_sound.h"

#include <utility>

namespace kvarbon {

WavSound::WavSound(DecodedWav decoded) : decoded_(std::move(decoded)), frames_(decoded_->View()) {}

std::optional<WavSound> WavSound::Load(ByteView image) {
  if (const std::optional<WavImage> inPlace = ParseWavImage(image)) return WavSound(*inPlace);
  if (std::optional<DecodedWav> decoded = DecodeCompressedWav(image)) return WavSound(std::move(*decoded));
  return std::nullopt;
}

}  // namespace kvarbon
