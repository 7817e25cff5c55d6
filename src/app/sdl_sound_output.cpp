#include "app/sdl_sound_output.h"

#include <SDL.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/core/wav_image.h"

namespace kvarbon {
namespace {

// The device is always asked for 16-bit signed stereo at 44.1 kHz and SDL
// converts to whatever the hardware really takes, so every sound goes through
// one fixed conversion and the output format never depends on the machine.
constexpr int kDeviceRate = 44100;
constexpr SDL_AudioFormat kDeviceFormat = AUDIO_S16SYS;
constexpr Uint8 kDeviceChannels = 2;
constexpr Uint16 kDeviceBufferFrames = 1024;

// Source frames handed to the converter at a time on the audio thread.
constexpr std::size_t kFeedFrames = 1024;
// 24-bit samples are widened to 32 bits and 64-bit floats narrowed to 32 bits
// before conversion, as SDL takes neither; both become 4 bytes per sample.
constexpr std::size_t kWidenedSampleBytes = 4;
// The resampler holds back the last few hundred input frames until more input
// arrives (flushing drops them), so a resampled sound is followed by up to this
// many chunks of silence to push its tail out.
constexpr std::size_t kMaxTailChunks = 4;

struct StreamDeleter {
  void operator()(SDL_AudioStream* stream) const { SDL_FreeAudioStream(stream); }
};
using StreamPtr = std::unique_ptr<SDL_AudioStream, StreamDeleter>;

// The sample layout SDL is fed for a WAV sample format.
SDL_AudioFormat FeedFormat(WavSampleFormat format) {
  switch (format) {
    case WavSampleFormat::kUnsigned8:
      return AUDIO_U8;
    case WavSampleFormat::kSigned16:
      return AUDIO_S16LSB;
    case WavSampleFormat::kSigned24:
      return AUDIO_S32LSB;
    case WavSampleFormat::kSigned32:
      return AUDIO_S32LSB;
    case WavSampleFormat::kFloat32:
      return AUDIO_F32LSB;
    case WavSampleFormat::kFloat64:
      return AUDIO_F32LSB;
  }
  return AUDIO_S16LSB;
}

bool NeedsWidening(WavSampleFormat format) {
  return format == WavSampleFormat::kSigned24 || format == WavSampleFormat::kFloat64;
}

// 24-bit little-endian samples to 32-bit little-endian ones (low byte zero).
void WidenSigned24(ByteView in, std::byte* out) {
  for (std::size_t i = 0; i + 3 <= in.size(); i += 3) {
    *out++ = std::byte{0};
    *out++ = in[i];
    *out++ = in[i + 1];
    *out++ = in[i + 2];
  }
}

// 64-bit little-endian floats to 32-bit little-endian ones.
void NarrowFloat64(ByteView in, std::byte* out) {
  for (std::size_t i = 0; i + 8 <= in.size(); i += 8) {
    std::uint64_t bits = 0;
    for (std::size_t b = 0; b < 8; ++b) bits |= std::to_integer<std::uint64_t>(in[i + b]) << (8 * b);
    const auto narrow = std::bit_cast<std::uint32_t>(static_cast<float>(std::bit_cast<double>(bits)));
    for (std::size_t b = 0; b < 4; ++b) *out++ = static_cast<std::byte>((narrow >> (8 * b)) & 0xFFU);
  }
}

// One sound being played: its frames (in the caller's bytes) and the converter
// to the device format, filled a little at a time on the audio thread.
struct Voice {
  WavImage wav;
  StreamPtr stream;
  std::size_t nextFrame = 0;     // first source frame not yet handed over
  std::size_t tailChunks = 0;    // silent chunks handed over after the last frame
  std::size_t deviceFrames = 0;  // the sound's length at the device rate
  std::size_t playedFrames = 0;  // device frames written so far
  bool flushed = false;
  bool finished = false;
};

}  // namespace

struct SdlSoundOutput::Impl {
  bool subsystemUp = false;
  SDL_AudioDeviceID device = 0;
  SDL_AudioSpec spec{};
  // Touched by the audio callback; replaced on the GUI thread only while the
  // device is locked.
  std::unique_ptr<Voice> voice;
  // Conversion space for widened samples; used on the audio thread only.
  std::vector<std::byte> scratch =
      std::vector<std::byte>(kFeedFrames * kMaxWavChannels * kWidenedSampleBytes);

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
    std::fprintf(stderr, "kvarbon: no audio device (%s); sounds are silent\n", SDL_GetError());
  }

  static void SDLCALL Callback(void* userdata, Uint8* out, int len) {
    static_cast<Impl*>(userdata)->Fill(out, len);
  }

