// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/core/wav_image.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace kvarbon {
namespace {

constexpr std::uint16_t kFormatExtensible = 0xFFFE;

constexpr std::size_t kRiffHeaderSize = 12;  // "RIFF", size, "WAVE"
constexpr std::size_t kChunkHeaderSize = 8;  // id, size
constexpr std::size_t kFmtBaseSize = 16;
constexpr std::size_t kFmtExtensibleSize = 40;
constexpr unsigned kExtensibleExtraSize = 22;  // cbSize of WAVE_FORMAT_EXTENSIBLE

// Bytes 2..15 of every KSDATAFORMAT_SUBTYPE_* GUID whose first two bytes are a
// plain format tag.
constexpr std::array<unsigned char, 14> kSubformatGuidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t ReadU16(ByteView bytes, std::size_t at) {
  return static_cast<std::uint16_t>(std::to_integer<unsigned>(bytes[at]) |
                                    (std::to_integer<unsigned>(bytes[at + 1]) << 8));
}

std::uint32_t ReadU32(ByteView bytes, std::size_t at) {
  return std::to_integer<std::uint32_t>(bytes[at]) | (std::to_integer<std::uint32_t>(bytes[at + 1]) << 8) |
         (std::to_integer<std::uint32_t>(bytes[at + 2]) << 16) |
         (std::to_integer<std::uint32_t>(bytes[at + 3]) << 24);
}

bool HasId(ByteView bytes, std::size_t at, std::string_view id) {
  return AsText(bytes.subspan(at, id.size())) == id;
}

struct Format {
  WavSampleFormat format;
  unsigned channels;
  std::uint32_t sampleRate;
  std::size_t blockAlign;
};

std::optional<WavSampleFormat> SampleFormatOf(std::uint16_t tag, unsigned bits) {
  if (tag == kWavFormatPcm) {
    switch (bits) {
      case 8:
        return WavSampleFormat::kUnsigned8;
      case 16:
        return WavSampleFormat::kSigned16;
      case 24:
        return WavSampleFormat::kSigned24;
      case 32:
        return WavSampleFormat::kSigned32;
      default:
        return std::nullopt;
    }
  }
  if (tag == kWavFormatFloat) {
    switch (bits) {
      case 32:
        return WavSampleFormat::kFloat32;
      case 64:
        return WavSampleFormat::kFloat64;
      default:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

// Reads a "fmt " chunk body (only the bytes actually present).
std::optional<Format> ParseFmt(ByteView body) {
  const std::optional<WavFormatFields> fields = ReadWavFormatFields(body);
  if (!fields) return std::nullopt;
  if (fields->extensible && fields->validBits > fields->bits) return std::nullopt;
  const std::optional<WavSampleFormat> format = SampleFormatOf(fields->tag, fields->bits);
  if (!format) return std::nullopt;
  const unsigned channels = fields->channels;
  if (channels == 0 || channels > kMaxWavChannels) return std::nullopt;
  if (fields->sampleRate < kMinWavSampleRate || fields->sampleRate > kMaxWavSampleRate) return std::nullopt;
  if (fields->blockAlign != channels * BytesPerSample(*format)) return std::nullopt;
  return Format{*format, channels, fields->sampleRate, fields->blockAlign};
}

}  // namespace

std::size_t BytesPerSample(WavSampleFormat format) {
  switch (format) {
    case WavSampleFormat::kUnsigned8:
      return 1;
    case WavSampleFormat::kSigned16:
      return 2;
    case WavSampleFormat::kSigned24:
      return 3;
    case WavSampleFormat::kSigned32:
      return 4;
    case WavSampleFormat::kFloat32:
      return 4;
    case WavSampleFormat::kFloat64:
      return 8;
  }
  return 0;
}

std::optional<WavChunks> FindWavChunks(ByteView image) {
  if (image.size() < kRiffHeaderSize || !HasId(image, 0, "RIFF") || !HasId(image, 8, "WAVE")) {
    return std::nullopt;
  }
  // The RIFF size field is not trusted (streaming writers leave it wrong); the
  // chunks are walked up to the end of the bytes actually present.
  std::optional<ByteView> format;
  std::optional<ByteView> data;
  std::size_t at = kRiffHeaderSize;
  while (image.size() - at >= kChunkHeaderSize && !(format && data)) {
    const std::uint64_t declared = ReadU32(image, at + 4);
    const std::size_t bodyStart = at + kChunkHeaderSize;
    const std::size_t present = image.size() - bodyStart;
    const ByteView body =
        image.subspan(bodyStart, static_cast<std::size_t>(std::min<std::uint64_t>(declared, present)));
    if (HasId(image, at, "fmt ")) {
      if (format) return std::nullopt;  // a second format makes the data ambiguous
      format = body;
    } else if (HasId(image, at, "data")) {
      if (!data) data = body;
    }
    const std::uint64_t next = bodyStart + declared + (declared & 1U);
    if (next >= image.size()) break;
    at = static_cast<std::size_t>(next);
  }
  if (!format || !data) return std::nullopt;
  return WavChunks{*format, *data};
}

std::optional<WavFormatFields> ReadWavFormatFields(ByteView body) {
  if (body.size() < kFmtBaseSize) return std::nullopt;
  WavFormatFields fields;
  fields.tag = ReadU16(body, 0);
  fields.channels = ReadU16(body, 2);
  fields.sampleRate = ReadU32(body, 4);
  fields.blockAlign = ReadU16(body, 12);
  fields.bits = ReadU16(body, 14);
  if (fields.tag == kFormatExtensible) {
    if (body.size() < kFmtExtensibleSize || ReadU16(body, 16) < kExtensibleExtraSize) return std::nullopt;
    const ByteView guid = body.subspan(24, 16);
    for (std::size_t i = 0; i < kSubformatGuidTail.size(); ++i) {
      if (std::to_integer<unsigned char>(guid[i + 2]) != kSubformatGuidTail[i]) return std::nullopt;
    }
    fields.extensible = true;
    fields.validBits = ReadU16(body, 18);
    fields.tag = ReadU16(guid, 0);
  }
  return fields;
}

std::optional<WavImage> ParseWavImage(ByteView image) {
  const std::optional<WavChunks> chunks = FindWavChunks(image);
  if (!chunks) return std::nullopt;
  const std::optional<Format> format = ParseFmt(chunks->format);
  if (!format) return std::nullopt;

  const std::size_t wholeFrames = chunks->data.size() / format->blockAlign;
  WavImage result;
  result.format = format->format;
  result.channels = format->channels;
  result.sampleRate = format->sampleRate;
  result.blockAlign = format->blockAlign;
  result.samples = chunks->data.first(wholeFrames * format->blockAlign);
  return result;
}

std::optional<WavSampleLayout> WavSampleLayoutFromHead(ByteView head, std::size_t imageSize) {
  if (head.size() > imageSize) return std::nullopt;
  const std::optional<WavChunks> chunks = FindWavChunks(head);
  if (!chunks || chunks->data.empty()) return std::nullopt;
  // Both chunk headers lie in `head`, so the walk over the whole image finds
  // the same chunks; only the bodies' ends, cut to what is present, differ.
  const auto offsetOf = [&head](ByteView body) { return static_cast<std::size_t>(body.data() - head.data()); };
  const std::size_t formatAt = offsetOf(chunks->format);
  if (ReadU32(head, formatAt - 4) != chunks->format.size()) return std::nullopt;  // cut by the head's end
  const std::optional<Format> format = ParseFmt(chunks->format);
  if (!format) return std::nullopt;

  WavSampleLayout layout;
  layout.format.format = format->format;
  layout.format.channels = format->channels;
  layout.format.sampleRate = format->sampleRate;
  layout.format.blockAlign = format->blockAlign;
  layout.offset = offsetOf(chunks->data);
  const std::uint64_t declared = ReadU32(head, layout.offset - 4);
  const std::size_t bytes = static_cast<std::size_t>(std::min<std::uint64_t>(declared, imageSize - layout.offset));
  layout.frames = bytes / format->blockAlign;
  return layout;
}

}  // namespace kvarbon
