// SPDX-License-Identifier: GPL-3.0-or-later
// Attaching, clearing and auditioning a frame's sound, driven through its view.
#include <gtest/gtest.h>

#include <string>

#include "editing/core/sound_editing.h"
#include "support/recording_sound_output.h"

namespace kvarbon {
namespace {

class FakeView final : public SoundEditingView {
 public:
  int SelectedSound() const override { return selected; }
  int SoundCount() const override { return 3; }
  int FrameShown() const override { return frame; }
  void ShowSoundName(int position) override { label = std::to_string(position); }
  void ClearSoundName() override { label.clear(); }

  int selected = -1;
  int frame = 1;
  std::string label;
};

TEST(SoundEditing, AnAuditionLeavesEveryAssignmentAsItWas) {
  SharedState state;
  state.SlideSoundTable = {"2", "", ""};
  state.SoundBank = {ToBytes("a"), ToBytes("b"), ToBytes("c"), {}};
  FakeView window;
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

}  // namespace
}  // namespace kvarbon
