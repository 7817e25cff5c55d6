// SPDX-License-Identifier: GPL-3.0-or-later
// zel-inspect, zel-export and zel-play run as programs: what each says about a
// file that is no show, a show that breaks later, a show without slides, a
// show changed while it is read, and an unknown option.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/media_samples.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

extern char** environ;

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

TEST(Companions, SayAFileIsNoShowWhereAShowBreaksAndThatOneWithoutSlidesCannotBePlayed) {
  testing::TempDir dir;
  testing::WriteFile(dir / "notes.txt", "hello, these are notes\n");
  testing::WriteFile(dir / "empty.zel", "");
  // It begins right; cut short, it lacks the closing tag where the file ends.
  Bytes cut = testing::ZelContainer("50", "", {}, {testing::Bmp(1, "")});
  cut.resize(cut.size() - 2);
  testing::WriteFile(dir / "cut.zel", cut);
  testing::WriteFile(dir / "bare.zel", testing::ZelContainer("50", "", {}, {}));
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
    // The same verdict on a show without slides; zel-inspect gives it with --check.
    const Outcome bare = program.writes || program.name == "zel-play"
                             ? run("bare.zel")
                             : testing::RunProgram(program.path, "--check " + Quote(dir / "bare.zel"));
    EXPECT_EQ(bare.status, 1) << program.name;
    EXPECT_NE(bare.output.find((dir / "bare.zel").native() + ": the container holds no slides\n"), std::string::npos)
        << program.name << ": " << bare.output;
  }
}

// Bytes the process has read so far, by any read call.
std::uint64_t BytesRead(pid_t pid) {
  std::ifstream io("/proc/" + std::to_string(pid) + "/io");
  std::string key;
  std::uint64_t value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return 0;
}

// Whether the process has `file` mapped.
bool Maps(pid_t pid, const std::filesystem::path& file) {
  std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
  for (std::string line; std::getline(maps, line);) {
    if (line.ends_with(" " + file.native())) return true;
  }
  return false;
}

std::vector<std::string> Names(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Starts `command` in the shell with its output going to `log`, and once the
// program has read the show's structure (it has mapped the show and let the
// mapping go; or, should that pass unseen, read as many bytes as the show
// holds), does `change` to the show while its slides are still to be read.
// Returns the program's exit status.
template <typename Change>
int RunChanging(const std::string& command, const std::filesystem::path& log, const std::filesystem::path& show,
                Change change) {
  const std::string line = "exec " + command + " >" + Quote(log) + " 2>&1";
  std::vector<char*> argv = {const_cast<char*>("sh"), const_cast<char*>("-c"), const_cast<char*>(line.c_str()),
                             nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ) != 0) return -1;
  const std::uint64_t size = std::filesystem::file_size(show);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  bool mapped = false;
  while (BytesRead(pid) < size && std::chrono::steady_clock::now() < deadline) {
    if (Maps(pid, show)) {
      mapped = true;
    } else if (mapped) {
      break;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  change();
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Contents(const std::filesystem::path& file) {
  std::ifstream in(file);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Companions, ReportAShowCutShortWhileTheyReadItAndKeepReadingOneReplacedByRename) {
  testing::TempDir dir;
  // 1000 frames of 20 ms, each slide a BMP padded to 20 KB, its size field
  // counting the padding: 20 MB, read lazily while the show plays.
  Bytes slide = testing::Bmp(16, "");
  slide.resize(20000);
  const Bytes size = [&] {
    Bytes field;
    testing::PutLe(field, slide.size(), 4);
    return field;
  }();
  std::copy(size.begin(), size.end(), slide.begin() + 2);
  const Bytes show = testing::ZelContainer("20", "", {}, std::vector<Bytes>(1000, slide));
  const std::filesystem::path file = dir / "show.zel";
  const std::filesystem::path log = dir.path().parent_path() / (dir.path().filename().native() + ".log");

  for (const Companion& program : {kCompanions[1], kCompanions[2]}) {
    testing::WriteFile(file, show);
    const std::string command =
        Quote(program.path) + " " + Quote(file) + (program.writes ? " " + Quote(dir / "out.mp4") : "");
    const int status = RunChanging(command, log, file, [&] { std::filesystem::resize_file(file, show.size() / 2); });
    EXPECT_EQ(status, 1) << program.name;
    EXPECT_NE(Contents(log).find(program.name + ": " + file.native() + ": the file changed while it was being read\n"),
              std::string::npos)
        << Contents(log);
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"show.zel"}) << program.name;
  }

  // A new file renamed over the show leaves the one being read as it was.
  testing::WriteFile(file, show);
  const int renamed = RunChanging(Quote(KVARBON_ZEL_EXPORT) + " --quiet " + Quote(file) + " " + Quote(dir / "out.mp4"),
                                  log, file, [&] {
                                    testing::WriteFile(dir / "new.zel", "speed");
                                    std::filesystem::rename(dir / "new.zel", file);
                                  });
  EXPECT_EQ(renamed, 0) << Contents(log);
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"out.mp4", "show.zel"}));
  std::filesystem::remove(log);
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
