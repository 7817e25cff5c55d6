#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "app/core/bytes.h"

namespace kvarbon {

// Sample encodings a WAV image can carry that the sound output plays.
// All multi-byte samples are little-endian.
enum class WavSampleFormat {
  kUnsigned8,
  kSigned16,
  kSigned24,
  kSigned32,
  kFloat32,
  kFloat64,
};

// Bytes one sample of `format` occupies.
std::size_t BytesPerSample(WavSampleFormat format);

// The playable description of a WAV file image.
struct WavImage {
  WavSampleFormat format = WavSampleFormat::kSigned16;
  unsigned channels = 0;
  std::uint32_t sampleRate = 0;
  // Bytes per frame (one sample of every channel).
  std::size_t blockAlign = 0;
  // The interleaved sample frames, whole frames only. A view into the parsed
  // bytes, never a copy.
  ByteView samples;

  std::size_t FrameCount() const { return blockAlign == 0 ? 0 : samples.size() / blockAlign; }
};

// The most channels and the range of sample rates accepted; anything outside
// is taken for a damaged header.
inline constexpr unsigned kMaxWavChannels = 8;
inline constexpr std::uint32_t kMinWavSampleRate = 1000;
inline constexpr std::uint32_t kMaxWavSampleRate = 768000;

// Reads the header of a RIFF/WAVE image held in memory. Accepts PCM (unsigned
// 8-bit, signed 16/24/32-bit), IEEE float (32/64-bit) and WAVE_FORMAT_EXTENSIBLE
// wrapping either. Never reads outside `image`: chunks are walked within it
// (odd sizes padded to even, unknown chunks skipped), and a data chunk claiming
// more than is present is cut to what is present, rounded down to whole frames.
// Returns nullopt for anything else: no RIFF/WAVE signature, no "fmt " or
// "data" chunk, an unsupported encoding, or implausible header values. A valid
// image with no frames is returned with empty `samples`.
std::optional<WavImage> ParseWavImage(ByteView image);

}  // namespace kvarbon
