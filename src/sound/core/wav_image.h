// SPDX-License-Identifier: GPL-3.0-or-later
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

// The two chunks of a RIFF/WAVE image that make its sound, each body cut to
// the bytes present.
struct WavChunks {
  ByteView format;  // the "fmt " body
  ByteView data;    // the first "data" body
};

// Finds the "fmt " and first "data" chunks of a RIFF/WAVE image. Chunks are
// walked within `image` (odd sizes padded to even, unknown chunks skipped; the
// RIFF size is not trusted). Nullopt without the RIFF/WAVE signature, without
// either chunk, or with a second "fmt " before the data.
std::optional<WavChunks> FindWavChunks(ByteView image);

// The fields every "fmt " chunk starts with.
struct WavFormatFields {
  // The encoding: the format tag, or for WAVE_FORMAT_EXTENSIBLE the tag its
  // sub-format GUID stands for.
  std::uint16_t tag = 0;
  bool extensible = false;
  unsigned channels = 0;
  std::uint32_t sampleRate = 0;
  std::size_t blockAlign = 0;
  unsigned bits = 0;
  // With `extensible`: the valid bits per sample (a sample count per block
  // for block-coded encodings).
  unsigned validBits = 0;
};

inline constexpr std::uint16_t kWavFormatPcm = 0x0001;
inline constexpr std::uint16_t kWavFormatMsAdpcm = 0x0002;
inline constexpr std::uint16_t kWavFormatFloat = 0x0003;
inline constexpr std::uint16_t kWavFormatALaw = 0x0006;
inline constexpr std::uint16_t kWavFormatMuLaw = 0x0007;
inline constexpr std::uint16_t kWavFormatImaAdpcm = 0x0011;

// Reads the common fields of a "fmt " body. Nullopt when the body is shorter
// than they are, or is an extensible one whose extension is short or whose
// sub-format is not a plain format tag.
std::optional<WavFormatFields> ReadWavFormatFields(ByteView formatBody);

// Reads the header of a RIFF/WAVE image held in memory. Accepts PCM (unsigned
// 8-bit, signed 16/24/32-bit), IEEE float (32/64-bit) and WAVE_FORMAT_EXTENSIBLE
// wrapping either. Never reads outside `image`: chunks are walked within it
// (odd sizes padded to even, unknown chunks skipped), and a data chunk claiming
// more than is present is cut to what is present, rounded down to whole frames.
// Returns nullopt for anything else: no RIFF/WAVE signature, no "fmt " or
// "data" chunk, an unsupported encoding, or implausible header values. A valid
// image with no frames is returned with empty `samples`.
std::optional<WavImage> ParseWavImage(ByteView image);

// Where the sample frames of a RIFF/WAVE image lie, found from its first bytes
// alone, so that a long sound can be read a piece at a time.
struct WavSampleLayout {
  WavImage format;          // what ParseWavImage gives for the whole image, `samples` left empty
  std::size_t offset = 0;   // of the first frame in the image
  std::size_t frames = 0;   // whole frames, as ParseWavImage counts them in the whole image
};

// The layout of an image of `imageSize` bytes that begins with `head`, the same
// ParseWavImage finds in the whole image. Nullopt where ParseWavImage refuses
// `head`, or where `head` ends inside the "fmt " chunk or before the data
// begins: read the image whole then.
std::optional<WavSampleLayout> WavSampleLayoutFromHead(ByteView head, std::size_t imageSize);

}  // namespace kvarbon
