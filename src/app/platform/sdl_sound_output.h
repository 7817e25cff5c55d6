// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "app/core/sound_output.h"

namespace kvarbon {

// SoundOutput on SDL2's audio subsystem. Opens the default output device once;
// without a device (no sound card) it stays silent after one line on stderr.
// Play never blocks for the length of a sound and never reads beyond the bytes
// it is handed, whatever the image's header claims.
//
// PCM and float sounds start at once, played where they lie. IMA ADPCM, MS
// ADPCM, A-law and µ-law ones are decoded on their first play and the result
// kept for the output's life, found again by the address and size of the
// image: different bytes must not be handed over later at the same address
// with the same size (SoundBank elements never are).
class SdlSoundOutput final : public SoundOutput {
 public:
  SdlSoundOutput();
  ~SdlSoundOutput() override;
  SdlSoundOutput(const SdlSoundOutput&) = delete;
  SdlSoundOutput& operator=(const SdlSoundOutput&) = delete;

  void Play(ByteView image) override;

  // Whether an audio device could be opened.
  bool HasDevice() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kvarbon
