#pragma once

#include <memory>

#include "app/core/sound_output.h"

namespace kvarbon {

// SoundOutput on SDL2's audio subsystem. Opens the default output device once;
// without a device (no sound card) it stays silent after one line on stderr.
// Play never blocks for the length of a sound and never reads beyond the bytes
// it is handed, whatever the image's header claims.
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
