// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <SDL.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "app/core/bytes.h"
#include "sound/core/wav_image.h"

namespace kvarbon {

struct SdlStreamDeleter {
  void operator()(SDL_AudioStream* stream) const { SDL_FreeAudioStream(stream); }
};

// One sound being played: its frames, read where they lie in the caller's
// bytes, and SDL's converter to the device format, fed a little at a time.
// Needs no open device, only the device's format.
class SdlVoice {
 public:
  // A voice for the WAV image `image` converted to `device`'s format, rate and
  // channels; null when the image is not playable or holds no frames. The bytes
  // must stay alive and unchanged for the voice's life.
  static std::unique_ptr<SdlVoice> Make(ByteView image, const SDL_AudioSpec& device);
  // The same for a sound already described: its samples must stay alive and
  // unchanged for the voice's life.
  static std::unique_ptr<SdlVoice> Make(const WavImage& wav, const SDL_AudioSpec& device);

  SdlVoice(const SdlVoice&) = delete;
  SdlVoice& operator=(const SdlVoice&) = delete;
  ~SdlVoice();

  // Writes the next converted device frames into `out`, at most `len` bytes
  // (whole device frames), and returns how many bytes it wrote; fewer than
  // `len` only once the sound has ended. Never reads outside the image.
  std::size_t Fill(Uint8* out, std::size_t len);

  bool Finished() const { return finished_; }

 private:
  SdlVoice(const WavImage& wav, SDL_AudioStream* stream, const SDL_AudioSpec& device);
  // Hands the converter the next source frames, then silence, then a flush.
  // Returns false once nothing more can come out.
  bool Feed();

  WavImage wav_;
  std::unique_ptr<SDL_AudioStream, SdlStreamDeleter> stream_;
  std::size_t deviceFrameBytes_;
  bool resampled_;
  std::size_t nextFrame_ = 0;     // first source frame not yet handed over
  std::size_t tailChunks_ = 0;    // silent chunks handed over after the last frame
  std::size_t deviceFrames_ = 0;  // the sound's length at the device rate
  std::size_t playedFrames_ = 0;  // device frames written so far
  bool flushed_ = false;
  bool finished_ = false;
  // Conversion space for widened samples and the silent tail.
  std::vector<std::byte> scratch_;
};

}  // namespace kvarbon
