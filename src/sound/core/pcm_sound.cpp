// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/core/pcm_sound.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kvarbon {
namespace {

std::uint32_t Byte(const std::byte* at, int index) { return std::to_integer<std::uint32_t>(at[index]); }

// The little-endian integer of `bytes` bytes at `at`, placed in the top bits of
// a signed 32-bit value, so every width scales alike.
std::int32_t TopAligned(const std::byte* at, std::size_t bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < bytes; ++i) value |= Byte(at, static_cast<int>(i)) << (8 * (4 - bytes + i));
  return static_cast<std::int32_t>(value);
}

float Sample(WavSampleFormat format, const std::byte* at) {
  constexpr float kFullScale = 2147483648.0f;
  switch (format) {
    case WavSampleFormat::kUnsigned8:
      return (static_cast<float>(Byte(at, 0)) - 128.0f) / 128.0f;
    case WavSampleFormat::kSigned16:
      return static_cast<float>(TopAligned(at, 2)) / kFullScale;
    case WavSampleFormat::kSigned24:
      return static_cast<float>(TopAligned(at, 3)) / kFullScale;
    case WavSampleFormat::kSigned32:
      return static_cast<float>(TopAligned(at, 4)) / kFullScale;
    case WavSampleFormat::kFloat32:
      return std::bit_cast<float>(static_cast<std::uint32_t>(TopAligned(at, 4)));
    case WavSampleFormat::kFloat64: {
      std::uint64_t bits = 0;
      for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(Byte(at, i)) << (8 * i);
      return static_cast<float>(std::bit_cast<double>(bits));
    }
  }
  return 0.0f;
}

}  // namespace

std::size_t ReadFloatFrames(const WavImage& wav, std::size_t from, std::span<float> out) {
  if (wav.channels == 0 || from >= wav.FrameCount()) return 0;
  const std::size_t frames = std::min(out.size() / wav.channels, wav.FrameCount() - from);
  const std::size_t width = BytesPerSample(wav.format);
  auto to = out.begin();
  for (std::size_t frame = from; frame < from + frames; ++frame) {
    const std::byte* at = wav.samples.data() + frame * wav.blockAlign;
    for (unsigned channel = 0; channel < wav.channels; ++channel) *to++ = Sample(wav.format, at + channel * width);
  }
  return frames;
}

PcmSound ToPcmSound(const WavImage& wav) {
  PcmSound sound;
  sound.sampleRate = wav.sampleRate;
  sound.channels = wav.channels;
  sound.samples.resize(wav.FrameCount() * wav.channels);
  ReadFloatFrames(wav, 0, sound.samples);
  return sound;
}

}  // namespace kvarbon
