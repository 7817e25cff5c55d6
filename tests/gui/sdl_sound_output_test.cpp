// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/platform/sdl_sound_output.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "support/compressed_wav.h"
#include "support/media_samples.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace kvarbon {
namespace {

using kvarbon::testing::ScopedEnv;
using kvarbon::testing::TempDir;

// A WAV image with a plain (tag 1 or 3) or extensible format chunk.
Bytes MakeWav(unsigned tag, unsigned channels, unsigned bits, const Bytes& data, bool extensible = false,
              std::uint32_t rate = 44100) {
  return testing::FormattedWav(tag, channels, bits, data, extensible, rate);
}

// One frame as the device (16-bit stereo) receives it.
struct Frame {
  int left;
  int right;
};

// A 16-bit stereo sound in the device's own format.
Bytes DeviceFormatWav(const std::vector<Frame>& frames) {
  Bytes data;
  for (const Frame& f : frames) {
    testing::PutLe(data, static_cast<std::uint16_t>(f.left), 2);
    testing::PutLe(data, static_cast<std::uint16_t>(f.right), 2);
  }
  return MakeWav(1, 2, 16, data);
}

// Frames never silent: left rising from `start`, right its negation.
std::vector<Frame> Ramp(std::size_t count, int start, int span = 20000) {
  std::vector<Frame> frames;
  for (std::size_t i = 0; i < count; ++i) {
    const int value = start + static_cast<int>(i % static_cast<std::size_t>(span));
    frames.push_back({value, -value});
  }
  return frames;
}

bool Near(const Frame& a, const Frame& b) {
  return std::abs(a.left - b.left) <= 1 && std::abs(a.right - b.right) <= 1;
}
bool Silent(const Frame& f) { return f.left == 0 && f.right == 0; }

bool WaitFor(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// An SdlSoundOutput on SDL's disk driver: everything it plays lands, as raw
// device frames, in a file.
class DiskOutput {
 public:
  DiskOutput()
      : driver_("SDL_AUDIODRIVER", "disk"), file_("SDL_DISKAUDIOFILE", (dir_ / "out.raw").native()) {}

  SdlSoundOutput& Sound() { return sound_; }

  std::vector<Frame> Written() const {
    const std::filesystem::path path = dir_ / "out.raw";
    if (!std::filesystem::exists(path)) return {};
    const Bytes bytes = kvarbon::testing::ReadFile(path);
    std::vector<Frame> frames;
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
      std::int16_t left = 0;
      std::int16_t right = 0;
      std::memcpy(&left, bytes.data() + at, 2);
      std::memcpy(&right, bytes.data() + at + 2, 2);
      frames.push_back({left, right});
    }
    return frames;
  }

  // Waits until `count` frames follow the first sounding one, and returns the output from there.
  std::vector<Frame> SoundFromStart(std::size_t count) const {
    std::vector<Frame> out;
    const bool arrived = WaitFor([&] {
      const std::vector<Frame> all = Written();
      std::size_t first = 0;
      while (first < all.size() && Silent(all[first])) ++first;
      if (all.size() - first < count) return false;
      out.assign(all.begin() + static_cast<std::ptrdiff_t>(first), all.end());
      return true;
    });
    EXPECT_TRUE(arrived) << "sound never reached the device";
    return out;
  }

 private:
  TempDir dir_;
  ScopedEnv driver_;
  ScopedEnv file_;
  SdlSoundOutput sound_;
};

TEST(SdlSoundOutput, DeviceFormatSoundIsWrittenSampleForSample) {
  // Sounds are declared before the output, which may read them until it is gone.
  const std::vector<Frame> frames = Ramp(4410, 100);
  const Bytes wav = DeviceFormatWav(frames);
  DiskOutput disk;
  ASSERT_TRUE(disk.Sound().HasDevice());
  disk.Sound().Play(wav);

  const std::vector<Frame> out = disk.SoundFromStart(frames.size() + 1);
  ASSERT_GT(out.size(), frames.size());
  for (std::size_t i = 0; i < frames.size(); ++i) {
    ASSERT_TRUE(Near(out[i], frames[i])) << "frame " << i << ": " << out[i].left << "," << out[i].right;
  }
  EXPECT_TRUE(Silent(out[frames.size()]));
}

TEST(SdlSoundOutput, OtherEncodingsAreConvertedToTheDevice) {
  // Sample values in [-1, 1), never zero.
  std::vector<double> values;
  for (int i = 0; i < 2000; ++i) values.push_back(((i * 7919) % 65000 - 32500 + 0.25) / 32768.0);

  // Each case stores the values in its encoding and keeps what it stored, as a fraction of full scale.
  struct Case {
    const char* name;
    unsigned channels;
    Bytes wav;
    std::vector<double> stored;
  };
  std::vector<Case> cases;
  const auto add = [&](const char* name, unsigned tag, unsigned channels, unsigned bits, bool extensible,
                       const std::function<double(double, Bytes&)>& store) {
    Case c{name, channels, {}, {}};
    Bytes data;
    for (const double v : values) c.stored.push_back(store(v, data));
    c.wav = MakeWav(tag, channels, bits, data, extensible);
    cases.push_back(std::move(c));
  };
  const auto integer = [](double scale, std::size_t bytes, long offset) {
    return [=](double v, Bytes& data) {
      const long q = std::lround(std::floor(v * scale));
      testing::PutLe(data, static_cast<std::uint64_t>(q + offset), bytes);
      return static_cast<double>(q) / scale;
    };
  };
  add("unsigned 8-bit mono", 1, 1, 8, false, integer(128.0, 1, 128));
  add("24-bit mono", 1, 1, 24, false, integer(8388608.0, 3, 0));
  add("extensible 32-bit stereo", 1, 2, 32, true, integer(2147483648.0, 4, 0));
  add("float stereo", 3, 2, 32, false, [](double v, Bytes& data) {
    const auto f = static_cast<float>(v);
    testing::PutLe(data, std::bit_cast<std::uint32_t>(f), 4);
    return static_cast<double>(f);
  });
  add("double mono", 3, 1, 64, false, [](double v, Bytes& data) {
    testing::PutLe(data, std::bit_cast<std::uint64_t>(v), 8);
    return v;
  });

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DiskOutput disk;
    disk.Sound().Play(c.wav);
    const std::size_t frames = values.size() / c.channels;
    const std::vector<Frame> out = disk.SoundFromStart(frames + 1);
    ASSERT_GT(out.size(), frames);
    for (std::size_t i = 0; i < frames; ++i) {
      const double left = c.stored[i * c.channels];
      const double right = c.stored[i * c.channels + c.channels - 1];
      ASSERT_NEAR(out[i].left, left * 32767.0, 1.5) << "frame " << i;
      ASSERT_NEAR(out[i].right, right * 32767.0, 1.5) << "frame " << i;
    }
    EXPECT_TRUE(Silent(out[frames]));
  }
}

