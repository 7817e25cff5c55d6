// SPDX-License-Identifier: GPL-3.0-or-later
// The sound path: arbitrary bytes handed to the sound output as a WAV image.
// Parses the image (or, when it is not PCM or float, decodes it as the output
// does), then plays it to the end through the same voice the audio callback
// runs, into device formats the hardware may really have.
#include <SDL.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/core/wav_image.h"
#include "app/platform/sdl_voice.h"
#include "app/platform/sdl_wav_decode.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteView image(reinterpret_cast<const std::byte*>(data), size);
  const std::optional<kvarbon::WavImage> wav = kvarbon::ParseWavImage(image);
  if (!wav) {
    Check(!kvarbon::SdlVoice::Make(image, kDevices[0]));
    const std::optional<kvarbon::DecodedWav> decoded = kvarbon::DecodeCompressedWav(image);
    if (!decoded) return 0;
    // Whole frames, and no more than four samples of 16 bits for each byte
    // (the densest encoding, 4-bit ADPCM, with its block headers).
    Check(decoded->channels >= 1 && decoded->channels <= kvarbon::kMaxWavChannels);
    Check(!decoded->samples.empty() && decoded->samples.size() % (2 * decoded->channels) == 0);
    Check(decoded->samples.size() <= 4 * size);
    const kvarbon::WavImage view = decoded->View();
    PlayToTheEnd(view, kDevices[0]);
    PlayToTheEnd(view, kDevices[1 + size % (kDevices.size() - 1)]);
    return 0;
  }
  // The samples are whole frames within the bytes handed over.
  Check(wav->blockAlign == wav->channels * kvarbon::BytesPerSample(wav->format));
  Check(wav->samples.size() % wav->blockAlign == 0);
  Check(wav->samples.empty() || (wav->samples.data() >= image.data() &&
                                 wav->samples.data() + wav->samples.size() <= image.data() + size));

  PlayToTheEnd(*wav, kDevices[0]);
  // One other device format per input, so each input stays quick.
  PlayToTheEnd(*wav, kDevices[1 + size % (kDevices.size() - 1)]);
  return 0;
}
