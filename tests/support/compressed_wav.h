// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Tiny encoders for the compressed WAV encodings the sound output decodes:
// mono sounds of 16-bit samples, each in one WAV image.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "support/media_samples.h"

namespace kvarbon::testing {

// A mono WAV image: format tag, block size, bits, the format chunk's extension
// (after cbSize), and the data.
inline Bytes CompressedWav(unsigned tag, unsigned blockAlign, unsigned bits, const Bytes& extension,
                           const Bytes& data, std::uint32_t rate = 44100) {
  Bytes fmt;
  PutLe(fmt, tag, 2);
  PutLe(fmt, 1, 2);
  PutLe(fmt, rate, 4);
  PutLe(fmt, std::uint64_t{rate} * bits / 8, 4);
  PutLe(fmt, blockAlign, 2);
  PutLe(fmt, bits, 2);
  PutLe(fmt, extension.size(), 2);
  Put(fmt, extension);
  Bytes out;
  Put(out, "RIFF");
  PutLe(out, 4 + 8 + fmt.size() + 8 + data.size(), 4);
  Put(out, "WAVEfmt ");
  PutLe(out, fmt.size(), 4);
  Put(out, fmt);
  Put(out, "data");
  PutLe(out, data.size(), 4);
  Put(out, data);
  return out;
}

inline unsigned MuLaw(int sample) {
  const unsigned sign = sample < 0 ? 0x80 : 0;
  const int magnitude = std::min(std::abs(sample), 32635) + 0x84;
  unsigned exponent = 0;
  while ((magnitude >> (exponent + 8)) != 0) ++exponent;
  return ~(sign | exponent << 4 | ((magnitude >> (exponent + 3)) & 0x0F)) & 0xFF;
}

inline unsigned ALaw(int sample) {
  const int magnitude = (sample >= 0 ? sample : -sample - 1) >> 3;
  unsigned segment = 0;
  while (segment < 7 && magnitude >= (0x20 << segment)) ++segment;
  const unsigned mantissa = (magnitude >> (segment < 2 ? 1 : segment)) & 0x0F;
  return (segment << 4 | mantissa) ^ (sample >= 0 ? 0xD5 : 0x55);
}

// A-law (tag 6) or µ-law (tag 7).
inline Bytes LawWav(unsigned tag, const std::vector<int>& samples) {
  Bytes data;
  for (const int s : samples) PutByte(data, tag == 6 ? ALaw(s) : MuLaw(s));
  return CompressedWav(tag, 1, 8, {}, data);
}

// IMA ADPCM in one block: the first sample in the header, then a 4-bit code
// per sample, low nibble first. Takes 1 + 8k samples.
inline Bytes ImaAdpcmWav(const std::vector<int>& samples) {
  static constexpr int kSteps[89] = {
      7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
      31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
      130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
      544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
      2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
      9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
  static constexpr int kIndexShift[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
  Bytes data;
  PutLe(data, static_cast<std::uint16_t>(samples[0]), 2);
  int index = 40;  // a step that suits a loud sound from the start
  PutLe(data, static_cast<unsigned>(index), 2);  // step index, reserved byte
  int predicted = samples[0];
  unsigned low = 0;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    const int step = kSteps[index];
    unsigned code = samples[i] < predicted ? 8 : 0;
    int rest = std::abs(samples[i] - predicted);
    int delta = step >> 3;
    for (unsigned bit = 4, part = step; bit != 0; bit >>= 1, part >>= 1) {
      if (rest >= static_cast<int>(part)) {
        code |= bit;
        rest -= static_cast<int>(part);
        delta += static_cast<int>(part);
      }
    }
    predicted = std::clamp(predicted + ((code & 8) != 0 ? -delta : delta), -32768, 32767);
    index = std::clamp(index + kIndexShift[code & 7], 0, 88);
    if (i % 2 == 1) {
      low = code;
    } else {
      PutByte(data, low | code << 4);
    }
  }
  Bytes extension;
  PutLe(extension, samples.size(), 2);
  return CompressedWav(0x11, static_cast<unsigned>(data.size()), 4, extension, data);
}

// MS ADPCM in one block, predicting each sample by the one before: the first
// two samples in the header, then a 4-bit code per sample, high nibble first.
// Takes an even number of samples.
inline Bytes MsAdpcmWav(const std::vector<int>& samples) {
  static constexpr int kAdapt[16] = {230, 230, 230, 230, 307, 409, 512, 614, 768, 614, 512, 409, 307, 230, 230, 230};
  static constexpr int kCoefficients[14] = {256, 0, 512, -256, 0, 0, 192, 64, 240, 0, 460, -208, 392, -232};
  int delta = 16;
  Bytes data;
  PutByte(data, 0);  // coefficient pair 0: 256, 0
  PutLe(data, static_cast<unsigned>(delta), 2);
  PutLe(data, static_cast<std::uint16_t>(samples[1]), 2);
  PutLe(data, static_cast<std::uint16_t>(samples[0]), 2);
  int previous = samples[1];
  unsigned high = 0;
  for (std::size_t i = 2; i < samples.size(); ++i) {
    const int error = std::clamp((samples[i] - previous) / delta, -8, 7);
    const unsigned code = static_cast<unsigned>(error) & 0x0F;
    previous = std::clamp(previous + error * delta, -32768, 32767);
    delta = std::max(16, delta * kAdapt[code] / 256);
    if (i % 2 == 0) {
      high = code;
    } else {
      PutByte(data, high << 4 | code);
    }
  }
  Bytes extension;
  PutLe(extension, samples.size(), 2);
  PutLe(extension, 7, 2);
  for (const int c : kCoefficients) PutLe(extension, static_cast<std::uint16_t>(c), 2);
  return CompressedWav(2, static_cast<unsigned>(data.size()), 4, extension, data);
}

}  // namespace kvarbon::testing
