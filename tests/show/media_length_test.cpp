// SPDX-License-Identifier: GPL-3.0-or-later
// The lengths media files declare for themselves.
#include <gtest/gtest.h>

#include "support/media_samples.h"
#include "show/core/media_length.h"
#include "support/temp_dir.h"

namespace kvarbon {
namespace {

using testing::Bmp;
using testing::Gif;
using testing::HexBytes;
using testing::Jpeg;
using testing::Put;
using testing::Wav;

std::vector<std::uint64_t> Lengths(ByteView bytes) {
  std::vector<std::uint64_t> lengths;
  for (const DeclaredLength& declared : DeclaredLengths(bytes)) lengths.push_back(declared.length);
  return lengths;
}

using L = std::vector<std::uint64_t>;

// The media followed by more bytes, as inside a container.
Bytes WithTail(Bytes media) {
  Put(media, "-|-\\soundvideo\xFF\xD9\x3B");
  return media;
}

TEST(MediaLength, DetectsFormatsBySignatureOnly) {
  EXPECT_EQ(DetectFormat(ToBytes("RIFF")), MediaFormat::kWav);
  EXPECT_EQ(DetectFormat(ToBytes("BM")), MediaFormat::kBmp);
  EXPECT_EQ(DetectFormat(HexBytes({0xFF, 0xD8, 0xFF})), MediaFormat::kJpeg);
  EXPECT_EQ(DetectFormat(ToBytes("GIF8")), MediaFormat::kGif);
  EXPECT_EQ(DetectFormat(HexBytes({0xFF, 0xD8})), MediaFormat::kUnknown);
  EXPECT_EQ(DetectFormat({}), MediaFormat::kUnknown);
  // For messages, also a few kinds a show does not carry; a RIFF file is WAV only in the WAVE form.
  EXPECT_EQ(LooksLike(ToBytes(std::string_view("RIFF\x10\0\0\0WAVEfmt ", 16))), "WAV");
  EXPECT_EQ(LooksLike(ToBytes(std::string_view("RIFF\x10\0\0\0WEBPVP8 ", 16))), "WebP");
  EXPECT_EQ(LooksLike(HexBytes({0xFF, 0xFB, 0x90, 0x64})), "MP3");
  EXPECT_EQ(LooksLike(HexBytes({0xFF, 0xD8, 0xFF, 0xE0})), "JPEG");
  EXPECT_EQ(LooksLike(ToBytes("hello")), "");
  EXPECT_EQ(FormatExtension(MediaFormat::kJpeg), "jpg");
  EXPECT_EQ(FormatExtension(MediaFormat::kUnknown), "bin");
}

TEST(MediaLength, WavIsRiffSizePlusEightAndOneMoreWhenOdd) {
  const Bytes even = Wav("ab");
  EXPECT_EQ(Lengths(WithTail(even)), L{even.size()});
  const Bytes odd = Wav("abc", /*padOdd=*/true);
  EXPECT_EQ(Lengths(WithTail(odd)), (L{odd.size() - 1, odd.size()}));

  Bytes bigEndian = HexBytes({'R', 'I', 'F', 'X', 0, 0, 0, 6});
  Put(bigEndian, "WAVEzz");
  EXPECT_EQ(Lengths(bigEndian), L{14});
  // The header alone declares the length, even past the bytes at hand.
  EXPECT_EQ(Lengths(HexBytes({'R', 'I', 'F', 'F', 0xE8, 0x03, 0, 0})), L{1008});
  EXPECT_TRUE(Lengths(ToBytes("RIFF\x01")).empty());
}

TEST(MediaLength, BmpUsesItsSizeFieldOrElseItsPixelData) {
  const Bytes bmp = Bmp(3, "-|-\\video");
  EXPECT_EQ(Lengths(WithTail(bmp)), L{bmp.size()});
  EXPECT_EQ(DeclaredLengths(bmp).front().source, "BMP file size field");
  // A zero size field is ignored; the header's dimensions still give the end.
  EXPECT_EQ(Lengths(WithTail(Bmp(3, "", /*sizeField=*/false))), L{bmp.size()});

  Bytes implausible = bmp;
  implausible[14] = std::byte{7};  // no such info header size
  EXPECT_TRUE(Lengths(implausible).empty());
  EXPECT_TRUE(Lengths(ToBytes("BM\0\xFF")).empty());
}

TEST(MediaLength, JpegEndsAtItsEndMarkerWhateverTheSegmentsAndScanHold) {
  // FF D9 and "-|-" inside a segment are skipped by its length; in the scan,
  // FF 00 is a stuffed data byte and FF D0..D7 are restart markers.
  const Bytes comment = HexBytes({0xFF, 0xD9, '-', '|', '-', 0xFF, 0xD8});
  const Bytes scan = HexBytes({0x12, 0xFF, 0x00, 0xD9, 0xFF, 0xD3, 0x7C, 0xFF, 0xFF});
  const Bytes jpeg = Jpeg(comment, scan);
  EXPECT_EQ(Lengths(WithTail(jpeg)), L{jpeg.size()});

  // A multi-picture file: the end of each picture is offered, shortest first.
  Bytes two = jpeg;
  Put(two, jpeg);
  EXPECT_EQ(Lengths(WithTail(two)), (L{jpeg.size(), two.size()}));

  // Cut anywhere before its end marker, a JPEG declares nothing.
  for (std::size_t size = 0; size < jpeg.size(); ++size) {
    EXPECT_TRUE(Lengths(ByteView(jpeg).first(size)).empty()) << size;
  }
}

TEST(MediaLength, GifEndsAtItsTrailerAfterTheBlocks) {
  const Bytes gif = Gif("\x3B-|-\x3B\\video");
  EXPECT_EQ(Lengths(WithTail(gif)), L{gif.size()});
  for (std::size_t size = 0; size < gif.size(); ++size) {
    EXPECT_TRUE(Lengths(ByteView(gif).first(size)).empty()) << size;
  }
  Bytes broken = gif;
  broken[gif.size() - 1] = std::byte{0x99};  // no trailer, an unknown block instead
  EXPECT_TRUE(Lengths(WithTail(broken)).empty());
}

}  // namespace
}  // namespace kvarbon
