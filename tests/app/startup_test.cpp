// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: lists, table sizes, rate, and the sound bank read byte for byte.
#include <gtest/gtest.h>

#include "app/core/file_error.h"
#include "app/core/startup.h"
#include "support/temp_dir.h"
#include <unistd.h>

#include <cstdint>

namespace kvarbon {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

struct Started {
  SharedState state;
  FileListSource File1{std::string(kSlidePattern)};
  FileListSource File2{std::string(kSoundPattern)};
  void Run(const std::filesystem::path& dir) { RunStartup(dir, state, File1, File2); }
};

TEST(Startup, BankHoldsEveryByteOfEverySoundInListOrder) {
  TempDir dir;
  Bytes all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::byte>(255 - b));
  WriteFile(dir / "snd" / "a.wav", all);
  WriteFile(dir / "snd" / "b.wav", std::string_view{});  // zero length
  WriteFile(dir / "snd" / "c.WAV", "RIFF");
  WriteFile(dir / "pic" / "1.bmp", "x");
  WriteFile(dir / "pic" / "2.jpg", "y");
  WriteFile(dir / "pic" / "3.gif", "z");

  Started s;
  s.state.FrameInterval = 7;
  s.Run(dir.path());
  ASSERT_EQ(s.File2.Count(), 3);
  ASSERT_EQ(s.state.SoundBank.size(), 4u);
  EXPECT_EQ(s.state.SoundBank[0], all);
  EXPECT_TRUE(s.state.SoundBank[1].empty());
  EXPECT_EQ(s.state.SoundBank[2], ToBytes("RIFF"));
  EXPECT_TRUE(s.state.SoundBank[3].empty());
  EXPECT_EQ(s.state.SlideSoundTable, std::vector<std::string>(4));
  EXPECT_EQ(s.state.FrameInterval, 50);
}

TEST(Startup, ManySoundsOfMixedSizesKeepTheirBytesAndPlaces) {
  // Several files are read at a time; each must still land at its own position.
  const std::size_t large = std::size_t{2} << 20;
  const std::vector<std::size_t> sizes{large + 1, 3, large - 1, large, 0, 3 * large + 4097, 1, large + 4096};
  TempDir dir;
  std::filesystem::create_directories(dir / "pic");
  std::vector<Bytes> expected;
  std::uint32_t seed = 12345;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    Bytes sound(sizes[i]);
    for (std::byte& b : sound) b = static_cast<std::byte>((seed = seed * 1103515245u + 12345u) >> 24);
    WriteFile(dir / "snd" / ("s" + std::to_string(i) + ".wav"), sound);
    expected.push_back(std::move(sound));
  }
  expected.emplace_back();

  Started s;
  s.Run(dir.path());
  ASSERT_EQ(s.state.SoundBank.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_TRUE(s.state.SoundBank[i] == expected[i]) << i;
}

TEST(Startup, EmptyFoldersGiveOneElementTables) {
  TempDir dir;
  std::filesystem::create_directories(dir / "pic");
  std::filesystem::create_directories(dir / "snd");
  Started s;
  s.Run(dir.path());
  EXPECT_EQ(s.File1.Count(), 0);
  EXPECT_EQ(s.File2.Count(), 0);
  EXPECT_EQ(s.state.SoundBank, std::vector<Bytes>(1));
  EXPECT_EQ(s.state.SlideSoundTable, std::vector<std::string>(1));
}

TEST(Startup, MissingFolderIsAnErrorNamingIt) {
  for (const char* missing : {"pic", "snd"}) {
    TempDir dir;
    std::filesystem::create_directories(dir / "pic");
    std::filesystem::create_directories(dir / "snd");
    std::filesystem::remove(dir / missing);
    Started s;
    try {
      s.Run(dir.path());
      FAIL() << "no error for missing " << missing;
    } catch (const FileError& error) {
      EXPECT_EQ(error.path(), dir / missing);
      EXPECT_NE(error.reason().find("No such file"), std::string::npos) << error.what();
      // In Russian, with the path in full, and what a show folder holds.
      const std::string text = error.what();
      EXPECT_EQ(text.rfind("Не удалось открыть папку «" + (dir / missing).native() + "»: ", 0), 0U) << text;
      EXPECT_NE(text.find("папку pic с картинками"), std::string::npos) << text;
      EXPECT_NE(text.find("папку snd со звуками"), std::string::npos) << text;
    }
  }
}

TEST(Startup, UnreadableSoundIsAnErrorNamingIt) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
  TempDir dir;
  std::filesystem::create_directories(dir / "pic");
  WriteFile(dir / "snd" / "locked.wav", "RIFF");
  std::filesystem::permissions(dir / "snd" / "locked.wav", std::filesystem::perms::none);
  Started s;
  EXPECT_THROW(s.Run(dir.path()), FileError);
}

TEST(Startup, CyrillicSpacesAndNonUtf8NamesAreListedAndRead) {
  TempDir dir;
  std::filesystem::create_directories(dir / "pic");
  const std::string cyrillic = "звук один.wav";
  const std::string latin1 = std::string("caf\xE9 \xFF.wav");  // not valid UTF-8
  WriteFile(dir / "snd" / cyrillic, "one");
  WriteFile(dir / "snd" / latin1, "two");
  Started s;
  s.Run(dir.path());
  ASSERT_EQ(s.File2.Count(), 2);
  // "c" sorts before the Cyrillic letters' lead bytes.
  EXPECT_EQ(s.File2.Entry(0), latin1);
  EXPECT_EQ(s.File2.Entry(1), cyrillic);
  EXPECT_EQ(s.state.SoundBank[0], ToBytes("two"));
  EXPECT_EQ(s.state.SoundBank[1], ToBytes("one"));
}

}  // namespace
}  // namespace kvarbon
