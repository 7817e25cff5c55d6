// SPDX-License-Identifier: GPL-3.0-or-later
// The container's layout and reading it back: the worked example, round trips
// of what the encoder writes, media that contain the markers, and damaged input.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>

#include "app/core/file_lists.h"
#include "support/media_samples.h"
#include "encoding/core/container_output.h"
#include "show/core/container_reader.h"
#include "show/core/show_file.h"
#include "show/core/zel_format.h"
#include "support/temp_dir.h"

namespace kvarbon {
namespace {

using testing::Bmp;
using testing::Gif;
using testing::HexBytes;
using testing::Jpeg;
using testing::Put;
using testing::TempDir;
using testing::Wav;
using testing::WriteFile;

// Each file followed by "-|-", as a media section.
Bytes Section(const std::vector<Bytes>& files) {
  Bytes section;
  for (const Bytes& file : files) {
    Put(section, file);
    Put(section, "-|-");
  }
  return section;
}

Bytes MakeContainer(std::string_view ini, const std::vector<Bytes>& sounds, const std::vector<Bytes>& slides) {
  Bytes out = ToBytes("speed50\\speedini");
  Put(out, ini);
  Put(out, "\\inisound");
  Put(out, Section(sounds));
  Put(out, "\\soundvideo");
  Put(out, Section(slides));
  Put(out, "\\video");
  return out;
}

std::vector<std::string> Subjects(const ContainerContents& contents) {
  std::vector<std::string> subjects;
  for (const ContainerProblem& problem : contents.problems) subjects.push_back(problem.subject);
  return subjects;
}

// Every payload lies inside the input, in order, without overlapping.
void ExpectPayloadsInside(const ContainerContents& contents) {
  std::size_t end = 0;
  for (const auto* section : {&contents.sounds, &contents.slides}) {
    for (const MediaPayload& payload : *section) {
      EXPECT_GE(payload.offset, end);
      ASSERT_LE(payload.offset, contents.size);
      EXPECT_LE(payload.size, contents.size - payload.offset);
      end = payload.offset + payload.size;
    }
  }
}

// The worked example: 50 ms, one sound 52 49 46 46 on frame 2, slides
// 42 4D 00 FF and 47 49 46 38. The writer's layout makes exactly these bytes
// (the encoder's output is checked against that layout) and the reader finds
// every part where it lies.
TEST(Container, WorkedExampleOfSixtySevenBytesIsJoinedAndReadBack) {
  const Bytes example = HexBytes({
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
  ASSERT_EQ(example.size(), 67u);
  EXPECT_EQ(JoinContainer(50, "2=0;", {HexBytes({0x52, 0x49, 0x46, 0x46})},
                          {HexBytes({0x42, 0x4D, 0x00, 0xFF}), HexBytes({0x47, 0x49, 0x46, 0x38})}),
            example);
  EXPECT_EQ(ToBytes(ContainerHead(50, "2=0;")), Bytes(example.begin(), example.begin() + 29));

  const ContainerContents contents = ReadContainer(example);
  ASSERT_FALSE(contents.error) << contents.error->Describe();
  EXPECT_TRUE(contents.Clean());
  EXPECT_EQ(contents.speedText, "50");
  EXPECT_EQ(contents.frameInterval, 50);
  ASSERT_EQ(contents.entries.size(), 1u);
  EXPECT_EQ(contents.entries[0].frame, 2u);
  EXPECT_EQ(contents.entries[0].sound, 0u);
  EXPECT_EQ(contents.entries[0].offset, 16u);

  ASSERT_EQ(contents.sounds.size(), 1u);
  EXPECT_EQ(contents.sounds[0].number, 0);
  EXPECT_EQ(contents.sounds[0].offset, 29u);
  EXPECT_EQ(contents.sounds[0].size, 4u);
  EXPECT_EQ(contents.sounds[0].format, MediaFormat::kWav);
  ASSERT_EQ(contents.slides.size(), 2u);
  EXPECT_EQ(contents.slides[0].number, 1);
  EXPECT_EQ(contents.slides[0].offset, 47u);
  EXPECT_EQ(contents.slides[0].format, MediaFormat::kBmp);
  EXPECT_EQ(contents.slides[1].number, 2);
  EXPECT_EQ(contents.slides[1].offset, 54u);
  EXPECT_EQ(contents.slides[1].format, MediaFormat::kGif);
  // Nothing declares a length here; the assignment needing two slides settles the split.
  EXPECT_TRUE(contents.slides[0].certain);
  EXPECT_EQ(contents.slides[0].end, PayloadEnd::kSeparator);
}

// The encoder's own output, with media whose bytes hold the separator and the
// tags: every payload comes back byte for byte, split by its own length.
TEST(ContainerReader, RoundTripOfEncoderOutputWithMarkersInsideTheMedia) {
  TempDir dir;
  const std::vector<Bytes> sounds = {
      Wav("quiet"),
      Wav("-|-\\soundvideo-|-\\video"),
      Wav("odd -|-", /*padOdd=*/true),
  };
  const std::vector<Bytes> slides = {
      Jpeg(ToBytes("-|-\\video"), HexBytes({'-', '|', '-', 0xFF, 0x00, 0xFF, 0xD0, 0x01})),
      Bmp(4, "\\sound-|-video"),
      Gif("-|-\\video"),
      Jpeg(ToBytes("clean"), HexBytes({0x01, 0x02})),
  };
  for (std::size_t i = 0; i < sounds.size(); ++i) WriteFile(dir / "snd" / ("s" + std::to_string(i) + ".wav"), sounds[i]);
  const std::vector<std::string> slideNames = {"1.jpg", "2.bmp", "3.gif", "4.jpg"};
  for (std::size_t i = 0; i < slides.size(); ++i) WriteFile(dir / "pic" / slideNames[i], slides[i]);
  FileListSource File1{std::string(kSlidePattern)};
  FileListSource File2{std::string(kSoundPattern)};
  File1.SetDirectory(dir / "pic");
  File2.SetDirectory(dir / "snd");
  ContainerOutput output(dir / "Dest.zel", ContainerHead(100, "1=2;4=0;"), File2, {});
  output.CopySlides(File1);
  output.CopySounds(File2);
  output.Commit(ContainerHead(100, "1=2;4=0;"));
  const Bytes bytes = testing::ReadFile(dir / "Dest.zel");

  const ContainerContents contents = ReadContainer(bytes);
  ASSERT_FALSE(contents.error) << contents.error->Describe();
  EXPECT_EQ(contents.frameInterval, 100);
  ASSERT_EQ(contents.sounds.size(), sounds.size());
  ASSERT_EQ(contents.slides.size(), slides.size());
  for (std::size_t i = 0; i < sounds.size(); ++i) {
    const MediaPayload& payload = contents.sounds[i];
    EXPECT_EQ(Bytes(PayloadBytes(bytes, payload).begin(), PayloadBytes(bytes, payload).end()), sounds[i]) << i;
    EXPECT_EQ(payload.end, PayloadEnd::kDeclaredLength) << i;
    EXPECT_TRUE(payload.certain) << i;
  }
  for (std::size_t i = 0; i < slides.size(); ++i) {
    const MediaPayload& payload = contents.slides[i];
    EXPECT_EQ(Bytes(PayloadBytes(bytes, payload).begin(), PayloadBytes(bytes, payload).end()), slides[i]) << i;
    EXPECT_EQ(payload.end, PayloadEnd::kDeclaredLength) << i;
    EXPECT_TRUE(payload.certain) << i;
  }
  EXPECT_EQ(contents.slides[2].format, MediaFormat::kGif);
  // Sure of every split, yet ambiguous to a reader that searches for markers:
  // the problems name exactly the payloads holding misleading bytes.
  EXPECT_EQ(Subjects(contents), (std::vector<std::string>{"sound 1", "sound 2", "slide 1", "slide 2", "slide 3"}));
  EXPECT_NE(contents.problems[0].text.find("RIFF size"), std::string::npos);
}

TEST(ContainerReader, PayloadsWithoutLengthsAreUnsureWhenTheAssignmentsAllowFewer) {
  // Two separators in a section of unknown media: one sound with "-|-" inside, or two.
  const Bytes bytes = MakeContainer("1=0;", {ToBytes("aa-|-bb")}, {Bmp(1, ""), Bmp(1, "")});
  ContainerContents contents = ReadContainer(bytes);
  ASSERT_FALSE(contents.error);
  ASSERT_EQ(contents.sounds.size(), 2u);
  EXPECT_FALSE(contents.sounds[0].certain);
  EXPECT_FALSE(contents.sounds[1].certain);
  EXPECT_EQ(Subjects(contents), (std::vector<std::string>{"sound 0", "sound 1"}));

  // When the assignments use both, neither can be part of the other.
  contents = ReadContainer(MakeContainer("1=0;2=1;", {ToBytes("aa-|-bb")}, {Bmp(1, ""), Bmp(1, "")}));
  ASSERT_FALSE(contents.error);
  EXPECT_TRUE(contents.Clean());

  // A following payload whose own length confirms where it starts settles the end before it.
  contents = ReadContainer(MakeContainer("", {ToBytes("raw"), Wav("x")}, {Bmp(1, "")}));
  ASSERT_FALSE(contents.error);
  EXPECT_TRUE(contents.Clean());
}

TEST(ContainerReader, SoundSectionEndFoundPastASoundThatHoldsIt) {
  // A WAV holding "-|-\soundvideo": its RIFF size carries the reader past it.
  const Bytes trap = Wav("-|-\\soundvideo");
  ContainerContents contents = ReadContainer(MakeContainer("", {trap, Wav("b")}, {Gif("g")}));
  ASSERT_FALSE(contents.error);
  ASSERT_EQ(contents.sounds.size(), 2u);
  EXPECT_EQ(contents.sounds[0].size, trap.size());
  ASSERT_EQ(contents.slides.size(), 1u);
  EXPECT_EQ(Subjects(contents), std::vector<std::string>{"sound 0"});

  // Without a length to go by, the first end is taken and said to be unsure.
  contents = ReadContainer(MakeContainer("", {ToBytes("a-|-\\soundvideob")}, {Gif("g")}));
  ASSERT_FALSE(contents.error);
  EXPECT_EQ(contents.sounds.size(), 1u);
  const std::vector<std::string> subjects = Subjects(contents);
  EXPECT_NE(std::find(subjects.begin(), subjects.end(), "sound section"), subjects.end());
  for (const MediaPayload& slide : contents.slides) EXPECT_FALSE(slide.certain);
}

TEST(ContainerReader, PayloadEndingInHalfASeparator) {
  // The last sound ends in "-|": the section's end shows which "-|-" is its own.
  ContainerContents contents = ReadContainer(MakeContainer("", {ToBytes("ab-|")}, {Gif("g")}));
  ASSERT_FALSE(contents.error) << contents.error->Describe();
  ASSERT_EQ(contents.sounds.size(), 1u);
  EXPECT_EQ(contents.sounds[0].size, 4u);
  EXPECT_TRUE(contents.sounds[0].certain);
  EXPECT_EQ(Subjects(contents), std::vector<std::string>{"sound 0"});

  // In mid-section nothing shows it.
  contents = ReadContainer(MakeContainer("1=1;", {ToBytes("ab-|"), ToBytes("cd")}, {Gif("g")}));
  ASSERT_FALSE(contents.error);
  EXPECT_FALSE(contents.sounds[0].certain);
}

TEST(ContainerReader, EmptySectionsAndEmptyMediaFiles) {
  const ContainerContents contents = ReadContainer(MakeContainer("", {}, {Bytes{}, Gif("")}));
  ASSERT_FALSE(contents.error) << contents.error->Describe();
  EXPECT_TRUE(contents.sounds.empty());
  ASSERT_EQ(contents.slides.size(), 2u);
  EXPECT_EQ(contents.slides[0].size, 0u);
  EXPECT_TRUE(contents.Clean());
}

TEST(ContainerReader, AssignmentsThatNameNoPayload) {
  const ContainerContents contents =
      ReadContainer(MakeContainer("3=0;2=5;2=0;0=0;", {Wav("a")}, {Gif("1"), Gif("2")}));
  ASSERT_FALSE(contents.error);
  std::vector<std::string> texts;
  for (const ContainerProblem& problem : contents.problems) texts.push_back(problem.subject + ": " + problem.text);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "ini entry 3=0: names frame 3, but the video section holds 2 slides",
                       "ini entry 2=5: names sound 5, but the sound section holds 1 sound, numbered from 0",
                       "ini entry 2=5: frames are not in ascending order",
                       "ini entry 2=0: frame 2 is assigned twice",
                       "ini entry 0=0: frame numbers count from 1",
                   }));
}

TEST(ContainerReader, ErrorsNameTheOffsetAndWhatWasExpected) {
  const auto errorOf = [](std::string_view text) {
    const ContainerContents contents = ReadContainer(AsBytes(text));
    EXPECT_TRUE(contents.error) << text;
    return contents.error ? contents.error->Describe() : std::string();
  };
  EXPECT_EQ(errorOf("RIFF"), "offset 0: expected the opening tag \"speed\", found \"RIFF\" (52 49 46 46)");
  // Only a file that does not begin with "speed" is not a container at all,
  // and the companions' line names the file.
  const ContainerError notAContainer = *ReadContainer(ToBytes("RIFF")).error;
  EXPECT_TRUE(notAContainer.notAContainer);
  EXPECT_FALSE(ReadContainer(ToBytes("speed50\\speedsound")).error->notAContainer);
  EXPECT_EQ(MalformedContainerMessage("dir/x.zel", notAContainer),
            "dir/x.zel: not a ZEL show (it does not begin with \"speed\")");
  EXPECT_EQ(errorOf("speed\\speed"),
            "offset 5: expected the frame interval in decimal digits, found \"\\speed\" (5C 73 70 65 65 64)");
  EXPECT_EQ(errorOf("speed50\\speedini2=0;x\\ini"),
            "offset 20: expected an assignment (frame number, \"=\", sound position, \";\") or the closing tag "
            "\"\\ini\", found \"x\\ini\" (78 5C 69 6E 69)");
  EXPECT_EQ(errorOf("speed50\\speedini2=;\\inisound"),
            "offset 16: expected an assignment: frame number, \"=\", sound position, \";\", found "
            "\"2=;\\inis\" (32 3D 3B 5C 69 6E 69 73 ...)");
  EXPECT_EQ(errorOf("speed50\\speedini\\inisound\\soundvideo-|-\\vide"),
            "offset 38: expected the closing tag \"\\video\" ending the file, found \"-\\vide\" (2D 5C 76 69 64 65)");
  EXPECT_EQ(errorOf("speed50\\speedini\\inisound\\sou"),
            "offset 29: expected the closing tag \"\\video\" ending the file, found the end of the file");
  EXPECT_EQ(errorOf("speed50\\speedini\\inisoundab-|-\\soundvideocd\\video"),
            "offset 41: expected \"-|-\" after the payload that starts here, or the closing tag \"\\video\", "
            "found \"cd\\video\" (63 64 5C 76 69 64 65 6F)");
}

TEST(ContainerReader, EveryTruncationIsAnErrorAndEveryPayloadStaysInside) {
  const Bytes whole = MakeContainer("1=0;2=1;", {Wav("ab"), ToBytes("x")}, {Jpeg(ToBytes("c"), ToBytes("s")), Gif("g")});
  ASSERT_TRUE(ReadContainer(whole).Clean());
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const ContainerContents contents = ReadContainer(ByteView(whole).first(size));
    ASSERT_TRUE(contents.error) << size;
    EXPECT_LE(contents.error->offset, size);
    ExpectPayloadsInside(contents);
  }
}

