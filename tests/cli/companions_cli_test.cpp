// SPDX-License-Identifier: GPL-3.0-or-later
// zel-inspect, zel-export and zel-play run as programs: what each says about a
// file that is no show, a show that breaks later, and an unknown option.

#include <gtest/gtest.h>

#include <string>

#include "support/media_samples.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kvarbon {
namespace {

using testing::Outcome;
using testing::Quote;

struct Companion {
  std::string name;
  const char* path;
  bool writes;  // takes an output file after the show
};

const Companion kCompanions[] = {
    {"zel-inspect", KVARBON_ZEL_INSPECT, false},
    {"zel-export", KVARBON_ZEL_EXPORT, true},
    {"zel-play", KVARBON_ZEL_PLAY, false},
};

TEST(Companions, SayAFileIsNoShowAndWhereAShowBreaks) {
  testing::TempDir dir;
  testing::WriteFile(dir / "notes.txt", "hello, these are notes\n");
  testing::WriteFile(dir / "empty.zel", "");
  // It begins right; cut short, it lacks the closing tag where the file ends.
  Bytes cut = testing::ZelContainer("50", "", {}, {testing::Bmp(1, "")});
  cut.resize(cut.size() - 2);
  testing::WriteFile(dir / "cut.zel", cut);
  const std::string cutError = (dir / "cut.zel").native() + ": malformed container: offset " +
                               std::to_string(cut.size() - 6) +
                               ": expected the closing tag \"\\video\" ending the file";

  for (const Companion& program : kCompanions) {
    const auto run = [&](const std::string& file) {
      return testing::RunProgram(program.path,
                                 Quote(dir / file) + (program.writes ? " " + Quote(dir / "out.mp4") : ""));
    };
    for (const std::string file : {"notes.txt", "empty.zel"}) {
      const Outcome outcome = run(file);
      EXPECT_EQ(outcome.status, 1) << program.name << " " << file;
      EXPECT_NE(outcome.output.find(program.name + ": " + (dir / file).native() +
                                    ": not a ZEL show (it does not begin with \"speed\")\n"),
                std::string::npos)
          << outcome.output;
    }
    const Outcome broken = run("cut.zel");
    EXPECT_EQ(broken.status, 1) << program.name;
    EXPECT_NE(broken.output.find(program.name + ": " + cutError), std::string::npos) << broken.output;
  }
}

TEST(Companions, RefuseUnknownOptionsWithTheUsage) {
  for (const Companion& program : kCompanions) {
    for (const std::string option : {"-v", "-x", "--bogus", "--fit=1"}) {
      const Outcome outcome = testing::RunProgram(program.path, option + " show.zel out.mp4");
      EXPECT_EQ(outcome.status, 2) << program.name << " " << option;
      EXPECT_NE(outcome.output.find(program.name + ": unknown option \"" + option + "\""), std::string::npos)
          << outcome.output;
      EXPECT_NE(outcome.output.find("Usage: " + program.name), std::string::npos) << outcome.output;
    }
  }
}

}  // namespace
}  // namespace kvarbon