  // Swaps in `next` (possibly none) and returns the voice it replaced, so that
  // the old one is freed outside the lock.
  std::unique_ptr<Voice> Replace(std::unique_ptr<Voice> next) {
    SDL_LockAudioDevice(device);
    std::swap(voice, next);
    SDL_UnlockAudioDevice(device);
    return next;
  }

  // Hands the converter the next few source frames, then silence, then a
  // flush. Returns false once nothing more can come out.
  bool Feed(Voice& v) {
    const std::size_t frames = v.wav.FrameCount();
    const bool resampled = v.wav.sampleRate != static_cast<std::uint32_t>(spec.freq);
    if (v.nextFrame < frames) {
      const std::size_t count = std::min(kFeedFrames, frames - v.nextFrame);
      const ByteView chunk = v.wav.samples.subspan(v.nextFrame * v.wav.blockAlign, count * v.wav.blockAlign);
      v.nextFrame += count;
      const std::byte* feed = chunk.data();
      std::size_t feedBytes = chunk.size();
      if (NeedsWidening(v.wav.format)) {
        if (v.wav.format == WavSampleFormat::kSigned24) {
          WidenSigned24(chunk, scratch.data());
        } else {
          NarrowFloat64(chunk, scratch.data());
        }
        feed = scratch.data();
        feedBytes = count * v.wav.channels * kWidenedSampleBytes;
      }
      return SDL_AudioStreamPut(v.stream.get(), feed, static_cast<int>(feedBytes)) == 0;
    }
    if (resampled && v.tailChunks < kMaxTailChunks) {
      ++v.tailChunks;
      const std::size_t sampleBytes =
          NeedsWidening(v.wav.format) ? kWidenedSampleBytes : BytesPerSample(v.wav.format);
      const std::size_t feedBytes = kFeedFrames * v.wav.channels * sampleBytes;
      const std::byte silence = v.wav.format == WavSampleFormat::kUnsigned8 ? std::byte{0x80} : std::byte{0};
      std::fill_n(scratch.begin(), feedBytes, silence);
      return SDL_AudioStreamPut(v.stream.get(), scratch.data(), static_cast<int>(feedBytes)) == 0;
    }
    if (!v.flushed) {
      v.flushed = true;
      return SDL_AudioStreamFlush(v.stream.get()) == 0;
    }
    return false;
  }

  // Audio thread, device locked: converted frames of the current voice, up to
  // its length at the device rate, then silence.
  void Fill(Uint8* out, int len) {
    const std::size_t frameBytes = SDL_AUDIO_BITSIZE(spec.format) / 8U * spec.channels;
    std::size_t written = 0;
    const auto wanted = static_cast<std::size_t>(len);
    if (voice && !voice->finished) {
      Voice& v = *voice;
      while (written < wanted) {
        const std::size_t ask = std::min(wanted - written, (v.deviceFrames - v.playedFrames) * frameBytes);
        if (ask == 0) {
          v.finished = true;
          break;
        }
        const int got = SDL_AudioStreamGet(v.stream.get(), out + written, static_cast<int>(ask));
        if (got < 0) {
          v.finished = true;
          break;
        }
        written += static_cast<std::size_t>(got);
        v.playedFrames += static_cast<std::size_t>(got) / frameBytes;
        if (static_cast<std::size_t>(got) < ask && !Feed(v)) {
          v.finished = true;
          break;
        }
      }
    }
    if (written < wanted) std::memset(out + written, spec.silence, wanted - written);
  }

  // GUI thread: a voice for `image`, or none if it cannot be played.
  std::unique_ptr<Voice> MakeVoice(ByteView image) const {
    std::optional<WavImage> wav = ParseWavImage(image);
    if (!wav || wav->FrameCount() == 0) return nullptr;
    const SDL_AudioFormat from = FeedFormat(wav->format);
    StreamPtr stream(SDL_NewAudioStream(from, static_cast<Uint8>(wav->channels),
                                        static_cast<int>(wav->sampleRate), spec.format, spec.channels,
                                        spec.freq));
    if (!stream) return nullptr;
    auto made = std::make_unique<Voice>();
    made->wav = *wav;
    made->stream = std::move(stream);
    made->deviceFrames = static_cast<std::size_t>(static_cast<std::uint64_t>(wav->FrameCount()) *
                                                  static_cast<std::uint64_t>(spec.freq) / wav->sampleRate);
    return made;
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
  std::unique_ptr<Voice> next = impl_->MakeVoice(image);
  // The replaced voice is freed here, after the lock is released.
  const std::unique_ptr<Voice> replaced = impl_->Replace(std::move(next));
}

}  // namespace kvarbon