TEST(ContainerReader, DamagedAndRandomInputNeverReadsOutside) {
  const Bytes whole = MakeContainer("1=0;", {Wav("ab"), ToBytes("-|-")}, {Bmp(2, "-|-"), Jpeg(ToBytes("c"), ToBytes("s"))});
  // Every byte replaced by a few telling values.
  for (std::size_t at = 0; at < whole.size(); ++at) {
    for (const unsigned value : {0x00u, 0xFFu, unsigned{'-'}, unsigned{'|'}, unsigned{'\\'}, 0xD9u, 0x3Bu}) {
      Bytes damaged = whole;
      damaged[at] = static_cast<std::byte>(value);
      ExpectPayloadsInside(ReadContainer(damaged));
    }
  }
  std::mt19937 random(7);
  const std::string alphabet = "-|\\speedinisoundvideo0123=;";
  for (int round = 0; round < 2000; ++round) {
    Bytes bytes = ToBytes("speed");
    const std::size_t length = random() % 200;
    for (std::size_t i = 0; i < length; ++i) {
      bytes.push_back(static_cast<std::byte>(round % 2 == 0 ? alphabet[random() % alphabet.size()] : random()));
    }
    ExpectPayloadsInside(ReadContainer(bytes));
  }
}

// The show file as the companions read it: the bytes it had when it was
// opened, or ShowChanged once it is cut short or written to; its mapping sees
// zeros where the file was cut, rather than ending the program.
TEST(ShowFile, ReadsTheOpenedFileAndNoticesItCutShortOrRewritten) {
  TempDir dir;
  const Bytes show = testing::ZelContainer("50", "", {}, {Bmp(3, "abc"), Bmp(2, "de")});
  const MediaPayload slide = ReadContainer(show).slides.at(1);
  const ByteView slideBytes = PayloadBytes(show, slide);
  const std::filesystem::path path = dir / "show.zel";
  WriteFile(path, show);
  {
    const ShowFile file(path);
    // A new file renamed over it is not the one read.
    WriteFile(dir / "new.zel", "speed");
    std::filesystem::rename(dir / "new.zel", path);
    const GuardedMapping mapping = file.Map();
    EXPECT_TRUE(std::ranges::equal(mapping.Bytes(), show));
    EXPECT_NO_THROW(file.CheckUnchanged(mapping));
    EXPECT_EQ(file.ReadStructure().slides.at(1).offset, slide.offset);
    EXPECT_EQ(file.Read(slide), Bytes(slideBytes.begin(), slideBytes.end()));
  }
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  {
    WriteFile(path, Bytes(3 * page, std::byte{'z'}));
    const ShowFile file(path);
    const GuardedMapping mapping = file.Map();
    const ByteView bytes = mapping.Bytes();
    EXPECT_EQ(bytes[2 * page], std::byte{'z'});
    std::filesystem::resize_file(path, page / 2);
    EXPECT_EQ(bytes[0], std::byte{'z'});
    EXPECT_EQ(bytes[2 * page + 1], std::byte{0});
    EXPECT_EQ(bytes[page], std::byte{0});
    EXPECT_TRUE(mapping.Changed());
    EXPECT_THROW(file.CheckUnchanged(mapping), ShowChanged);
  }
  // A mapping nothing guards still ends the program as before (or through the
  // handler that was there first, such as AddressSanitizer's).
  const auto endedByTheFault = [](int status) {
    return WIFSIGNALED(status) ? WTERMSIG(status) == SIGBUS || WTERMSIG(status) == SIGABRT : WEXITSTATUS(status) != 0;
  };
  EXPECT_EXIT(
      {
        WriteFile(path, Bytes(2 * page, std::byte{'z'}));
        const FileDescriptor fd(::open(path.c_str(), O_RDONLY));
        const auto* unguarded =
            static_cast<const volatile char*>(::mmap(nullptr, 2 * page, PROT_READ, MAP_PRIVATE, fd.get(), 0));
        std::filesystem::resize_file(path, 0);
        static_cast<void>(unguarded[page]);
      },
      endedByTheFault, "");
  for (const bool cut : {true, false}) {
    WriteFile(path, show);
    const ShowFile file(path);
    if (cut) {
      std::filesystem::resize_file(path, show.size() - 10);
    } else {
      // Rewritten in place to the same length, later than it was opened.
      WriteFile(path, Bytes(show.size(), std::byte{'x'}));
      std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(1));
    }
    try {
      file.Read(slide);
      ADD_FAILURE() << "cut " << cut;
    } catch (const ShowChanged& error) {
      EXPECT_EQ(error.what(), path.native() + ": the file changed while it was being read");
    }
  }
}

}  // namespace
}  // namespace kvarbon
