// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/core/wav_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>

namespace kvarbon {
namespace {

void PutU16(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::byte>(value & 0xFFU));
  out.push_back(static_cast<std::byte>((value >> 8) & 0xFFU));
}

void PutU32(Bytes& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFFU);
  PutU16(out, value >> 16);
}

void PutText(Bytes& out, std::string_view text) {
  const ByteView bytes = AsBytes(text);
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void PutChunk(Bytes& out, std::string_view id, const Bytes& body, std::uint32_t declaredSize) {
  PutText(out, id);
  PutU32(out, declaredSize);
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2 == 1) out.push_back(std::byte{0});
}

void PutChunk(Bytes& out, std::string_view id, const Bytes& body) {
  PutChunk(out, id, body, static_cast<std::uint32_t>(body.size()));
}

Bytes FmtBody(unsigned tag, unsigned channels, std::uint32_t rate, unsigned bits) {
  Bytes body;
  const unsigned blockAlign = channels * bits / 8;
  PutU16(body, tag);
  PutU16(body, channels);
  PutU32(body, rate);
  PutU32(body, rate * blockAlign);
  PutU16(body, blockAlign);
  PutU16(body, bits);
  return body;
}

Bytes ExtensibleFmtBody(unsigned subTag, unsigned channels, std::uint32_t rate, unsigned bits) {
  Bytes body = FmtBody(0xFFFE, channels, rate, bits);
  PutU16(body, 22);
  PutU16(body, bits);
  PutU32(body, channels == 1 ? 0x4U : 0x3U);
  PutU16(body, subTag);
  for (const unsigned b :
       {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}) {
    body.push_back(static_cast<std::byte>(b));
  }
  return body;
}

Bytes Riff(const Bytes& chunks) {
  Bytes out;
  PutText(out, "RIFF");
  PutU32(out, static_cast<std::uint32_t>(4 + chunks.size()));
  PutText(out, "WAVE");
  out.insert(out.end(), chunks.begin(), chunks.end());
  return out;
}

Bytes Wav(const Bytes& fmt, const Bytes& data) {
  Bytes chunks;
  PutChunk(chunks, "fmt ", fmt);
  PutChunk(chunks, "data", data);
  return Riff(chunks);
}

Bytes Filled(std::size_t size, unsigned first = 1) {
  Bytes bytes;
  for (std::size_t i = 0; i < size; ++i) bytes.push_back(static_cast<std::byte>((first + i) & 0xFFU));
  return bytes;
}

// A copy held in a buffer of exactly its size, so that any read past the end
// is an out-of-bounds access the sanitizer reports.
class ExactCopy {
 public:
  explicit ExactCopy(ByteView bytes)
      : buffer_(std::make_unique<std::byte[]>(bytes.size())), size_(bytes.size()) {
    std::copy(bytes.begin(), bytes.end(), buffer_.get());
  }
  ByteView View() const { return {buffer_.get(), size_}; }

 private:
  std::unique_ptr<std::byte[]> buffer_;
  std::size_t size_;
};

