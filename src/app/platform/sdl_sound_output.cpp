// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/platform/sdl_sound_output.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "app/platform/sdl_voice.h"
#include "sound/platform/wav_sound.h"

namespace kvarbon {
namespace {

// The device is always asked for 16-bit signed stereo at 44.1 kHz and SDL
// converts to whatever the hardware really takes, so every sound goes through
// one fixed conversion and the output format never depends on the machine.
constexpr int kDeviceRate = 44100;
constexpr SDL_AudioFormat kDeviceFormat = AUDIO_S16SYS;
constexpr Uint8 kDeviceChannels = 2;
constexpr Uint16 kDeviceBufferFrames = 1024;

}  // namespace

struct SdlSoundOutput::Impl {
  bool subsystemUp = false;
  SDL_AudioDeviceID device = 0;
  SDL_AudioSpec spec{};
  // Compressed sounds decoded so far, by the address and size of their image;
  // empty for one that could not be loaded, so it is not tried again. Never
  // shrinks while the device is open: the voice may be reading an entry.
  std::map<std::pair<const std::byte*, std::size_t>, std::optional<WavSound>> decoded;
  // Touched by the audio callback; replaced on the GUI thread only while the
  // device is locked.
  std::unique_ptr<SdlVoice> voice;

  Impl() {
    // SDL would otherwise turn SIGINT and SIGTERM into events nobody reads,
    // and the process could no longer be interrupted or terminated.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      ReportNoDevice();
      return;
    }
    subsystemUp = true;
    SDL_AudioSpec wanted{};
    wanted.freq = kDeviceRate;
    wanted.format = kDeviceFormat;
    wanted.channels = kDeviceChannels;
    wanted.samples = kDeviceBufferFrames;
    wanted.callback = &Impl::Callback;
    wanted.userdata = this;
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &spec, 0);
    if (device == 0) {
      ReportNoDevice();
      return;
    }
    SDL_PauseAudioDevice(device, 0);
  }

  ~Impl() {
    // Closing stops the callback thread, so nothing reads the voice afterwards.
    if (device != 0) SDL_CloseAudioDevice(device);
    voice.reset();
    if (subsystemUp) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  static void ReportNoDevice() {
    std::fprintf(stderr, "kvarbon: нет звукового устройства (%s); звуки не будут слышны\n", SDL_GetError());
  }

  static void SDLCALL Callback(void* userdata, Uint8* out, int len) {
    static_cast<Impl*>(userdata)->Fill(out, len);
  }

  // A voice for `image`: PCM and float where it lies, the other encodings
  // from their samples decoded on the first play. Null when it cannot be played.
  std::unique_ptr<SdlVoice> VoiceFor(ByteView image) {
    const auto key = std::make_pair(image.data(), image.size());
    auto found = decoded.find(key);
    if (found == decoded.end()) {
      std::optional<WavSound> sound = WavSound::Load(image);
      if (sound && !sound->Decoded()) return SdlVoice::Make(sound->Frames(), spec);
      found = decoded.emplace(key, std::move(sound)).first;
    }
    return found->second ? SdlVoice::Make(found->second->Frames(), spec) : nullptr;
  }

  // Swaps in `next` (possibly none) and returns the voice it replaced, so that
  // the old one is freed outside the lock.
  std::unique_ptr<SdlVoice> Replace(std::unique_ptr<SdlVoice> next) {
    SDL_LockAudioDevice(device);
    std::swap(voice, next);
    SDL_UnlockAudioDevice(device);
    return next;
  }

  // Audio thread, device locked: converted frames of the current voice, up to
  // its length at the device rate, then silence.
  void Fill(Uint8* out, int len) {
    const auto wanted = static_cast<std::size_t>(len);
    const std::size_t written = voice ? voice->Fill(out, wanted) : 0;
    if (written < wanted) std::memset(out + written, spec.silence, wanted - written);
  }
};

SdlSoundOutput::SdlSoundOutput() : impl_(std::make_unique<Impl>()) {}

SdlSoundOutput::~SdlSoundOutput() = default;

bool SdlSoundOutput::HasDevice() const { return impl_->device != 0; }

// A new sound always ends the one playing, even when the new one cannot be
// played: the call stands for "this sound now", so the old one does not
// linger under it.
void SdlSoundOutput::Play(ByteView image) {
  if (impl_->device == 0) return;
  std::unique_ptr<SdlVoice> next = impl_->VoiceFor(image);
  // The replaced voice is freed here, after the lock is released.
  const std::unique_ptr<SdlVoice> replaced = impl_->Replace(std::move(next));
}

}  // namespace kvarbon
