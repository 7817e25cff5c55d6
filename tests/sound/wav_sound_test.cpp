// SPDX-License-Identifier: GPL-3.0-or-later
// The one WAV loader of the sound output and the exporter: PCM and float read
// where they lie, the compressed encodings decoded, and the samples as floats,
// whole or a piece at a time.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "sound/core/pcm_sound.h"
#include "sound/platform/wav_sound.h"
#include "support/compressed_wav.h"
#include "support/media_samples.h"

namespace kvarbon {
namespace {

using testing::FormattedWav;

PcmSound Whole(const Bytes& image) {
  const std::optional<WavSound> sound = WavSound::Load(image);
  EXPECT_TRUE(sound);
  return sound ? ToPcmSound(sound->Frames()) : PcmSound{};
}

TEST(WavSound, EverySampleEncodingDecodesToTheSameScale) {
  const PcmSound u8 = Whole(FormattedWav(1, 1, 8, ToBytes(std::string_view("\x80\xC0\x00", 3))));
  EXPECT_EQ(u8.samples, (std::vector<float>{0.0f, 0.5f, -1.0f}));
  const PcmSound s16 = Whole(FormattedWav(1, 2, 16, ToBytes(std::string_view("\x00\x40\x00\x80", 4)), false, 8000));
  EXPECT_EQ(s16.channels, 2u);
  EXPECT_EQ(s16.sampleRate, 8000u);
  EXPECT_EQ(s16.samples, (std::vector<float>{0.5f, -1.0f}));
  const PcmSound s24 = Whole(FormattedWav(1, 1, 24, ToBytes(std::string_view("\x00\x00\xC0", 3))));
  EXPECT_EQ(s24.samples, (std::vector<float>{-0.5f}));
  const PcmSound s32 = Whole(FormattedWav(1, 1, 32, ToBytes(std::string_view("\x00\x00\x00\x40", 4))));
  EXPECT_EQ(s32.samples, (std::vector<float>{0.5f}));
  const PcmSound f32 = Whole(FormattedWav(3, 1, 32, ToBytes(std::string_view("\x00\x00\x40\x3F", 4)), true));
  EXPECT_EQ(f32.samples, (std::vector<float>{0.75f}));
}

// `frames` frames of `channels` samples in the encoding's own bytes, all different.
Bytes Samples(unsigned tag, unsigned bits, unsigned channels, std::size_t frames) {
  Bytes data;
  for (std::size_t i = 0; i < frames * channels; ++i) {
    const double value = std::sin(0.37 * static_cast<double>(i)) * 0.9;
    if (tag == 3 && bits == 32) {
      testing::PutLe(data, std::bit_cast<std::uint32_t>(static_cast<float>(value)), 4);
    } else if (tag == 3) {
      testing::PutLe(data, std::bit_cast<std::uint64_t>(value), 8);
    } else {
      for (unsigned b = 0; b < bits / 8; ++b) data.push_back(static_cast<std::byte>((i * 37 + b * 101 + 11) & 0xFF));
    }
  }
  return data;
}

TEST(WavSound, PiecesReadTheSameSamplesAsTheWholeInEveryEncoding) {
  constexpr std::size_t kFrames = 200;
  std::vector<int> tone;
  for (std::size_t i = 0; i < 1 + kFrames; ++i) {
    tone.push_back(static_cast<int>(std::sin(0.2 * static_cast<double>(i)) * 12000));
  }
  const std::vector<int> even(tone.begin(), tone.end() - 1);
  struct Case {
    std::string name;
    Bytes image;
    bool decoded;
  };
  std::vector<Case> cases = {
      {"8-bit stereo", FormattedWav(1, 2, 8, Samples(1, 8, 2, kFrames)), false},
      {"16-bit", FormattedWav(1, 1, 16, Samples(1, 16, 1, kFrames)), false},
      {"24-bit stereo", FormattedWav(1, 2, 24, Samples(1, 24, 2, kFrames), true), false},
      {"32-bit", FormattedWav(1, 1, 32, Samples(1, 32, 1, kFrames)), false},
      {"32-bit float stereo", FormattedWav(3, 2, 32, Samples(3, 32, 2, kFrames)), false},
      {"64-bit float", FormattedWav(3, 1, 64, Samples(3, 64, 1, kFrames)), false},
      {"IMA ADPCM", testing::ImaAdpcmWav(tone), true},
      {"MS ADPCM", testing::MsAdpcmWav(even), true},
      {"A-law", testing::LawWav(6, even), true},
      {"mu-law", testing::LawWav(7, even), true},
  };
  for (const Case& c : cases) {
    const std::optional<WavSound> sound = WavSound::Load(c.image);
    ASSERT_TRUE(sound) << c.name;
    EXPECT_EQ(sound->Decoded(), c.decoded) << c.name;
    const ByteView samples = sound->Frames().samples;
    const bool inImage =
        samples.data() >= c.image.data() && samples.data() + samples.size() <= c.image.data() + c.image.size();
    EXPECT_EQ(inImage, !c.decoded) << c.name << ": PCM and float are read where they lie";
    const std::vector<float> whole = ToPcmSound(sound->Frames()).samples;
    const std::size_t frames = sound->Frames().FrameCount();
    const unsigned channels = sound->Frames().channels;
    ASSERT_GE(frames, kFrames) << c.name;
    ASSERT_EQ(whole.size(), frames * channels) << c.name;

    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{64}}) {
      std::vector<float> read;
      std::vector<float> buffer(piece * channels);
      for (std::size_t from = 0;; from += piece) {
        const std::size_t got = ReadFloatFrames(sound->Frames(), from, buffer);
        EXPECT_EQ(got, std::min(piece, frames - std::min(from, frames))) << c.name << " from " << from;
        read.insert(read.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got * channels));
        if (got == 0) break;
      }
      EXPECT_EQ(read, whole) << c.name << ", pieces of " << piece;
    }
  }
  // Moving a decoded sound keeps its samples where they are.
  std::optional<WavSound> decoded = WavSound::Load(testing::ImaAdpcmWav(tone));
  const std::byte* before = decoded->Frames().samples.data();
  const WavSound moved = std::move(*decoded);
  EXPECT_EQ(moved.Frames().samples.data(), before);

  EXPECT_FALSE(WavSound::Load(ToBytes("RIFFxxxxWAVE")));
  EXPECT_FALSE(WavSound::Load(FormattedWav(0x55, 1, 16, Samples(1, 16, 1, 4))));  // MP3 in a WAV
}

}  // namespace
}  // namespace kvarbon