bool Inside(ByteView part, ByteView whole) {
  return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

TEST(WavImage, ReadsEverySupportedEncoding) {
  struct Case {
    Bytes fmt;
    WavSampleFormat format;
    unsigned channels;
    std::uint32_t rate;
    std::size_t blockAlign;
  };
  const Case cases[] = {
      {FmtBody(1, 1, 22050, 16), WavSampleFormat::kSigned16, 1, 22050, 2},
      {FmtBody(1, 2, 44100, 16), WavSampleFormat::kSigned16, 2, 44100, 4},
      {FmtBody(1, 1, 8000, 8), WavSampleFormat::kUnsigned8, 1, 8000, 1},
      {FmtBody(1, 2, 48000, 24), WavSampleFormat::kSigned24, 2, 48000, 6},
      {FmtBody(1, 1, 48000, 32), WavSampleFormat::kSigned32, 1, 48000, 4},
      {FmtBody(3, 2, 44100, 32), WavSampleFormat::kFloat32, 2, 44100, 8},
      {FmtBody(3, 1, 96000, 64), WavSampleFormat::kFloat64, 1, 96000, 8},
      {ExtensibleFmtBody(1, 2, 44100, 24), WavSampleFormat::kSigned24, 2, 44100, 6},
      {ExtensibleFmtBody(3, 6, 48000, 32), WavSampleFormat::kFloat32, 6, 48000, 24},
  };
  for (const Case& c : cases) {
    const Bytes image = Wav(c.fmt, Filled(c.blockAlign * 3));
    const std::optional<WavImage> wav = ParseWavImage(image);
    ASSERT_TRUE(wav.has_value()) << "block align " << c.blockAlign;
    EXPECT_EQ(wav->format, c.format);
    EXPECT_EQ(wav->channels, c.channels);
    EXPECT_EQ(wav->sampleRate, c.rate);
    EXPECT_EQ(wav->blockAlign, c.blockAlign);
    EXPECT_EQ(wav->FrameCount(), 3U);
    // The samples are the data chunk's own bytes, not a copy.
    EXPECT_EQ(wav->samples.data(), image.data() + image.size() - c.blockAlign * 3 - (c.blockAlign * 3) % 2);
    EXPECT_EQ(wav->samples[0], std::byte{1});
  }
}

TEST(WavImage, SkipsUnknownChunksWithOddPadding) {
  Bytes chunks;
  PutChunk(chunks, "LIST", Filled(5));  // odd: one pad byte follows
  PutChunk(chunks, "fmt ", FmtBody(1, 1, 11025, 8));
  PutChunk(chunks, "junk", Filled(1, 0x64));
  PutChunk(chunks, "data", Filled(7, 0x80));  // odd data length, padded
  PutChunk(chunks, "smpl", Filled(4));
  const Bytes image = Riff(chunks);
  const std::optional<WavImage> wav = ParseWavImage(image);
  ASSERT_TRUE(wav.has_value());
  ASSERT_EQ(wav->samples.size(), 7U);
  EXPECT_EQ(wav->samples[0], std::byte{0x80});
  EXPECT_EQ(wav->samples[6], std::byte{0x86});
}

TEST(WavImage, DataBeforeFormatIsAccepted) {
  Bytes chunks;
  PutChunk(chunks, "data", Filled(8));
  PutChunk(chunks, "fmt ", FmtBody(1, 2, 44100, 16));
  const std::optional<WavImage> wav = ParseWavImage(Riff(chunks));
  ASSERT_TRUE(wav.has_value());
  EXPECT_EQ(wav->FrameCount(), 2U);
}

TEST(WavImage, DataClaimingMoreThanPresentIsCutToWholeFrames) {
  Bytes chunks;
  PutChunk(chunks, "fmt ", FmtBody(1, 2, 44100, 16));
  PutChunk(chunks, "data", Filled(10), 0xFFFFFFF0U);  // 2.5 frames present
  const Bytes image = Riff(chunks);
  const std::optional<WavImage> wav = ParseWavImage(image);
  ASSERT_TRUE(wav.has_value());
  EXPECT_EQ(wav->samples.size(), 8U);
  EXPECT_TRUE(Inside(wav->samples, image));
  const ExactCopy exact(image);
  EXPECT_EQ(ParseWavImage(exact.View())->samples.size(), 8U);
}

TEST(WavImage, EmptyDataIsValidWithNoFrames) {
  const std::optional<WavImage> wav = ParseWavImage(Wav(FmtBody(1, 1, 44100, 16), {}));
  ASSERT_TRUE(wav.has_value());
  EXPECT_EQ(wav->FrameCount(), 0U);
}

TEST(WavImage, EveryTruncationIsSafe) {
  Bytes chunks;
  PutChunk(chunks, "LIST", Filled(3));
  PutChunk(chunks, "fmt ", ExtensibleFmtBody(1, 2, 44100, 16));
  PutChunk(chunks, "data", Filled(16));
  const Bytes image = Riff(chunks);
  const std::size_t dataStart = image.size() - 16;
  for (std::size_t length = 0; length <= image.size(); ++length) {
    const ExactCopy prefix(ByteView(image).first(length));
    const std::optional<WavImage> wav = ParseWavImage(prefix.View());
    if (length < dataStart) {
      EXPECT_FALSE(wav.has_value()) << length;  // the data chunk header is incomplete
    } else {
      ASSERT_TRUE(wav.has_value()) << length;
      EXPECT_EQ(wav->FrameCount(), (length - dataStart) / 4) << length;
    }
  }
}

TEST(WavImage, TheLayoutFromAnyHeadIsTheWholeImagesOrNone) {
  // Odd padding before the format, data claiming more than is present or less
  // (a chunk after it), 24-bit stereo.
  for (const std::uint32_t claimed : {0xFFFFFFF0U, 30U}) {
    SCOPED_TRACE(claimed);
    Bytes chunks;
    PutChunk(chunks, "LIST", Filled(3));
    PutChunk(chunks, "fmt ", ExtensibleFmtBody(1, 2, 48000, 24));
    PutChunk(chunks, "data", Filled(45), claimed);
    PutChunk(chunks, "LIST", Filled(4));
    const Bytes image = Riff(chunks);
    const std::optional<WavImage> whole = ParseWavImage(image);
    ASSERT_TRUE(whole.has_value());
    const std::size_t samplesAt = static_cast<std::size_t>(whole->samples.data() - image.data());
    for (std::size_t length = 0; length <= image.size(); ++length) {
      const std::optional<WavSampleLayout> layout =
          WavSampleLayoutFromHead(ByteView(image).first(length), image.size());
      // A head that stops short of the samples has none; every other one the whole's.
      if (length <= samplesAt) {
        EXPECT_FALSE(layout.has_value()) << length;
        continue;
      }
      ASSERT_TRUE(layout.has_value()) << length;
      EXPECT_EQ(layout->offset, samplesAt) << length;
      EXPECT_EQ(layout->frames, whole->FrameCount()) << length;
      EXPECT_EQ(layout->format.blockAlign, 6U);
      EXPECT_EQ(layout->format.channels, 2U);
      EXPECT_EQ(layout->format.sampleRate, 48000U);
      EXPECT_EQ(layout->format.format, WavSampleFormat::kSigned24);
    }
  }
}

TEST(WavImage, RejectsWhatIsNotAPlayableWav) {
  EXPECT_FALSE(ParseWavImage({}).has_value());
  EXPECT_FALSE(ParseWavImage(ExactCopy(AsBytes("RIFF")).View()).has_value());
  EXPECT_FALSE(
      ParseWavImage(ExactCopy(AsBytes("not a wave file at all, just some text")).View()).has_value());
  Bytes garbage;
  for (unsigned i = 0; i < 4096; ++i) garbage.push_back(static_cast<std::byte>((i * 2654435761U) >> 13));
  EXPECT_FALSE(ParseWavImage(ExactCopy(garbage).View()).has_value());

  const Bytes frames = Filled(16);
  Bytes noData;
  PutChunk(noData, "fmt ", FmtBody(1, 2, 44100, 16));
  Bytes noFormat;
  PutChunk(noFormat, "data", frames);
  Bytes rifx = Wav(FmtBody(1, 2, 44100, 16), frames);
  rifx[3] = std::byte{'X'};
  Bytes shortFmt = FmtBody(1, 2, 44100, 16);
  shortFmt.resize(14);
  Bytes badBlockAlign = FmtBody(1, 2, 44100, 16);
  badBlockAlign[12] = std::byte{3};
  Bytes badGuid = ExtensibleFmtBody(1, 2, 44100, 16);
  badGuid.back() = std::byte{0};
  Bytes shortExtensible = ExtensibleFmtBody(1, 2, 44100, 16);
  shortExtensible.resize(30);

  const Bytes rejected[] = {
      Riff(noData),
      Riff(noFormat),
      rifx,
      Wav(shortFmt, frames),
      Wav(badBlockAlign, frames),
      Wav(badGuid, frames),
      Wav(shortExtensible, frames),
      Wav(FmtBody(2, 2, 44100, 4), frames),       // ADPCM
      Wav(FmtBody(1, 2, 44100, 12), frames),      // odd sample size
      Wav(FmtBody(3, 2, 44100, 16), frames),      // 16-bit float
      Wav(FmtBody(1, 0, 44100, 16), frames),      // no channels
      Wav(FmtBody(1, 9, 44100, 16), Filled(18)),  // too many channels
      Wav(FmtBody(1, 2, 0, 16), frames),          // no rate
      Wav(FmtBody(1, 2, 100000000, 16), frames),  // absurd rate
  };
  for (std::size_t i = 0; i < std::size(rejected); ++i) {
    EXPECT_FALSE(ParseWavImage(ExactCopy(rejected[i]).View()).has_value()) << "case " << i;
  }
}

TEST(WavImage, ChunkSizeNearTheTopDoesNotWrap) {
  Bytes chunks;
  PutChunk(chunks, "fmt ", FmtBody(1, 1, 44100, 16));
  PutChunk(chunks, "LIST", Filled(4), 0xFFFFFFFFU);
  PutChunk(chunks, "data", Filled(4));
  // The oversized chunk swallows the rest, so no data chunk is found.
  const ExactCopy exact(Riff(chunks));
  EXPECT_FALSE(ParseWavImage(exact.View()).has_value());
}

}  // namespace
}  // namespace kvarbon
