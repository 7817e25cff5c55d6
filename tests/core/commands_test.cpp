// SPDX-License-Identifier: GPL-3.0-or-later
// The commands behind the buttons and the sound list, driven through their
// views without a window.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "editing/core/sound_editing.h"
#include "encoding/core/encode_show.h"
#include "slides/core/load_slides.h"
#include "support/recording_sound_output.h"
#include "support/temp_dir.h"

namespace kvarbon {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// One fake window for every command: it records what it is asked to do and
// runs a progress job only while `runJobs` holds.
class FakeWindow final : public SoundEditingView, public SlideLoadingView, public EncodeView {
 public:
  int SelectedSound() const override { return selected; }
  int SoundCount() const override { return 3; }
  int FrameShown() const override { return frame; }
  void ShowSoundName(int position) override { label = std::to_string(position); }
  void ClearSoundName() override { label.clear(); }

  PixelSize DisplayCanvas() const override { return {396, 296}; }
  std::int32_t DisplayOuterWidthTwips() const override { return 6000; }
  std::int32_t DisplayOuterHeightTwips() const override { return 4500; }
  void DrawSlide(const SlideHolder&, std::int32_t, std::int32_t) override { events.push_back("draw"); }
  void SetLastFrame(int last) override { events.push_back("last " + std::to_string(last)); }
  bool RunInProgressWindow(const ProgressJob& job) override {
    events.push_back("window");
    if (onWindow) onWindow();
    if (!runJobs) return false;
    job(sink);
    return true;
  }
  void ShowMessage(const std::string& text) override { events.push_back(text); }
  void SlidesLoaded() override { events.push_back("loaded"); }
  void Yield() override {}
  void SetEncodeEnabled(bool enabled) override { encodeEnabled = enabled; }

  struct Sink final : ProgressSink {
    void SetText(const std::string&) override {}
    void SetMaximum(int) override {}
    void SetValue(int) override {}
    void Yield() override {}
  } sink;
  int selected = -1;
  int frame = 1;
  std::string label;
  bool runJobs = true;
  std::function<void()> onWindow;
  bool encodeEnabled = true;
  std::vector<std::string> events;
};

TEST(SoundEditing, AnAuditionLeavesEveryAssignmentAsItWas) {
  SharedState state;
  state.SlideSoundTable = {"2", "", ""};
  state.SoundBank = {ToBytes("a"), ToBytes("b"), ToBytes("c"), {}};
  FakeWindow window;
  testing::RecordingSoundOutput sound;
  SoundEditing editing(state, window, sound);

  // A double-click on the sound already selected: its first click must not stick.
  window.selected = 2;
  editing.Click();
  EXPECT_EQ(state.SlideSoundTable[0], "2");
  editing.DoubleClick();
  EXPECT_EQ(state.SlideSoundTable[0], "2");
  // On another sound, the frame's entry and its name come back as well.
  window.selected = 0;
  editing.Click();
  EXPECT_EQ(state.SlideSoundTable[0], "0");
  editing.DoubleClick();
  EXPECT_EQ(state.SlideSoundTable[0], "2");
  EXPECT_EQ(window.label, "2");
  window.frame = 2;
  window.selected = 1;
  editing.Click();
  editing.DoubleClick();
  EXPECT_EQ(state.SlideSoundTable[1], "");
  EXPECT_EQ(window.label, "");
  ASSERT_EQ(sound.played.size(), 3u);
  EXPECT_EQ(sound.played[2].data, state.SoundBank[1].data());

  // A click that is not followed by a double-click stays, as does a clear.
  editing.Click();
  window.selected = 2;
  editing.DoubleClick();  // on another sound than the click before
  EXPECT_EQ(state.SlideSoundTable[1], "1");
  editing.ClearFrame();
  EXPECT_EQ(state.SlideSoundTable[1], "");
}

struct ShowFolder {
  ShowFolder() {
    WriteFile(dir / "pic" / "1.jpg", "one");
    WriteFile(dir / "pic" / "2.jpg", "two");
    WriteFile(dir / "snd" / "a.wav", "A");
    slides.SetDirectory(dir / "pic");
    sounds.SetDirectory(dir / "snd");
    state.SlideSoundTable = {"0", "", ""};
    state.FrameInterval = 50;
  }
  TempDir dir;
  FileListSource slides{std::string(kSlidePattern)};
  FileListSource sounds{std::string(kSoundPattern)};
  SharedState state;
  FakeWindow window;
};

TEST(EncodeCommand, WritesTheListBeforeTheJobAndTheContainerAfterIt) {
  ShowFolder show;
  WriteFile(show.dir / "Dest.zel", "old");
  EncodeCommand encode(show.dir.path(), show.slides, show.sounds, show.state, show.window, {});
  // The list is on disk, and the old container gone, when the progress window opens.
  show.window.onWindow = [&] {
    EXPECT_EQ(ReadFile(show.dir / "sound.ini"), ToBytes("1=0\r\n"));
    EXPECT_FALSE(std::filesystem::exists(show.dir / "Dest.zel"));
  };
  encode.Run();
  EXPECT_EQ(ReadFile(show.dir / "Dest.zel"),
            ToBytes("speed50\\speedini1=0;\\inisoundA-|-\\soundvideoone-|-two-|-\\video"));
  EXPECT_EQ(show.window.events, (std::vector<std::string>{"window", "Кодирование завершено успешно."}));
  EXPECT_FALSE(show.window.encodeEnabled);
}

TEST(EncodeCommand, AJobThatDidNotRunWritesNoContainerAndClaimsNothing) {
  ShowFolder show;
  show.window.runJobs = false;
  EncodeCommand encode(show.dir.path(), show.slides, show.sounds, show.state, show.window, {});
  encode.Run();
  EXPECT_FALSE(std::filesystem::exists(show.dir / "Dest.zel"));
  EXPECT_EQ(show.window.events, std::vector<std::string>{"window"});
  EXPECT_TRUE(show.window.encodeEnabled);  // a retry stays possible
}

// Decodes nothing: every slide is a 1 × 1 picture.
class TinyDecoder final : public SlideDecoder {
 public:
  SlideHolder Decode(const Bytes&, const std::filesystem::path&, const KeepPart&) const override {
    SlideHolder holder;
    holder.picture = SlidePicture{1, 1, {0xFF000000u}};
    holder.outerWidthTwips = holder.outerHeightTwips = 75;
    return holder;
  }
};

TEST(LoadSlides, OnlyAJobThatRanMarksTheSlidesLoaded) {
  ShowFolder show;
  SlideStore store;
  show.window.runJobs = false;
  LoadSlides(show.slides, TinyDecoder(), store, show.state, show.window);
  EXPECT_EQ(show.window.events, (std::vector<std::string>{"last 2", "window"}));
  EXPECT_EQ(store.Size(), 1u);

  show.window.runJobs = true;
  show.window.events.clear();
  LoadSlides(show.slides, TinyDecoder(), store, show.state, show.window);
  EXPECT_EQ(show.window.events, (std::vector<std::string>{"last 2", "window", "draw", "last 2", "loaded"}));
  EXPECT_EQ(store.Size(), 3u);
  EXPECT_EQ(show.state.SlideOffsetX, (6000 - 75) / 2);
}

}  // namespace
}  // namespace kvarbon
