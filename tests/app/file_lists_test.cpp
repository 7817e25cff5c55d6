// SPDX-License-Identifier: GPL-3.0-or-later
// The file lists: which names are listed, and in which order.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/core/file_error.h"
#include "app/core/file_lists.h"
#include "support/temp_dir.h"

namespace kvarbon {
namespace {

using testing::TempDir;
using testing::WriteFile;

std::vector<std::string> Entries(const FileListSource& list) {
  std::vector<std::string> names;
  for (int p = 0; p < list.Count(); ++p) names.push_back(list.Entry(p));
  return names;
}

TEST(FileLists, PatternsMatchWithoutLetterCaseAndOnlyRegularVisibleFiles) {
  TempDir dir;
  for (const char* name : {"IMG.JPG", "a.bmp", "b.Gif", "c.png", "d.jpeg", "e.jpg.txt", ".hidden.jpg",
                           "f.bmp"}) {
    WriteFile(dir / name, "x");
  }
  std::filesystem::create_directory(dir / "folder.jpg");
  ASSERT_EQ(::mkfifo((dir / "pipe.gif").c_str(), 0600), 0);
  std::filesystem::create_symlink(dir / "a.bmp", dir / "link.bmp");
  FileListSource list{std::string(kSlidePattern)};
  list.SetDirectory(dir.path());
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"a.bmp", "b.Gif", "f.bmp", "IMG.JPG", "link.bmp"}));
}

TEST(FileLists, OrderIsByNameWithNumbersByValueAndFixed) {
  TempDir dir;
  for (const char* name : {"10.wav", "2.wav", "1.wav", "B.wav", "a.wav", "a2.wav", "a10.wav", "A.wav",
                           "002.wav"}) {
    WriteFile(dir / name, "x");
  }
  FileListSource list{std::string(kSoundPattern)};
  list.SetDirectory(dir.path());
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"1.wav", "002.wav", "2.wav", "10.wav", "A.wav",
                                                     "a.wav", "a2.wav", "a10.wav", "B.wav"}));
  EXPECT_EQ(list.Entry(3), list.Entry(3));
  EXPECT_EQ(list.PathOf(3), dir / "10.wav");
  EXPECT_THROW(list.Entry(9), std::out_of_range);
  EXPECT_THROW(list.Entry(-1), std::out_of_range);
}

TEST(FileLists, MatcherHandlesStarsQuestionMarksAndAlternatives) {
  EXPECT_TRUE(MatchesPattern("x.WAV", "*.wav"));
  EXPECT_TRUE(MatchesPattern(".wav", "*.wav"));
  EXPECT_FALSE(MatchesPattern("x.wavx", "*.wav"));
  EXPECT_TRUE(MatchesPattern("a.b.gif", "*.bmp;*.jpg;*.gif"));
  EXPECT_FALSE(MatchesPattern("a.jpe", "*.bmp;*.jpg;*.gif"));
  EXPECT_TRUE(MatchesPattern("ab", "a?"));
  EXPECT_FALSE(MatchesPattern("abc", "a?"));
}

TEST(FileLists, MoreThanTheLimitIsRefused) {
  TempDir dir;
  for (int i = 0; i <= kMaxListEntries; ++i) {
    const int fd = ::creat((dir / (std::to_string(i) + ".wav")).c_str(), 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
  }
  FileListSource list{std::string(kSoundPattern)};
  try {
    list.SetDirectory(dir.path());
    FAIL() << "no error";
  } catch (const InputError& error) {
    EXPECT_NE(std::string(error.what()).find("32768"), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace kvarbon
