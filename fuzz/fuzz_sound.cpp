// SPDX-License-Identifier: GPL-3.0-or-later
// The sound path: arbitrary bytes handed to the sound output as a WAV image.
// Parses the image (or, when it is not PCM or float, decodes it as the output
// does), then plays it to the end through the same voice the audio callback
// runs, into device formats the hardware may really have. The loader the
// exporter uses reads the same sound as floats a piece at a time.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/platform/sdl_voice.h"
#include "sound/core/pcm_sound.h"
#include "sound/core/wav_image.h"
#include "sound/platform/wav_sound.h"

namespace {

using kvarbon::ByteView;

SDL_AudioSpec Device(int freq, SDL_AudioFormat format, Uint8 channels) {
  SDL_AudioSpec spec{};
  spec.freq = freq;
  spec.format = format;
  spec.channels = channels;
  return spec;
}

// The format the output asks for, then formats SDL may hand back instead.
const std::array<SDL_AudioSpec, 4> kDevices = {
    Device(44100, AUDIO_S16SYS, 2),
    Device(48000, AUDIO_F32SYS, 2),
    Device(22050, AUDIO_U8, 1),
    Device(96000, AUDIO_S32SYS, 6),
};

void Check(bool condition) {
  if (!condition) std::abort();
}

void PlayToTheEnd(const kvarbon::WavImage& wav, const SDL_AudioSpec& device) {
  const std::unique_ptr<kvarbon::SdlVoice> voice = kvarbon::SdlVoice::Make(wav, device);
  if (!voice) return;
  const std::size_t frameBytes = SDL_AUDIO_BITSIZE(device.format) / 8U * device.channels;
  // The callback's buffer: 1024 device frames, as the output opens the device.
  std::vector<Uint8> buffer(1024 * frameBytes);
  const std::uint64_t deviceFrames =
      static_cast<std::uint64_t>(wav.FrameCount()) * static_cast<std::uint64_t>(device.freq) / wav.sampleRate;
  // Every call but the last fills its buffer, so a sound ends within this many.
  const std::uint64_t mostCalls = deviceFrames / 1024 + 2;
  std::uint64_t written = 0;
  for (std::uint64_t call = 0; !voice->Finished(); ++call) {
    Check(call < mostCalls);  // a voice that never ends would hold the sound forever
    const std::size_t got = voice->Fill(buffer.data(), buffer.size());
    Check(got <= buffer.size() && got % frameBytes == 0);
    Check(got == buffer.size() || voice->Finished());
    written += got;
  }
  Check(written <= deviceFrames * frameBytes);
}

// Reads every frame as floats in pieces of an odd size: each piece but the
// last is whole, and together they are the sound's length.
void ReadInPieces(const kvarbon::WavImage& wav) {
  std::vector<float> piece(333 * wav.channels);
  std::size_t frames = 0;
  for (std::size_t got = 1; got != 0; frames += got) {
    got = kvarbon::ReadFloatFrames(wav, frames, piece);
    Check(got == std::min<std::size_t>(333, wav.FrameCount() - frames));
  }
  Check(frames == wav.FrameCount());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteView image(reinterpret_cast<const std::byte*>(data), size);
  const std::optional<kvarbon::WavSound> sound = kvarbon::WavSound::Load(image);
  const std::optional<kvarbon::WavImage> wav = kvarbon::ParseWavImage(image);
  if (!wav) {
    Check(!kvarbon::SdlVoice::Make(image, kDevices[0]));
    if (!sound) return 0;
    // Decoded: whole 16-bit frames, and no more than four samples for each
    // byte (the densest encoding, 4-bit ADPCM, with its block headers).
    Check(sound->Decoded());
    const kvarbon::WavImage& decoded = sound->Frames();
    Check(decoded.format == kvarbon::WavSampleFormat::kSigned16);
    Check(decoded.channels >= 1 && decoded.channels <= kvarbon::kMaxWavChannels);
    Check(!decoded.samples.empty() && decoded.samples.size() % (2 * decoded.channels) == 0);
    Check(decoded.samples.size() <= 4 * size);
    ReadInPieces(decoded);
    PlayToTheEnd(decoded, kDevices[0]);
    PlayToTheEnd(decoded, kDevices[1 + size % (kDevices.size() - 1)]);
    return 0;
  }
  // PCM and float: read in place, whole frames within the bytes handed over.
  Check(sound && !sound->Decoded() && sound->Frames().samples.data() == wav->samples.data());
  Check(wav->blockAlign == wav->channels * kvarbon::BytesPerSample(wav->format));
  Check(wav->samples.size() % wav->blockAlign == 0);
  Check(wav->samples.empty() || (wav->samples.data() >= image.data() &&
                                 wav->samples.data() + wav->samples.size() <= image.data() + size));
  ReadInPieces(*wav);

  PlayToTheEnd(*wav, kDevices[0]);
  // One other device format per input, so each input stays quick.
  PlayToTheEnd(*wav, kDevices[1 + size % (kDevices.size() - 1)]);
  return 0;
}
