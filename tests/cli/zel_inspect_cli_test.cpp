// SPDX-License-Identifier: GPL-3.0-or-later
// The zel-inspect executable: usage, exit status, report, check and extraction.
// Runs when the build names the executable in KVARBON_ZEL_INSPECT.
#ifdef KVARBON_ZEL_INSPECT

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "support/media_samples.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kvarbon {
namespace {

using testing::Put;
using testing::ReadFile;
using testing::TempDir;
using testing::Wav;
using testing::WriteFile;

using testing::Outcome;
using testing::Quote;

// Runs zel-inspect with `arguments` (already quoted for the shell).
Outcome RunInspector(const std::string& arguments) { return testing::RunProgram(KVARBON_ZEL_INSPECT, arguments); }

const std::string kExample =
    std::string("speed50\\speedini2=0;\\inisoundRIFF-|-\\soundvideoBM") + '\0' +
    "\xFF-|-GIF8-|-\\video";

TEST(ZelInspect, HelpAndUsageErrors) {
  const Outcome help = RunInspector("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("--extract DIR FILE"), std::string::npos);
  for (const char* wrong : {"", "--bogus x", "a b", "--extract", "--check --extract d x"}) {
    const Outcome outcome = RunInspector(wrong);
    EXPECT_EQ(outcome.status, 2) << wrong;
    EXPECT_NE(outcome.output.find("Usage:"), std::string::npos) << wrong;
  }
}

TEST(ZelInspect, ReportsChecksAndExtractsTheWorkedExample) {
  TempDir dir;
  ASSERT_EQ(kExample.size(), 67u);
  WriteFile(dir / "Dest.zel", kExample);

  const Outcome report = RunInspector(Quote(dir / "Dest.zel"));
  EXPECT_EQ(report.status, 0) << report.output;
  EXPECT_NE(report.output.find("frame 2 -> sound 0"), std::string::npos) << report.output;
  EXPECT_NE(report.output.find("slide 2"), std::string::npos);
  EXPECT_EQ(RunInspector("--check " + Quote(dir / "Dest.zel")).status, 0);

  const Outcome extract = RunInspector("--extract " + Quote(dir / "out" / "deep") + " " + Quote(dir / "Dest.zel"));
  EXPECT_EQ(extract.status, 0) << extract.output;
  EXPECT_EQ(ReadFile(dir / "out" / "deep" / "sound-0.wav"), ToBytes("RIFF"));
  EXPECT_EQ(ReadFile(dir / "out" / "deep" / "slide-1.bmp"), ToBytes(std::string_view("BM\0\xFF", 4)));
  EXPECT_EQ(ReadFile(dir / "out" / "deep" / "slide-2.gif"), ToBytes("GIF8"));
}

TEST(ZelInspect, CheckNamesAmbiguousPayloads) {
  TempDir dir;
  Bytes container = ToBytes("speed50\\speedini\\inisound");
  Put(container, Wav("-|-"));
  Put(container, "-|-\\soundvideo");
  Put(container, "GIF8-|-\\video");
  WriteFile(dir / "a.zel", container);
  const Outcome check = RunInspector("--check " + Quote(dir / "a.zel"));
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.output.find("sound 0"), std::string::npos) << check.output;
}

TEST(ZelInspect, CheckWarnsAboutMediaThePlayersCannotUseAndStrictMakesThatAnError) {
  // Sound 0 holds MP3 bytes, as a .mp3 file renamed .wav gives; slide 2 is a
  // PNG (1 x 1), as a .png renamed .jpg gives.
  TempDir dir;
  const Bytes mp3 = testing::HexBytes({0xFF, 0xFB, 0x90, 0x64, 0x00, 0x00, 0x00, 0x00});
  const Bytes png = testing::HexBytes(
      {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00,
       0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x00, 0x00, 0x00, 0x00, 0x3A, 0x7E, 0x9B, 0x55, 0x00,
       0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0x68, 0x00, 0x00, 0x00, 0x82, 0x00, 0x81,
       0x77, 0xCD, 0x72, 0xB6, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82});
  const std::string file = (dir / "a.zel").native();
  WriteFile(file, testing::ZelContainer("50", "1=0;", {mp3}, {testing::Bmp(1, "\xFF"), png}));
  const std::size_t soundAt = std::string_view("speed50\\speedini1=0;\\inisound").size();

  const Outcome check = RunInspector("--check " + Quote(file));
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_NE(check.output.find(file + ": warning: offset " + std::to_string(soundAt) +
                              ": sound 0: MP3 data, not WAV: zel-play and zel-export cannot play it"),
            std::string::npos)
      << check.output;
  EXPECT_NE(check.output.find(": slide 2: PNG data, not BMP, JPEG or GIF"), std::string::npos) << check.output;
  EXPECT_EQ(check.output.find("slide 1"), std::string::npos) << check.output;
  EXPECT_NE(check.output.find(file + ": no problems found; 2 warnings\n"), std::string::npos) << check.output;

  const Outcome strict = RunInspector("--check --strict " + Quote(file));
  EXPECT_EQ(strict.status, 1) << strict.output;
  EXPECT_NE(strict.output.find(file + ": offset " + std::to_string(soundAt) + ": sound 0: MP3 data"),
            std::string::npos)
      << strict.output;
  EXPECT_EQ(strict.output.find("warning"), std::string::npos) << strict.output;
  EXPECT_EQ(strict.output.find("no problems found"), std::string::npos) << strict.output;
  EXPECT_EQ(RunInspector("--strict " + Quote(file)).status, 2);
}

TEST(ZelInspect, ExtractWritesEveryFileAndFailsNamingTheGuessedOnes) {
  // Two slides for frames up to 2 settle the video section; two sounds of
  // which the assignments need one leave the split between them a guess.
  TempDir dir;
  WriteFile(dir / "a.zel",
            std::string("speed50\\speedini2=0;\\inisoundabc-|-def-|-\\soundvideoGIF8-|-GIF8x-|-\\video"));
  const Outcome extract = RunInspector("--extract " + Quote(dir / "out") + " " + Quote(dir / "a.zel"));
  EXPECT_EQ(extract.status, 1) << extract.output;
  EXPECT_EQ(ReadFile(dir / "out" / "sound-1.bin"), ToBytes("def"));
  EXPECT_EQ(ReadFile(dir / "out" / "slide-2.gif"), ToBytes("GIF8x"));
  for (const char* name : {"sound-0.bin", "sound-1.bin"}) {
    EXPECT_NE(extract.output.find((dir / "out" / name).native() + ": its bounds in"), std::string::npos)
        << name << "\n" << extract.output;
  }
  EXPECT_EQ(extract.output.find("slide-1.gif: its bounds"), std::string::npos) << extract.output;
}

TEST(ZelInspect, FileErrorsAndMalformedContainers) {
  TempDir dir;
  const Outcome missing = RunInspector(Quote(dir / "none.zel"));
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.output.find((dir / "none.zel").native()), std::string::npos);

  WriteFile(dir / "cut.zel", kExample.substr(0, 40));
  for (const char* mode : {"", "--check ", "--extract x "}) {
    const Outcome cut = RunInspector(mode + Quote(dir / "cut.zel"));
    EXPECT_EQ(cut.status, 1) << mode;
    EXPECT_NE(cut.output.find("offset 40: expected"), std::string::npos) << cut.output;
  }
}

}  // namespace
}  // namespace kvarbon

#endif  // KVARBON_ZEL_INSPECT
