// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/platform/sdl_wav_decode.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <memory>
#include <string_view>
#include <utility>

namespace kvarbon {
namespace {

struct WavBufferDeleter {
  void operator()(Uint8* buffer) const { SDL_FreeWAV(buffer); }
};

constexpr std::size_t kDecodedSampleBytes = 2;
// The rebuilt image's headers: RIFF, fmt and data, each with its size, and two
// pad bytes at most.
constexpr std::size_t kRebuiltHeaderSize = 12 + 8 + 8 + 2;
// MS ADPCM's format chunk: the common fields, cbSize, samples per block, the
// coefficient count and at least the seven standard coefficient pairs.
constexpr std::size_t kMsAdpcmFormatSize = 16 + 2 + 2 + 2 + 7 * 4;

bool IsLaw(std::uint16_t tag) { return tag == kWavFormatALaw || tag == kWavFormatMuLaw; }

// What can be checked of the header without decoding; SDL checks the rest
// (samples per block, coefficients) and bounds its own reads.
bool Plausible(const WavFormatFields& f, std::size_t formatSize) {
  if (f.channels == 0 || f.channels > kMaxWavChannels) return false;
  if (f.sampleRate < kMinWavSampleRate || f.sampleRate > kMaxWavSampleRate) return false;
  if (IsLaw(f.tag)) return f.bits == 8 && f.blockAlign == f.channels;
  if (f.tag == kWavFormatImaAdpcm) {
    return f.bits == 4 && f.blockAlign >= 4U * f.channels && f.blockAlign % 4 == 0;
  }
  if (f.tag == kWavFormatMsAdpcm) {
    return !f.extensible && f.channels <= 2 && f.bits == 4 && f.blockAlign >= 7U * f.channels &&
           formatSize >= kMsAdpcmFormatSize;
  }
  return false;
}

void PutId(Bytes& out, std::string_view id) {
  const ByteView bytes = AsBytes(id);
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void PutU32(Bytes& out, std::size_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFFU));
}

void PutChunk(Bytes& out, std::string_view id, ByteView body) {
  PutId(out, id);
  PutU32(out, body.size());
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2 != 0) out.push_back(std::byte{0});
}

// A RIFF/WAVE image of exactly the two chunks, every size field true.
Bytes RebuiltImage(const WavChunks& chunks) {
  Bytes image;
  image.reserve(chunks.format.size() + chunks.data.size() + kRebuiltHeaderSize);
  PutId(image, "RIFF");
  PutU32(image, 0);  // set below
  PutId(image, "WAVE");
  PutChunk(image, "fmt ", chunks.format);
  PutChunk(image, "data", chunks.data);
  Bytes size;
  PutU32(size, image.size() - 8);
  std::copy(size.begin(), size.end(), image.begin() + 4);
  return image;
}

}  // namespace

WavImage DecodedWav::View() const {
  WavImage image;
  image.format = format;
  image.channels = channels;
  image.sampleRate = sampleRate;
  image.blockAlign = channels * kDecodedSampleBytes;
  image.samples = samples;
  return image;
}

std::optional<DecodedWav> DecodeCompressedWav(ByteView image) {
  const std::optional<WavChunks> chunks = FindWavChunks(image);
  if (!chunks || chunks->data.empty()) return std::nullopt;
  const std::optional<WavFormatFields> fields = ReadWavFormatFields(chunks->format);
  if (!fields || !Plausible(*fields, chunks->format.size())) return std::nullopt;

  // SDL counts the image's bytes in an int.
  if (chunks->format.size() + chunks->data.size() > static_cast<std::size_t>(INT_MAX) - kRebuiltHeaderSize) {
    return std::nullopt;
  }
  const Bytes rebuilt = RebuiltImage(*chunks);
  SDL_RWops* source = SDL_RWFromConstMem(rebuilt.data(), static_cast<int>(rebuilt.size()));
  if (source == nullptr) return std::nullopt;
  SDL_AudioSpec spec{};
  Uint8* buffer = nullptr;
  Uint32 length = 0;
  // Closes `source` whatever the outcome.
  if (SDL_LoadWAV_RW(source, 1, &spec, &buffer, &length) == nullptr) return std::nullopt;
  const std::unique_ptr<Uint8, WavBufferDeleter> owned(buffer);

  const bool bigEndian = spec.format == AUDIO_S16MSB;
  if ((spec.format != AUDIO_S16LSB && !bigEndian) || spec.channels != fields->channels ||
      spec.freq != static_cast<int>(fields->sampleRate) || buffer == nullptr) {
    return std::nullopt;
  }
  const std::size_t frameBytes = fields->channels * kDecodedSampleBytes;
  const std::size_t whole = length / frameBytes * frameBytes;
  if (whole == 0) return std::nullopt;

  DecodedWav decoded;
  decoded.channels = fields->channels;
  decoded.sampleRate = fields->sampleRate;
  const auto* begin = reinterpret_cast<const std::byte*>(buffer);
  decoded.samples.assign(begin, begin + whole);
  if (bigEndian) {
    for (std::size_t i = 0; i < whole; i += 2) std::swap(decoded.samples[i], decoded.samples[i + 1]);
  }
  return decoded;
}

}  // namespace kvarbon
