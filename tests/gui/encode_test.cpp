// SPDX-License-Identifier: GPL-3.0-or-later
// "Кодирование": the container and the assignment list end to end through the windows.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include <QPushButton>

#include "support/gui_fixture.h"
#include "support/images.h"

namespace kvarbon {
namespace {

using testing::HexBytes;
using testing::MessageCatcher;
using testing::ProgressRecorder;
using testing::ReadFile;
using testing::ShowFixture;
using testing::SolidBmp;
using testing::SolidGif;
using testing::WriteFile;

const QColor kGrey(128, 128, 128);

std::vector<std::string> Names(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Slides "a.bmp" and "b.gif" loaded; the files on disk then hold the worked
// example's bytes, since encoding reads them again.
struct LoadedShow : ShowFixture {
  explicit LoadedShow(bool withSound = true) {
    WriteFile(dir / "pic" / "a.bmp", SolidBmp(20, 10, kGrey));
    WriteFile(dir / "pic" / "b.gif", SolidGif(10, 20, kGrey));
    if (withSound) WriteFile(dir / "snd" / "s.wav", HexBytes({0x52, 0x49, 0x46, 0x46}));
    Start();
    frmMain->Command3->click();
    WriteFile(dir / "pic" / "a.bmp", HexBytes({0x42, 0x4D, 0x00, 0xFF}));
    WriteFile(dir / "pic" / "b.gif", HexBytes({0x47, 0x49, 0x46, 0x38}));
  }
  QStringList Encode() {
    MessageCatcher messages;
    frmMain->Command1->click();
    return messages.texts;
  }
};

const Bytes kWorkedExample = HexBytes({
    0x73, 0x70, 0x65, 0x65, 0x64, 0x35, 0x30, 0x5C, 0x73, 0x70, 0x65, 0x65, 0x64,  // speed 50 \speed
    0x69, 0x6E, 0x69, 0x32, 0x3D, 0x30, 0x3B, 0x5C, 0x69, 0x6E, 0x69,              // ini 2=0; \ini
    0x73, 0x6F, 0x75, 0x6E, 0x64, 0x52, 0x49, 0x46, 0x46, 0x2D, 0x7C, 0x2D,        // sound RIFF -|-
    0x5C, 0x73, 0x6F, 0x75, 0x6E, 0x64,                                            // \sound
    0x76, 0x69, 0x64, 0x65, 0x6F, 0x42, 0x4D, 0x00, 0xFF, 0x2D, 0x7C, 0x2D,        // video BM.. -|-
    0x47, 0x49, 0x46, 0x38, 0x2D, 0x7C, 0x2D, 0x5C, 0x76, 0x69, 0x64, 0x65, 0x6F,  // GIF8 -|- \video
});

TEST(Encode, WorkedExampleEndToEnd) {
  ASSERT_EQ(kWorkedExample.size(), 67u);
  LoadedShow show;
  show.state.SlideSoundTable[1] = "0";
  ProgressRecorder progress;
  EXPECT_EQ(show.Encode(), QStringList({"Кодирование завершено успешно."}));
  EXPECT_EQ(ReadFile(show.dir / "Dest.zel"), kWorkedExample);
  EXPECT_EQ(ReadFile(show.dir / "sound.ini"), HexBytes({0x32, 0x3D, 0x30, 0x0D, 0x0A}));
  EXPECT_FALSE(show.frmMain->Command1->isEnabled());
  ASSERT_EQ(progress.showings.size(), 1u);
  EXPECT_EQ(progress.showings[0].caption, "Создание видео файла...");
  EXPECT_EQ(progress.showings[0].values, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));
  EXPECT_EQ(Names(show.dir.path()), (std::vector<std::string>{"Dest.zel", "pic", "snd", "sound.ini"}));
}

TEST(Encode, NoSoundsNoAssignmentsOldOutputsReplacedAndSpeedTaken) {
  LoadedShow show(false);
  WriteFile(show.dir / "Dest.zel", std::string(5000, 'o'));
  WriteFile(show.dir / "sound.ini", "1=9\r\n2=9\r\n");
  show.state.FrameInterval = 100;
  EXPECT_EQ(show.Encode(), QStringList({"Кодирование завершено успешно."}));
  EXPECT_EQ(ReadFile(show.dir / "sound.ini"), Bytes{});
  using namespace std::string_literals;
  EXPECT_EQ(AsText(ReadFile(show.dir / "Dest.zel")),
            "speed100\\speedini\\inisound\\soundvideoBM\0\xFF-|-GIF8-|-\\video"s);
}

// Each fault: a clear message naming the path, no container, no temporary file,
// the assignments kept, and a retry that succeeds once the cause is gone.
struct FaultCase {
  const char* name;
  std::function<void(LoadedShow&)> cause;
  std::function<void(LoadedShow&)> cure;
  const char* named;  // a text the message must hold
};

TEST(Encode, FailuresKeepTheWorkAndAllowARetry) {
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit original{};
  ::getrlimit(RLIMIT_FSIZE, &original);
  const std::vector<FaultCase> cases = {
      {"slide deleted after loading",
       [](LoadedShow& s) { std::filesystem::remove(s.dir / "pic" / "b.gif"); },
       [](LoadedShow& s) { WriteFile(s.dir / "pic" / "b.gif", HexBytes({0x47, 0x49, 0x46, 0x38})); },
       "b.gif"},
      {"sound deleted after start-up",
       [](LoadedShow& s) { std::filesystem::remove(s.dir / "snd" / "s.wav"); },
       [](LoadedShow& s) { WriteFile(s.dir / "snd" / "s.wav", HexBytes({0x52, 0x49, 0x46, 0x46})); },
       "s.wav"},
      {"a folder in the container's place",
       [](LoadedShow& s) { std::filesystem::create_directory(s.dir / "Dest.zel"); },
       [](LoadedShow& s) { std::filesystem::remove(s.dir / "Dest.zel"); }, "Dest.zel"},
      {"a file-size limit hit during the write",
       [](LoadedShow&) {
         rlimit limited{40, RLIM_INFINITY};
         limited.rlim_max = RLIM_INFINITY;
         ::setrlimit(RLIMIT_FSIZE, &limited);
       },
       [&original](LoadedShow&) { ::setrlimit(RLIMIT_FSIZE, &original); }, "Dest.zel"},
  };
  for (const FaultCase& fault : cases) {
    SCOPED_TRACE(fault.name);
    LoadedShow show;
    show.state.SlideSoundTable[1] = "0";
    fault.cause(show);
    const QStringList failed = show.Encode();
    fault.cure(show);
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].contains(fault.named)) << failed[0].toStdString();
    EXPECT_FALSE(std::filesystem::is_regular_file(show.dir / "Dest.zel"));
    for (const std::string& name : Names(show.dir.path())) EXPECT_EQ(name.find(".tmp"), std::string::npos);
    EXPECT_TRUE(show.frmMain->Command1->isEnabled());
    EXPECT_EQ(show.state.SlideSoundTable[1], "0");

    EXPECT_EQ(show.Encode(), QStringList({"Кодирование завершено успешно."}));
    EXPECT_EQ(ReadFile(show.dir / "Dest.zel"), kWorkedExample);
  }
}

TEST(Encode, ARemovedWorkingDirectoryIsReportedAndLosesNothing) {
  LoadedShow show;
  show.state.SlideSoundTable[1] = "0";
  const std::filesystem::path kept = show.dir.path().native() + ".kept";
  std::filesystem::rename(show.dir.path(), kept);
  const QStringList failed = show.Encode();
  ASSERT_EQ(failed.size(), 1);
  EXPECT_TRUE(show.frmMain->Command1->isEnabled());
  std::filesystem::rename(kept, show.dir.path());
  EXPECT_EQ(show.Encode(), QStringList({"Кодирование завершено успешно."}));
  EXPECT_EQ(ReadFile(show.dir / "Dest.zel"), kWorkedExample);
}

}  // namespace
}  // namespace kvarbon