TEST(SdlSoundOutput, CompressedEncodingsAreDecodedAndPlayed) {
  // A tone well inside full scale, never zero at the start: each encoding
  // follows it within its quantisation.
  std::vector<int> tone;
  for (int i = 0; i < 4097; ++i) tone.push_back(static_cast<int>(std::lround(10000 * std::sin(i * 0.08 + 1))));
  const std::vector<int> evenTone(tone.begin(), tone.end() - 1);
  const struct {
    const char* name;
    Bytes wav;
    std::size_t frames;
  } cases[] = {
      {"A-law", testing::LawWav(6, tone), tone.size()},
      {"mu-law", testing::LawWav(7, tone), tone.size()},
      {"IMA ADPCM", testing::ImaAdpcmWav(tone), tone.size()},
      {"MS ADPCM", testing::MsAdpcmWav(evenTone), evenTone.size()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DiskOutput disk;
    disk.Sound().Play(c.wav);
    const std::vector<Frame> out = disk.SoundFromStart(c.frames + 1);
    ASSERT_GT(out.size(), c.frames);
    int worst = 0;
    for (std::size_t i = 0; i < c.frames; ++i) {
      ASSERT_EQ(out[i].left, out[i].right) << "frame " << i;
      worst = std::max(worst, std::abs(out[i].left - tone[i]));
    }
    EXPECT_LE(worst, 400);
    EXPECT_TRUE(Silent(out[c.frames]));
  }
}

TEST(SdlSoundOutput, ResampledSoundKeepsItsLength) {
  // A steady level at half the device rate: two output frames per input frame.
  constexpr std::size_t kFrames = 5000;
  Bytes data;
  for (std::size_t i = 0; i < kFrames; ++i) testing::PutLe(data, std::bit_cast<std::uint32_t>(0.25F), 4);
  const Bytes wav = MakeWav(3, 1, 32, data, false, 22050);
  DiskOutput disk;
  disk.Sound().Play(wav);

  const std::vector<Frame> out = disk.SoundFromStart(kFrames * 2 + 1024);
  std::size_t sounding = 0;
  while (sounding < out.size() && !Silent(out[sounding])) ++sounding;
  EXPECT_GE(sounding, kFrames * 2 - 64);
  EXPECT_LE(sounding, kFrames * 2);
  for (std::size_t i = sounding; i < out.size(); ++i) ASSERT_TRUE(Silent(out[i])) << "frame " << i;
  EXPECT_NEAR(out[kFrames].left, 8192, 100);
  EXPECT_NEAR(out[kFrames].right, 8192, 100);
}

TEST(SdlSoundOutput, NewSoundCutsOffTheOneSounding) {
  // Far longer than the test takes to switch, so the first is still sounding.
  const std::vector<Frame> first = Ramp(44100 * 30, 1);
  const std::vector<Frame> second = Ramp(3000, -25000, 3000);
  const Bytes firstWav = DeviceFormatWav(first);
  const Bytes secondWav = DeviceFormatWav(second);
  DiskOutput disk;

  disk.Sound().Play(firstWav);
  disk.SoundFromStart(4096);
  disk.Sound().Play(secondWav);

  // The first sound's head, then the whole second sound, then silence.
  std::vector<Frame> out;
  std::size_t cut = 0;
  const bool switched = WaitFor([&] {
    out = disk.SoundFromStart(1);
    cut = 0;
    while (cut < out.size() && cut < first.size() && Near(out[cut], first[cut])) ++cut;
    return out.size() > cut + second.size();
  });
  ASSERT_TRUE(switched);
  ASSERT_GE(cut, 4096U);
  for (std::size_t i = 0; i < second.size(); ++i) {
    ASSERT_TRUE(Near(out[cut + i], second[i])) << "second sound frame " << i;
  }
  for (std::size_t i = cut + second.size(); i < out.size(); ++i) {
    ASSERT_TRUE(Silent(out[i])) << "after the second sound, frame " << i;
  }
}

TEST(SdlSoundOutput, UnplayableImageIsSilentAndEndsTheSoundPlaying) {
  const Bytes empty;
  const Bytes garbage = ToBytes("RIFF\xff\xff\xff\xffWAVEfmt \x10\x00\x00\x00garbage");
  const std::vector<Frame> first = Ramp(44100 * 30, 1);
  const Bytes firstWav = DeviceFormatWav(first);
  DiskOutput disk;
  disk.Sound().Play(empty);
  disk.Sound().Play(garbage);

  disk.Sound().Play(firstWav);
  disk.SoundFromStart(4096);
  disk.Sound().Play(garbage);

  std::vector<Frame> out;
  std::size_t cut = 0;
  ASSERT_TRUE(WaitFor([&] {
    out = disk.SoundFromStart(1);
    cut = 0;
    while (cut < out.size() && cut < first.size() && Near(out[cut], first[cut])) ++cut;
    return out.size() > cut + 8192;
  }));
  EXPECT_LT(cut, first.size());
  for (std::size_t i = cut; i < out.size(); ++i) ASSERT_TRUE(Silent(out[i])) << "frame " << i;
}

TEST(SdlSoundOutput, DestroyingWhileASoundPlaysIsSafe) {
  const Bytes wav = DeviceFormatWav(Ramp(44100 * 5, 1));
  SdlSoundOutput sound;  // the dummy driver
  sound.Play(wav);
  sound.Play(wav);
}

TEST(SdlSoundOutput, WithoutADeviceStaysSilent) {
  const ScopedEnv driver("SDL_AUDIODRIVER", "nonexistent");
  ::testing::internal::CaptureStderr();
  std::optional<SdlSoundOutput> sound;
  sound.emplace();
  const std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(sound->HasDevice());
  EXPECT_EQ(printed.rfind("kvarbon: нет звукового устройства (", 0), 0U) << printed;
  EXPECT_EQ(printed.find('\n'), printed.size() - 1) << printed;

  const Bytes wav = DeviceFormatWav(Ramp(100, 1));
  sound->Play(wav);
  sound->Play({});
  sound.reset();
}

}  // namespace
}  // namespace kvarbon
