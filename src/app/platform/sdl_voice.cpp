// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/platform/sdl_voice.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <optional>

namespace kvarbon {
namespace {

// Source frames handed to the converter at a time.
constexpr std::size_t kFeedFrames = 1024;
// 24-bit samples are widened to 32 bits and 64-bit floats narrowed to 32 bits
// before conversion, as SDL takes neither; both become 4 bytes per sample.
constexpr std::size_t kWidenedSampleBytes = 4;
// The resampler holds back the last few hundred input frames until more input
// arrives (flushing drops them), so a resampled sound is followed by up to this
// many chunks of silence to push its tail out.
constexpr std::size_t kMaxTailChunks = 4;

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

}  // namespace

std::unique_ptr<SdlVoice> SdlVoice::Make(ByteView image, const SDL_AudioSpec& device) {
  const std::optional<WavImage> wav = ParseWavImage(image);
  return wav ? Make(*wav, device) : nullptr;
}

std::unique_ptr<SdlVoice> SdlVoice::Make(const WavImage& wav, const SDL_AudioSpec& device) {
  if (wav.FrameCount() == 0) return nullptr;
  if (device.freq <= 0 || device.channels == 0 || SDL_AUDIO_BITSIZE(device.format) < 8) return nullptr;
  SDL_AudioStream* stream =
      SDL_NewAudioStream(FeedFormat(wav.format), static_cast<Uint8>(wav.channels),
                         static_cast<int>(wav.sampleRate), device.format, device.channels, device.freq);
  if (stream == nullptr) return nullptr;
  return std::unique_ptr<SdlVoice>(new SdlVoice(wav, stream, device));
}

SdlVoice::SdlVoice(const WavImage& wav, SDL_AudioStream* stream, const SDL_AudioSpec& device)
    : wav_(wav),
      stream_(stream),
      deviceFrameBytes_(SDL_AUDIO_BITSIZE(device.format) / 8U * device.channels),
      resampled_(wav.sampleRate != static_cast<std::uint32_t>(device.freq)),
      deviceFrames_(static_cast<std::size_t>(static_cast<std::uint64_t>(wav.FrameCount()) *
                                             static_cast<std::uint64_t>(device.freq) / wav.sampleRate)),
      scratch_(kFeedFrames * kMaxWavChannels * kWidenedSampleBytes) {}

SdlVoice::~SdlVoice() = default;

bool SdlVoice::Feed() {
  const std::size_t frames = wav_.FrameCount();
  if (nextFrame_ < frames) {
    const std::size_t count = std::min(kFeedFrames, frames - nextFrame_);
    const ByteView chunk = wav_.samples.subspan(nextFrame_ * wav_.blockAlign, count * wav_.blockAlign);
    nextFrame_ += count;
    const std::byte* feed = chunk.data();
    std::size_t feedBytes = chunk.size();
    if (NeedsWidening(wav_.format)) {
      if (wav_.format == WavSampleFormat::kSigned24) {
        WidenSigned24(chunk, scratch_.data());
      } else {
        NarrowFloat64(chunk, scratch_.data());
      }
      feed = scratch_.data();
      feedBytes = count * wav_.channels * kWidenedSampleBytes;
    }
    return SDL_AudioStreamPut(stream_.get(), feed, static_cast<int>(feedBytes)) == 0;
  }
  if (resampled_ && tailChunks_ < kMaxTailChunks) {
    ++tailChunks_;
    const std::size_t sampleBytes =
        NeedsWidening(wav_.format) ? kWidenedSampleBytes : BytesPerSample(wav_.format);
    const std::size_t feedBytes = kFeedFrames * wav_.channels * sampleBytes;
    const std::byte silence = wav_.format == WavSampleFormat::kUnsigned8 ? std::byte{0x80} : std::byte{0};
    std::fill_n(scratch_.begin(), feedBytes, silence);
    return SDL_AudioStreamPut(stream_.get(), scratch_.data(), static_cast<int>(feedBytes)) == 0;
  }
  if (!flushed_) {
    flushed_ = true;
    return SDL_AudioStreamFlush(stream_.get()) == 0;
  }
  return false;
}

std::size_t SdlVoice::Fill(Uint8* out, std::size_t len) {
  // SDL counts bytes in an int.
  const std::size_t most = INT_MAX / deviceFrameBytes_ * deviceFrameBytes_;
  std::size_t written = 0;
  while (!finished_ && written < len) {
    const std::size_t ask =
        std::min({len - written, (deviceFrames_ - playedFrames_) * deviceFrameBytes_, most});
    if (ask == 0) {
      finished_ = true;
      break;
    }
    const int got = SDL_AudioStreamGet(stream_.get(), out + written, static_cast<int>(ask));
    if (got < 0) {
      finished_ = true;
      break;
    }
    written += static_cast<std::size_t>(got);
    playedFrames_ += static_cast<std::size_t>(got) / deviceFrameBytes_;
    if (static_cast<std::size_t>(got) < ask && !Feed()) finished_ = true;
  }
  return written;
}

}  // namespace kvarbon
