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
