// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/core/media_length.h"

#include <algorithm>
#include <array>
#include <optional>

namespace kvarbon {
namespace {

unsigned At(ByteView bytes, std::size_t at) { return std::to_integer<unsigned>(bytes[at]); }

std::uint32_t ReadLe16(ByteView bytes, std::size_t at) { return At(bytes, at) | (At(bytes, at + 1) << 8); }

std::uint32_t ReadLe32(ByteView bytes, std::size_t at) {
  return ReadLe16(bytes, at) | (ReadLe16(bytes, at + 2) << 16);
}

std::uint32_t ReadBe16(ByteView bytes, std::size_t at) { return (At(bytes, at) << 8) | At(bytes, at + 1); }

std::uint32_t ReadBe32(ByteView bytes, std::size_t at) {
  return (ReadBe16(bytes, at) << 16) | ReadBe16(bytes, at + 2);
}

bool StartsWith(ByteView bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() && AsText(bytes.first(prefix.size())) == prefix;
}

// ---------------------------------------------------------------- WAV

void WavLengths(ByteView bytes, std::vector<DeclaredLength>& out) {
  if (bytes.size() < 8) return;
  const bool bigEndian = StartsWith(bytes, "RIFX");
  const std::uint64_t size = bigEndian ? ReadBe32(bytes, 4) : ReadLe32(bytes, 4);
  if (size < 4) return;  // not even room for the form type
  out.push_back({size + 8, "RIFF size"});
  // The RIFF chunk's pad byte after an odd size is left out of the size itself.
  if (size % 2 != 0) out.push_back({size + 9, "RIFF size and pad byte"});
}

// ---------------------------------------------------------------- BMP

constexpr std::size_t kBmpFileHeaderSize = 14;

bool IsKnownDibHeaderSize(std::uint32_t size) {
  constexpr std::array<std::uint32_t, 8> kSizes = {12, 16, 40, 52, 56, 64, 108, 124};
  return std::find(kSizes.begin(), kSizes.end(), size) != kSizes.end();
}

// The end of the pixel data as the info header describes it, if it can say.
std::optional<std::uint64_t> BmpPixelDataEnd(ByteView bytes, std::uint32_t dibSize,
                                             std::uint32_t dataOffset) {
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t bitsPerPixel = 0;
  std::uint32_t compression = 0;
  std::uint32_t imageSize = 0;
  if (dibSize == 12) {  // OS/2 core header: 16-bit unsigned dimensions
    if (bytes.size() < kBmpFileHeaderSize + 12) return std::nullopt;
    width = ReadLe16(bytes, 18);
    height = ReadLe16(bytes, 20);
    bitsPerPixel = ReadLe16(bytes, 24);
  } else {
    if (dibSize < 40 || bytes.size() < kBmpFileHeaderSize + 40) return std::nullopt;
    width = static_cast<std::int32_t>(ReadLe32(bytes, 18));
    height = static_cast<std::int32_t>(ReadLe32(bytes, 22));  // negative: top-down rows
    bitsPerPixel = ReadLe16(bytes, 28);
    compression = ReadLe32(bytes, 30);
    imageSize = ReadLe32(bytes, 34);
  }
  constexpr std::uint32_t kRgb = 0;
  constexpr std::uint32_t kBitFields = 3;
  constexpr std::uint32_t kAlphaBitFields = 6;
  if (compression != kRgb && compression != kBitFields && compression != kAlphaBitFields) {
    // Run-length or embedded JPEG/PNG data: only the stated size tells.
    if (imageSize == 0) return std::nullopt;
    return std::uint64_t{dataOffset} + imageSize;
  }
  constexpr std::array<std::uint32_t, 6> kDepths = {1, 4, 8, 16, 24, 32};
  if (std::find(kDepths.begin(), kDepths.end(), bitsPerPixel) == kDepths.end()) return std::nullopt;
  const std::uint64_t columns = static_cast<std::uint64_t>(width < 0 ? -width : width);
  const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
  if (columns == 0 || rows == 0) return std::nullopt;
  const std::uint64_t rowBytes = (columns * bitsPerPixel + 31) / 32 * 4;
  constexpr std::uint64_t kMostPixelBytes = std::uint64_t{1} << 40;
  if (rowBytes > kMostPixelBytes / rows) return std::nullopt;
  return dataOffset + rowBytes * rows;
}

void BmpLengths(ByteView bytes, std::vector<DeclaredLength>& out) {
  if (bytes.size() < kBmpFileHeaderSize + 4) return;
  const std::uint32_t fileSize = ReadLe32(bytes, 2);
  const std::uint32_t dataOffset = ReadLe32(bytes, 10);
  const std::uint32_t dibSize = ReadLe32(bytes, 14);
  if (!IsKnownDibHeaderSize(dibSize) || dataOffset < kBmpFileHeaderSize + dibSize) return;
  if (fileSize >= dataOffset) out.push_back({fileSize, "BMP file size field"});
  const std::optional<std::uint64_t> pixelEnd = BmpPixelDataEnd(bytes, dibSize, dataOffset);
  if (pixelEnd) out.push_back({*pixelEnd, "BMP pixel data size"});
}

// ---------------------------------------------------------------- JPEG

constexpr unsigned kMarkerPrefix = 0xFF;
constexpr unsigned kStartOfImage = 0xD8;
constexpr unsigned kEndOfImage = 0xD9;
constexpr unsigned kStartOfScan = 0xDA;
constexpr unsigned kTemporary = 0x01;

bool IsRestart(unsigned marker) { return marker >= 0xD0 && marker <= 0xD7; }

// Skips entropy-coded data from `at`; returns the position of the next real
// marker's FF, or nullopt when the data runs to the end.
std::optional<std::size_t> SkipEntropyCoded(ByteView bytes, std::size_t at) {
  while (at + 1 < bytes.size()) {
    if (At(bytes, at) != kMarkerPrefix) {
      ++at;
      continue;
    }
    const unsigned next = At(bytes, at + 1);
    if (next == 0x00 || IsRestart(next)) {
      at += 2;  // stuffed FF data byte, or a restart marker inside the scan
    } else if (next == kMarkerPrefix) {
      ++at;  // fill byte before a marker
    } else {
      return at;
    }
  }
  return std::nullopt;
}

// The end of the image whose FF D8 is at `start`, just past its FF D9.
std::optional<std::size_t> JpegEnd(ByteView bytes, std::size_t start) {
  std::size_t at = start + 2;
  while (true) {
    if (at + 1 >= bytes.size() || At(bytes, at) != kMarkerPrefix) return std::nullopt;
    while (At(bytes, at + 1) == kMarkerPrefix) {  // fill bytes
      ++at;
      if (at + 1 >= bytes.size()) return std::nullopt;
    }
    const unsigned marker = At(bytes, at + 1);
    at += 2;
    if (marker == kEndOfImage) return at;
    if (IsRestart(marker) || marker == kTemporary) continue;
    if (marker == 0x00 || marker == kStartOfImage) return std::nullopt;
    if (at + 2 > bytes.size()) return std::nullopt;
    const std::size_t segmentLength = ReadBe16(bytes, at);
    if (segmentLength < 2 || segmentLength > bytes.size() - at) return std::nullopt;
    at += segmentLength;
    if (marker == kStartOfScan) {
      const std::optional<std::size_t> next = SkipEntropyCoded(bytes, at);
      if (!next) return std::nullopt;
      at = *next;
    }
  }
}

bool IsJpegStart(ByteView bytes, std::size_t at) {
  return bytes.size() - at >= 3 && At(bytes, at) == kMarkerPrefix &&
         At(bytes, at + 1) == kStartOfImage && At(bytes, at + 2) == kMarkerPrefix;
}

void JpegLengths(ByteView bytes, std::vector<DeclaredLength>& out) {
  constexpr int kMostPictures = 8;
  std::size_t start = 0;
  for (int picture = 0; picture < kMostPictures && start < bytes.size() && IsJpegStart(bytes, start);
       ++picture) {
    const std::optional<std::size_t> end = JpegEnd(bytes, start);
    if (!end) return;
    out.push_back({*end, picture == 0 ? "JPEG end marker" : "JPEG end marker of a further picture"});
    start = *end;
  }
}

// ---------------------------------------------------------------- GIF

constexpr unsigned kGifExtension = 0x21;
constexpr unsigned kGifImage = 0x2C;
constexpr unsigned kGifTrailer = 0x3B;
constexpr unsigned kColorTableFlag = 0x80;

std::size_t ColorTableSize(unsigned packed) {
  return (packed & kColorTableFlag) != 0 ? 3u * (2u << (packed & 0x07)) : 0;
}

// Skips data sub-blocks from `at` through the zero-length terminator.
std::optional<std::size_t> SkipSubBlocks(ByteView bytes, std::size_t at) {
  while (at < bytes.size()) {
    const std::size_t blockSize = At(bytes, at);
    ++at;
    if (blockSize == 0) return at;
    if (blockSize > bytes.size() - at) return std::nullopt;
    at += blockSize;
  }
  return std::nullopt;
}

void GifLengths(ByteView bytes, std::vector<DeclaredLength>& out) {
  constexpr std::size_t kHeaderAndScreen = 6 + 7;
  if (bytes.size() < kHeaderAndScreen || (!StartsWith(bytes, "GIF87a") && !StartsWith(bytes, "GIF89a"))) {
    return;
  }
  std::size_t at = kHeaderAndScreen + ColorTableSize(At(bytes, 10));
  while (at < bytes.size()) {
    const unsigned introducer = At(bytes, at);
    if (introducer == kGifTrailer) {
      out.push_back({at + 1, "GIF trailer"});
      return;
    }
    std::optional<std::size_t> next;
    if (introducer == kGifExtension) {
      if (at + 2 > bytes.size()) return;
      next = SkipSubBlocks(bytes, at + 2);  // after the label
    } else if (introducer == kGifImage) {
      constexpr std::size_t kDescriptor = 10;
      if (at + kDescriptor > bytes.size()) return;
      const std::size_t dataStart = at + kDescriptor + ColorTableSize(At(bytes, at + 9));
      if (dataStart >= bytes.size()) return;
      next = SkipSubBlocks(bytes, dataStart + 1);  // after the LZW minimum code size
    }
    if (!next) return;
    at = *next;
  }
}

}  // namespace

std::string_view FormatName(MediaFormat format) {
  switch (format) {
    case MediaFormat::kWav: return "WAV";
    case MediaFormat::kBmp: return "BMP";
    case MediaFormat::kJpeg: return "JPEG";
    case MediaFormat::kGif: return "GIF";
    case MediaFormat::kUnknown: break;
  }
  return "unknown";
}

std::string_view FormatExtension(MediaFormat format) {
  switch (format) {
    case MediaFormat::kWav: return "wav";
    case MediaFormat::kBmp: return "bmp";
    case MediaFormat::kJpeg: return "jpg";
    case MediaFormat::kGif: return "gif";
    case MediaFormat::kUnknown: break;
  }
  return "bin";
}

MediaFormat DetectFormat(ByteView bytes) {
  if (StartsWith(bytes, "RIFF") || StartsWith(bytes, "RIFX")) return MediaFormat::kWav;
  if (StartsWith(bytes, "BM")) return MediaFormat::kBmp;
  if (IsJpegStart(bytes, 0)) return MediaFormat::kJpeg;
  if (StartsWith(bytes, "GIF8")) return MediaFormat::kGif;
  return MediaFormat::kUnknown;
}

std::string_view LooksLike(ByteView bytes) {
  const auto has = [&](std::size_t at, std::string_view text) {
    return StartsWith(bytes.subspan(std::min(at, bytes.size())), text);
  };
  if (has(0, "RIFF") && has(8, "WEBP")) return "WebP";
  if (has(0, "RIFF") && has(8, "AVI ")) return "AVI";
  if (const MediaFormat format = DetectFormat(bytes); format != MediaFormat::kUnknown) return FormatName(format);
  if (has(0, "\x89PNG\r\n\x1A\n")) return "PNG";
  // An ID3 tag, or an MPEG audio frame's sync with a layer set.
  if (has(0, "ID3") || (bytes.size() >= 2 && At(bytes, 0) == 0xFF && (At(bytes, 1) & 0xE0) == 0xE0 &&
                        (At(bytes, 1) & 0x06) != 0)) {
    return "MP3";
  }
  if (has(0, "OggS")) return "Ogg";
  if (has(0, "fLaC")) return "FLAC";
  if (has(0, std::string_view("II*\0", 4)) || has(0, std::string_view("MM\0*", 4))) return "TIFF";
  if (has(4, "ftyp")) {
    if (has(8, "avif")) return "AVIF";
    return has(8, "heic") || has(8, "heix") || has(8, "mif1") ? "HEIF" : "MP4";
  }
  return {};
}

std::vector<DeclaredLength> DeclaredLengths(ByteView bytes) {
  std::vector<DeclaredLength> lengths;
  switch (DetectFormat(bytes)) {
    case MediaFormat::kWav: WavLengths(bytes, lengths); break;
    case MediaFormat::kBmp: BmpLengths(bytes, lengths); break;
    case MediaFormat::kJpeg: JpegLengths(bytes, lengths); break;
    case MediaFormat::kGif: GifLengths(bytes, lengths); break;
    case MediaFormat::kUnknown: break;
  }
  std::stable_sort(lengths.begin(), lengths.end(),
                   [](const DeclaredLength& a, const DeclaredLength& b) { return a.length < b.length; });
  lengths.erase(std::unique(lengths.begin(), lengths.end(),
                            [](const DeclaredLength& a, const DeclaredLength& b) { return a.length == b.length; }),
                lengths.end());
  return lengths;
}

}  // namespace kvarbon
