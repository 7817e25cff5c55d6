// SPDX-License-Identifier: GPL-3.0-or-later
// The encode command without its window: the order of its steps, the container
// when what was planned at the click proves wrong, and the temporary files of
// killed encodes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "encoding/core/encode_show.h"
#include "support/temp_dir.h"

namespace kvarbon {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

const std::string kDone = "Кодирование завершено успешно.";

// The progress window: records its maximum and values; `afterSlide(n)` runs as the bar reaches n.
struct Bar : ProgressSink {
  std::function<void(int)> afterSlide;
  int maximum = 0;
  std::vector<int> values;
  void SetText(const std::string&) override {}
  void SetMaximum(int value) override { maximum = value; }
  void SetValue(int value) override {
    values.push_back(value);
    if (afterSlide) afterSlide(value);
  }
  void Yield() override {}
};

// The main window: `onYield(n)` runs where events are processed, n counting
// from 0 (0 before the list is written, then once after each sound).
struct Window : EncodeView {
  Bar bar;
  std::function<void(int)> onYield;
  std::function<void()> onWindow;  // runs as the progress window opens
  int yields = 0;
  bool runsJobs = true;
  bool encodeEnabled = false;
  std::vector<std::string> messages;
  void Yield() override {
    if (onYield) onYield(yields);
    ++yields;
  }
  bool RunInProgressWindow(const ProgressJob& job) override {
    if (onWindow) onWindow();
    if (runsJobs) job(bar);
    return runsJobs;
  }
  void SetEncodeEnabled(bool enabled) override { encodeEnabled = enabled; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
};

// Slides 1.jpg… and sounds 1.wav… in a working directory; frame 1 has sound 2 (if any), frame 2 sound 0.
struct Show {
  Show(const std::vector<std::string>& slides, const std::vector<std::string>& sounds) {
    std::filesystem::create_directories(dir / "snd");
    for (std::size_t i = 0; i < slides.size(); ++i) WriteFile(Slide(i), slides[i]);
    for (std::size_t i = 0; i < sounds.size(); ++i) WriteFile(Sound(i), sounds[i]);
    File1.SetDirectory(dir / "pic");
    File2.SetDirectory(dir / "snd");
    state.SlideSoundTable.assign(slides.size() + 1, "");
    if (sounds.size() > 2) state.SlideSoundTable[0] = "2";
    if (!sounds.empty()) state.SlideSoundTable[1] = "0";
    state.FrameInterval = 50;
  }
  std::filesystem::path Slide(std::size_t i) const { return dir / "pic" / (std::to_string(i + 1) + ".jpg"); }
  std::filesystem::path Sound(std::size_t i) const { return dir / "snd" / (std::to_string(i + 1) + ".wav"); }
  void Encode() { EncodeCommand(dir.path(), File1, File2, state, window, {}).Run(); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir;
  FileListSource File1{std::string(kSlidePattern)};
  FileListSource File2{std::string(kSoundPattern)};
  SharedState state;
  Window window;
};

Bytes Expected(int speed, const std::string& ini, const std::vector<std::string>& sounds,
               const std::vector<std::string>& slides) {
  std::string text = "speed" + std::to_string(speed) + "\\speedini" + ini + "\\inisound";
  for (const std::string& sound : sounds) text += sound + "-|-";
  text += "\\soundvideo";
  for (const std::string& slide : slides) text += slide + "-|-";
  return ToBytes(text + "\\video");
}

TEST(EncodeCommand, WritesTheListBeforeTheJobAndTheContainerAfterIt) {
  Show show({"one", "two"}, {"A"});
  WriteFile(show.dir / "Dest.zel", "old");
  // The list is on disk, and the old container gone, when the progress window opens.
  show.window.onWindow = [&] {
    EXPECT_EQ(ReadFile(show.dir / "sound.ini"), ToBytes("2=0\r\n"));
    EXPECT_FALSE(std::filesystem::exists(show.dir / "Dest.zel"));
  };
  show.Encode();
  EXPECT_EQ(ReadFile(show.dir / "Dest.zel"), Expected(50, "2=0;", {"A"}, {"one", "two"}));
  EXPECT_EQ(show.window.messages, std::vector<std::string>{kDone});
  EXPECT_FALSE(show.window.encodeEnabled);
  // One step per slide copied, ending full.
  EXPECT_EQ(show.window.bar.maximum, 2);
  EXPECT_EQ(show.window.bar.values, (std::vector<int>{1, 2}));
}

TEST(EncodeCommand, WhatChangesAfterTheClickEndsUpInTheContainerAsIfNothingWasPlanned) {
  const std::vector<std::string> slides = {"first slide", "2nd"};
  const std::vector<std::string> sounds = {"a", "bb", "ccc"};
  const std::string ini = "1=2;2=0;";
  struct Case {
    const char* name;
    std::vector<std::string> sounds;
    std::function<void(Show&)> change;
    Bytes expected;
  };
  const std::vector<Case> cases = {
      {"nothing changes", sounds, [](Show&) {}, Expected(50, ini, sounds, slides)},
      {"no sounds at all", {}, [](Show&) {}, Expected(50, "", {}, slides)},
      {"the first sound grows during the job", sounds,
       [](Show& s) { s.window.bar.afterSlide = [&s](int) { WriteFile(s.Sound(0), "a grown sound"); }; },
       Expected(50, ini, {"a grown sound", "bb", "ccc"}, slides)},
      {"the last sound shrinks during the job", sounds,
       [](Show& s) { s.window.bar.afterSlide = [&s](int) { WriteFile(s.Sound(2), "c"); }; },
       Expected(50, ini, {"a", "bb", "c"}, slides)},
      {"the second sound grows after the first is in", sounds,
       [](Show& s) { s.window.onYield = [&s](int n) { if (n == 1) WriteFile(s.Sound(1), "bbbbbb"); }; },
       Expected(50, ini, {"a", "bbbbbb", "ccc"}, slides)},
      {"speed 20 at the click", sounds, [](Show& s) { s.state.FrameInterval = 20; }, Expected(20, ini, sounds, slides)},
      {"speed 1000 chosen while the sounds are copied", sounds,
       [](Show& s) { s.window.onYield = [&s](int n) { if (n == 1) s.state.FrameInterval = 1000; }; },
       Expected(1000, ini, sounds, slides)},
      {"speed 25 chosen while the sounds are copied: a head of the same length", sounds,
       [](Show& s) { s.window.onYield = [&s](int n) { if (n == 1) s.state.FrameInterval = 25; }; },
       Expected(25, ini, sounds, slides)},
      {"speed 100 at the click, 20 before the list is read back", sounds,
       [](Show& s) {
         s.state.FrameInterval = 100;
         s.window.onYield = [&s](int n) { if (n == 3) s.state.FrameInterval = 20; };
       },
       Expected(20, ini, sounds, slides)},
      {"sound.ini edited from outside and a sound grown", sounds,
       [](Show& s) {
         s.window.onYield = [&s](int n) {
           if (n == 1) WriteFile(s.dir / "sound.ini", "1=0\r\n2=1\r\n10=2\r\n");
           if (n == 2) WriteFile(s.Sound(2), "ccccc");
         };
       },
       Expected(50, "1=0;2=1;10=2;", {"a", "bb", "ccccc"}, slides)},
      {"a slide removed and another changed after their turns", sounds,
       [](Show& s) {
         s.window.bar.afterSlide = [&s](int n) {
           if (n == 1) std::filesystem::remove(s.Slide(0));
           if (n == 2) WriteFile(s.Slide(1), "changed later");
         };
       },
       Expected(50, ini, sounds, slides)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Show show(slides, c.sounds);
    c.change(show);
    show.Encode();
    EXPECT_EQ(show.window.messages, std::vector<std::string>{kDone});
    EXPECT_EQ(AsText(ReadFile(show.dir / "Dest.zel")), AsText(c.expected));
    EXPECT_EQ(show.Names(), (std::vector<std::string>{"Dest.zel", "pic", "snd", "sound.ini"}));
  }
}

TEST(EncodeCommand, TemporaryFilesOfKilledEncodesAreRemovedThoseOfLiveProcessesKept) {
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ASSERT_GT(gone, 0);
  ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
  Show show({"A", "B"}, {"s"});
  const std::string killed = ".Dest.zel.tmp-" + std::to_string(gone) + "-0";
  const std::string killedList = ".sound.ini.tmp-" + std::to_string(gone) + "-1";
  const std::string live = ".Dest.zel.tmp-" + std::to_string(::getppid()) + "-3";
  const std::string other = ".Other.zel.tmp-" + std::to_string(gone) + "-0";
  for (const std::string& name : {killed, killedList, live, other}) WriteFile(show.dir / name, "partial");

  // A job the progress window never ran writes nothing, leaves nothing of its
  // own and claims nothing; a retry stays possible.
  show.window.runsJobs = false;
  show.Encode();
  EXPECT_TRUE(show.window.messages.empty());
  EXPECT_TRUE(show.window.encodeEnabled);
  EXPECT_EQ(show.Names(), (std::vector<std::string>{live, other, "pic", "snd", "sound.ini"}));

  show.window.runsJobs = true;
  show.Encode();
  EXPECT_EQ(show.window.messages, std::vector<std::string>{kDone});
  EXPECT_EQ(show.Names(), (std::vector<std::string>{live, other, "Dest.zel", "pic", "snd", "sound.ini"}));
}

}  // namespace
}  // namespace kvarbon
