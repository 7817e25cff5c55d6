// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small media files built byte by byte: real headers and structure, with
// whatever payload bytes a test wants inside them.

#include <cstdint>
#include <string_view>
#include <vector>

#include "app/core/bytes.h"

namespace kvarbon::testing {

inline void Put(Bytes& out, std::string_view text) {
  const ByteView view = AsBytes(text);
  out.insert(out.end(), view.begin(), view.end());
}

inline void Put(Bytes& out, ByteView bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

inline void PutByte(Bytes& out, unsigned value) { out.push_back(static_cast<std::byte>(value)); }

inline void PutLe(Bytes& out, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) PutByte(out, (value >> (8 * i)) & 0xFF);
}

inline void PutBe16(Bytes& out, unsigned value) {
  PutByte(out, (value >> 8) & 0xFF);
  PutByte(out, value & 0xFF);
}

// 8-bit mono PCM WAV holding `samples`. The RIFF size leaves out any pad byte;
// with `padOdd`, an odd data chunk is followed by one.
inline Bytes Wav(std::string_view samples, bool padOdd = false) {
  Bytes out;
  Put(out, "RIFF");
  PutLe(out, static_cast<std::uint32_t>(4 + 8 + 16 + 8 + samples.size()), 4);
  Put(out, "WAVEfmt ");
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);     // PCM
  PutLe(out, 1, 2);     // mono
  PutLe(out, 8000, 4);  // sample rate
  PutLe(out, 8000, 4);  // bytes per second
  PutLe(out, 1, 2);     // block align
  PutLe(out, 8, 2);     // bits per sample
  Put(out, "data");
  PutLe(out, static_cast<std::uint32_t>(samples.size()), 4);
  Put(out, samples);
  if (padOdd && samples.size() % 2 != 0) PutByte(out, 0);
  return out;
}

// A WAV image around `data` with a plain format chunk (tag 1 integer PCM,
// 3 float) or, with `extensible`, the extensible one wrapping the tag.
// `chunkBefore`, a whole chunk, goes between the format and the data chunk;
// the data chunk claims `claimExtra` bytes more (negative: fewer) than it holds.
inline Bytes FormattedWav(unsigned tag, unsigned channels, unsigned bits, ByteView data,
                          bool extensible = false, std::uint32_t rate = 44100, ByteView chunkBefore = {},
                          std::int64_t claimExtra = 0) {
  const unsigned blockAlign = channels * bits / 8;
  Bytes fmt;
  PutLe(fmt, extensible ? 0xFFFEU : tag, 2);
  PutLe(fmt, channels, 2);
  PutLe(fmt, rate, 4);
  PutLe(fmt, std::uint64_t{rate} * blockAlign, 4);
  PutLe(fmt, blockAlign, 2);
  PutLe(fmt, bits, 2);
  if (extensible) {
    PutLe(fmt, 22, 2);
    PutLe(fmt, bits, 2);
    PutLe(fmt, 3, 4);  // channel mask
    PutLe(fmt, tag, 2);
    for (const unsigned b : {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}) {
      PutByte(fmt, b);
    }
  }
  Bytes out;
  Put(out, "RIFF");
  PutLe(out, 4 + 8 + fmt.size() + chunkBefore.size() + 8 + data.size(), 4);
  Put(out, "WAVEfmt ");
  PutLe(out, fmt.size(), 4);
  Put(out, fmt);
  Put(out, chunkBefore);
  Put(out, "data");
  PutLe(out, static_cast<std::uint64_t>(static_cast<std::int64_t>(data.size()) + claimExtra), 4);
  Put(out, data);
  return out;
}

// 24-bit BMP of `width` x 1 pixels whose pixel row starts with `pixels`
// (zero-filled to the padded row). With `sizeField` false the file size field is 0.
inline Bytes Bmp(unsigned width, std::string_view pixels, bool sizeField = true) {
  const std::uint32_t rowBytes = (width * 24 + 31) / 32 * 4;
  const std::uint32_t fileSize = 14 + 40 + rowBytes;
  Bytes out;
  Put(out, "BM");
  PutLe(out, sizeField ? fileSize : 0, 4);
  PutLe(out, 0, 4);   // reserved
  PutLe(out, 54, 4);  // pixel data offset
  PutLe(out, 40, 4);  // info header size
  PutLe(out, width, 4);
  PutLe(out, 1, 4);  // height
  PutLe(out, 1, 2);  // planes
  PutLe(out, 24, 2);
  PutLe(out, 0, 4);  // uncompressed
  PutLe(out, rowBytes, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  Bytes row(rowBytes);
  for (std::size_t i = 0; i < pixels.size() && i < row.size(); ++i) row[i] = static_cast<std::byte>(pixels[i]);
  Put(out, row);
  return out;
}

// A baseline JPEG stream: SOI, a comment segment holding `comment`, a frame
// header, a scan header, `scan` as the entropy-coded data (already stuffed),
// EOI.
inline Bytes Jpeg(ByteView comment, ByteView scan) {
  Bytes out;
  PutBe16(out, 0xFFD8);
  PutBe16(out, 0xFFE0);  // APP0 JFIF
  PutBe16(out, 16);
  Put(out, std::string_view("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14));
  PutBe16(out, 0xFFFE);  // comment
  PutBe16(out, static_cast<unsigned>(comment.size() + 2));
  Put(out, comment);
  PutBe16(out, 0xFFC0);  // frame header: 8-bit, 1x1, one component
  PutBe16(out, 11);
  Put(out, std::string_view("\x08\0\x01\0\x01\x01\x01\x11\0", 9));
  PutBe16(out, 0xFFDA);  // scan header
  PutBe16(out, 8);
  Put(out, std::string_view("\x01\x01\0\0\x3F\0", 6));
  Put(out, scan);
  PutBe16(out, 0xFFD9);
  return out;
}

// A GIF89a with a two-colour global table, a graphic control extension and
// one image whose LZW data sub-block holds `data` (at most 255 bytes).
inline Bytes Gif(std::string_view data) {
  Bytes out;
  Put(out, "GIF89a");
  PutLe(out, 1, 2);
  PutLe(out, 1, 2);
  PutByte(out, 0x80);  // global colour table of 2 entries
  PutByte(out, 0);
  PutByte(out, 0);
  Put(out, std::string_view("\0\0\0\xFF\xFF\xFF", 6));
  Put(out, std::string_view("\x21\xF9\x04\0\0\0\0\0", 8));  // graphic control extension
  PutByte(out, 0x2C);
  Put(out, std::string_view("\0\0\0\0\x01\0\x01\0\0", 9));
  PutByte(out, 2);  // LZW minimum code size
  if (!data.empty()) {
    PutByte(out, static_cast<unsigned>(data.size()));
    Put(out, data);
  }
  PutByte(out, 0);
  PutByte(out, 0x3B);
  return out;
}

// A container as the format lays it out, written out here independently of the encoder.
inline Bytes ZelContainer(std::string_view speed, std::string_view ini, const std::vector<Bytes>& sounds,
                          const std::vector<Bytes>& slides) {
  Bytes out;
  Put(out, "speed");
  Put(out, speed);
  Put(out, "\\speedini");
  Put(out, ini);
  Put(out, "\\inisound");
  for (const Bytes& sound : sounds) {
    Put(out, sound);
    Put(out, "-|-");
  }
  Put(out, "\\soundvideo");
  for (const Bytes& slide : slides) {
    Put(out, slide);
    Put(out, "-|-");
  }
  Put(out, "\\video");
  return out;
}

}  // namespace kvarbon::testing
