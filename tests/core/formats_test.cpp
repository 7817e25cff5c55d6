// The assignment list and the container, byte for byte.
#include <gtest/gtest.h>

#include "app/core/file_error.h"
#include "app/core/file_lists.h"
#include "encoding/core/assignment_list.h"
#include "encoding/core/container.h"
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

// The worked example: 50 ms, slides 42 4D 00 FF and 47 49 46 38, one sound
// 52 49 46 46 on frame 2.
TEST(Container, WorkedExampleIsSixtySevenBytes) {
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

  const ByteChain video = GatherPayloads(File1, MediaSection::kVideo);
  const ByteChain sound = GatherPayloads(File2, MediaSection::kSound);
  const Container container =
      BuildContainer(50, ReadAssignmentList(dir / "sound.ini"), sound, video);
  const Bytes expected = HexBytes({
      0x73, 0x70, 0x65, 0x65, 0x64,        // speed
      0x35, 0x30,                          // 50
      0x5C, 0x73, 0x70, 0x65, 0x65, 0x64,  // \speed
      0x69, 0x6E, 0x69,                    // ini
      0x32, 0x3D, 0x30, 0x3B,              // 2=0;
      0x5C, 0x69, 0x6E, 0x69,              // \ini
      0x73, 0x6F, 0x75, 0x6E, 0x64,        // sound
      0x52, 0x49, 0x46, 0x46,              // sound 0
      0x2D, 0x7C, 0x2D,                    // -|-
      0x5C, 0x73, 0x6F, 0x75, 0x6E, 0x64,  // \sound
      0x76, 0x69, 0x64, 0x65, 0x6F,        // video
      0x42, 0x4D, 0x00, 0xFF,              // frame 1
      0x2D, 0x7C, 0x2D,                    // -|-
      0x47, 0x49, 0x46, 0x38,              // frame 2
      0x2D, 0x7C, 0x2D,                    // -|-
      0x5C, 0x76, 0x69, 0x64, 0x65, 0x6F,  // \video
  });
  ASSERT_EQ(expected.size(), 67u);
  EXPECT_EQ(container.Size(), 67u);
  EXPECT_EQ(container.ToBytes(), expected);
}

TEST(Container, EmptySectionsAndEmptyMediaFiles) {
  TempDir dir;
  WriteFile(dir / "pic" / "1.jpg", std::string_view{});
  WriteFile(dir / "pic" / "2.jpg", "B");
  FileListSource File1{std::string(kSlidePattern)};
  File1.SetDirectory(dir / "pic");
  const ByteChain video = GatherPayloads(File1, MediaSection::kVideo);
  const ByteChain noSounds;
  EXPECT_EQ(BuildContainer(1000, "", noSounds, video).ToBytes(),
            ToBytes("speed1000\\speedini\\inisound\\soundvideo-|-B-|-\\video"));
}

TEST(Container, GatherCallsBackAfterEachFileInListOrder) {
  TempDir dir;
  WriteFile(dir / "snd" / "10.wav", "ten");
  WriteFile(dir / "snd" / "2.wav", "two");
  FileListSource File2{std::string(kSoundPattern)};
  File2.SetDirectory(dir / "snd");
  std::vector<int> calls;
  const ByteChain sound = GatherPayloads(File2, MediaSection::kSound, [&](int position) { calls.push_back(position); });
  EXPECT_EQ(calls, (std::vector<int>{0, 1}));
  EXPECT_EQ(sound.Flatten(), ToBytes("two-|-ten-|-"));
}

TEST(Container, AFileGoneSinceListingStopsTheGatherAfterEveryFileBeforeIt) {
  TempDir dir;
  for (int i = 1; i <= 9; ++i) WriteFile(dir / "pic" / (std::to_string(i) + ".bmp"), std::to_string(i));
  FileListSource File1{std::string(kSlidePattern)};
  File1.SetDirectory(dir / "pic");
  std::filesystem::remove(dir / "pic" / "4.bmp");
  std::filesystem::remove(dir / "pic" / "7.bmp");
  ByteChain video;
  std::vector<int> calls;
  try {
    GatherPayloadsInto(File1, MediaSection::kVideo, video, [&](int position) { calls.push_back(position); });
    FAIL() << "no error for a removed slide";
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), dir / "pic" / "4.bmp");
  }
  EXPECT_EQ(calls, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(video.Flatten(), ToBytes("1-|-2-|-3-|-"));
}

TEST(Container, MediaHoldingTheSeparatorOrATagAreNamedInOneLineEach) {
  TempDir dir;
  WriteFile(dir / "pic" / "1.jpg", "plain");
  WriteFile(dir / "pic" / "2.jpg", "ab-|-cd");
  WriteFile(dir / "pic" / "3.jpg", "x\\videoy");
  FileListSource File1{std::string(kSlidePattern)};
  File1.SetDirectory(dir / "pic");
  std::vector<std::string> lines;
  const ByteChain video = GatherPayloads(File1, MediaSection::kVideo, {}, [&](const std::string& line) { lines.push_back(line); });
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("2.jpg"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("\"-|-\""), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("3.jpg"), std::string::npos) << lines[1];
  EXPECT_EQ(video.Flatten(), ToBytes("plain-|-ab-|-cd-|-x\\videoy-|-"));
}

TEST(Container, AllByteValuesPassUnchanged) {
  TempDir dir;
  Bytes all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::byte>(b));
  WriteFile(dir / "pic" / "x.gif", all);
  FileListSource File1{std::string(kSlidePattern)};
  File1.SetDirectory(dir / "pic");
  ByteChain video = GatherPayloads(File1, MediaSection::kVideo);
  Bytes expected = all;
  for (char c : std::string_view("-|-")) expected.push_back(static_cast<std::byte>(c));
  EXPECT_EQ(video.Flatten(), expected);
}

}  // namespace
}  // namespace kvarbon
