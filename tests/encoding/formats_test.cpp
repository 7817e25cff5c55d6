// SPDX-License-Identifier: GPL-3.0-or-later
// The assignment list and the container, byte for byte.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include "app/core/file_error.h"
#include "app/core/file_lists.h"
#include "encoding/core/assignment_list.h"
#include "encoding/core/container_output.h"
#include "support/temp_dir.h"

namespace kvarbon {
namespace {

using testing::HexBytes;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(AssignmentList, ThreeFramesExampleIsTenBytesAndReadsBackAsIniSection) {
  TempDir dir;
  WriteAssignmentList(dir / "sound.ini", {"4", "", "0", ""});
  EXPECT_EQ(ReadFile(dir / "sound.ini"),
            HexBytes({0x31, 0x3D, 0x34, 0x0D, 0x0A, 0x33, 0x3D, 0x30, 0x0D, 0x0A}));
  EXPECT_EQ(ReadAssignmentList(dir / "sound.ini"), "1=4;3=0;");
}

TEST(AssignmentList, NoSoundGivesAnEmptyFileAndAnEmptySection) {
  TempDir dir;
  WriteAssignmentList(dir / "sound.ini", {"", "", ""});
  EXPECT_TRUE(std::filesystem::exists(dir / "sound.ini"));
  EXPECT_EQ(std::filesystem::file_size(dir / "sound.ini"), 0u);
  EXPECT_EQ(ReadAssignmentList(dir / "sound.ini"), "");
}

TEST(AssignmentList, FramesInNumericOrderWithoutPaddingAndEarlierContentDiscarded) {
  TempDir dir;
  WriteFile(dir / "sound.ini", std::string(100, 'x'));
  std::vector<std::string> table(13);
  table[1] = "7";
  table[9] = "7";
  table[11] = "3";
  WriteAssignmentList(dir / "sound.ini", table);
  EXPECT_EQ(ReadFile(dir / "sound.ini"), ToBytes("2=7\r\n10=7\r\n12=3\r\n"));
  EXPECT_EQ(ReadAssignmentList(dir / "sound.ini"), "2=7;10=7;12=3;");
}

TEST(AssignmentList, AFailingWriteKeepsTheEarlierListWholeAndLeavesNothingBehind) {
  TempDir dir;
  WriteFile(dir / "sound.ini", "1=0\r\n");
  // A full disk, through a file-size limit shorter than the new list.
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  const rlimit limited{4, old.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  int error = 0;
  try {
    WriteAssignmentList(dir / "sound.ini", {"0", "1", "2"});
  } catch (const FileError& failure) {
    EXPECT_EQ(failure.path(), dir / "sound.ini");
    error = failure.error();
  }
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(error, EFBIG);
  EXPECT_EQ(ReadFile(dir / "sound.ini"), ToBytes("1=0\r\n"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(AssignmentList, ReadingAMissingFileNamesIt) {
  TempDir dir;
  try {
    ReadAssignmentList(dir / "sound.ini");
    FAIL() << "no error";
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), dir / "sound.ini");
    EXPECT_NE(std::string(error.what()).find("sound.ini"), std::string::npos);
    EXPECT_NE(error.reason().find("No such file"), std::string::npos);
  }
}

// Copies both lists into dir / "Dest.zel" under `head` and returns the file.
Bytes Encode(const TempDir& dir, const FileListSource& File1, const FileListSource& File2, const std::string& head,
             const MediaWarning& warn = {}, FileCopier::Mode mode = FileCopier::Mode::kKernelFirst) {
  ContainerOutput output(dir / "Dest.zel", head, File2, warn, mode);
  output.CopySlides(File1);
  output.CopySounds(File2);
  output.Commit(head);
  return ReadFile(dir / "Dest.zel");
}

// The worked example (tests/show/container_reader_test.cpp holds its 67 bytes):
// the encoder writes the writer's layout.
TEST(Container, WorkedExampleIsTheWritersLayout) {
  TempDir dir;
  WriteFile(dir / "pic" / "a.bmp", HexBytes({0x42, 0x4D, 0x00, 0xFF}));
  WriteFile(dir / "pic" / "b.gif", HexBytes({0x47, 0x49, 0x46, 0x38}));
  WriteFile(dir / "snd" / "s.wav", HexBytes({0x52, 0x49, 0x46, 0x46}));
  FileListSource File1{std::string(kSlidePattern)};
  FileListSource File2{std::string(kSoundPattern)};
  File1.SetDirectory(dir / "pic");
  File2.SetDirectory(dir / "snd");

  WriteAssignmentList(dir / "sound.ini", {"", "0", ""});
  EXPECT_EQ(ReadFile(dir / "sound.ini"), HexBytes({0x32, 0x3D, 0x30, 0x0D, 0x0A}));
  EXPECT_EQ(Encode(dir, File1, File2, ContainerHead(50, ReadAssignmentList(dir / "sound.ini"))),
            JoinContainer(50, "2=0;", {HexBytes({0x52, 0x49, 0x46, 0x46})},
                          {HexBytes({0x42, 0x4D, 0x00, 0xFF}), HexBytes({0x47, 0x49, 0x46, 0x38})}));
}

TEST(Container, EmptySectionsAndEmptyMediaFiles) {
  TempDir dir;
  WriteFile(dir / "pic" / "1.jpg", std::string_view{});
  WriteFile(dir / "pic" / "2.jpg", "B");
  std::filesystem::create_directories(dir / "snd");
  FileListSource File1{std::string(kSlidePattern)};
  FileListSource File2{std::string(kSoundPattern)};
  File1.SetDirectory(dir / "pic");
  File2.SetDirectory(dir / "snd");
  EXPECT_EQ(Encode(dir, File1, File2, ContainerHead(1000, "")),
            ToBytes("speed1000\\speedini\\inisound\\soundvideo-|-B-|-\\video"));
}

// Sizes on both sides of the copy chunk, every byte value, and markers across
// the chunk's joints, copied in the kernel and through the buffer alike.
TEST(Container, FilesAroundTheCopyChunkPassUnchangedAndTheirMarkersAreFound) {
  TempDir dir;
  std::vector<Bytes> slides;
  for (const std::size_t size : {kCopyChunk - 1, kCopyChunk, kCopyChunk + 1, 2 * kCopyChunk + 5}) {
    Bytes bytes(size);
    for (std::size_t k = 0; k < size; ++k) bytes[k] = static_cast<std::byte>((k * 7 + size) % 256 == '-' ? 0 : (k * 7 + size) % 256);
    slides.push_back(std::move(bytes));
  }
  const auto put = [](Bytes& bytes, std::size_t at, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) bytes[at + i] = static_cast<std::byte>(text[i]);
  };
  put(slides[1], kCopyChunk - 2, "-|");              // the end rule, at the end of a whole chunk
  put(slides[3], kCopyChunk - 2, "-|-");             // across the first joint
  put(slides[3], 2 * kCopyChunk - 1, "\\video");     // across the second, to the last byte
  for (std::size_t i = 0; i < slides.size(); ++i) WriteFile(dir / "pic" / (std::to_string(i) + ".gif"), slides[i]);
  WriteFile(dir / "snd" / "a.wav", slides[0]);
  FileListSource File1{std::string(kSlidePattern)};
  FileListSource File2{std::string(kSoundPattern)};
  File1.SetDirectory(dir / "pic");
  File2.SetDirectory(dir / "snd");

  for (const FileCopier::Mode mode : {FileCopier::Mode::kKernelFirst, FileCopier::Mode::kBufferOnly}) {
    std::vector<std::string> lines;
    const Bytes written = Encode(dir, File1, File2, ContainerHead(20, "1=0;"), [&](const std::string& line) { lines.push_back(line); }, mode);
    EXPECT_TRUE(written == JoinContainer(20, "1=0;", {slides[0]}, slides));
    ASSERT_EQ(lines.size(), 2u) << ::testing::PrintToString(lines);
    EXPECT_NE(lines[0].find("1.gif\" ends in \"-|\";"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("3.gif\" contains \"-|-\", \"\\video\";"), std::string::npos) << lines[1];
  }
}

TEST(Container, CopyCallsBackAfterEachFileAndAFileGoneStopsItAfterEveryFileBeforeIt) {
  TempDir dir;
  for (int i = 1; i <= 9; ++i) WriteFile(dir / "pic" / (std::to_string(i) + ".bmp"), std::to_string(i));
  WriteFile(dir / "snd" / "10.wav", "ten");
  WriteFile(dir / "snd" / "2.wav", "two");
  FileListSource File1{std::string(kSlidePattern)};
  FileListSource File2{std::string(kSoundPattern)};
  File1.SetDirectory(dir / "pic");
  File2.SetDirectory(dir / "snd");
  std::vector<int> calls;
  {
    ContainerOutput output(dir / "Dest.zel", ContainerHead(50, ""), File2, {});
    output.CopySounds(File2, [&](int position) { calls.push_back(position); });
    EXPECT_EQ(calls, (std::vector<int>{0, 1}));
  }
  std::filesystem::remove(dir / "pic" / "4.bmp");
  calls.clear();
  try {
    ContainerOutput output(dir / "Dest.zel", ContainerHead(50, ""), File2, {});
    output.CopySlides(File1, [&](int position) { calls.push_back(position); });
    FAIL() << "no error for a removed slide";
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), dir / "pic" / "4.bmp");
  }
  EXPECT_EQ(calls, (std::vector<int>{0, 1, 2}));
  // Nothing left in the folder of either output.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"pic", "snd"}));
}

}  // namespace
}  // namespace kvarbon
