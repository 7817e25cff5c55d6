// SPDX-License-Identifier: GPL-3.0-or-later
// The playback clock's state table, driven through a view without a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "preview/core/transport.h"
#include "support/recording_sound_output.h"

namespace kvarbon {
namespace {

// A slider that keeps its value within 1 to its maximum and, like the
// display, starts a shown frame's sound when its value changes.
class FakeSlider final : public TransportView {
 public:
  FakeSlider(SharedState& state, SoundOutput& sound, int last) : state_(state), sound_(sound), last_(last) {}

  int FrameShown() const override { return value; }
  int LastFrame() const override { return last_; }
  void ShowFrame(int frame) override {
    if (failing) throw std::runtime_error("display failed");
    const int kept = std::clamp(frame, 1, last_);
    if (kept == value) return;
    value = kept;
    const std::size_t index = static_cast<std::size_t>(kept) - 1;
    if (index < state_.SlideSoundTable.size() && !state_.SlideSoundTable[index].empty()) {
      sound_.Play(state_.SoundBank.at(std::stoul(state_.SlideSoundTable[index])));
    }
  }
  bool RepeatOn() const override { return repeat; }
  void ShowClock(bool running) override { clock = running; }

  int value = 1;
  bool repeat = false;
  bool clock = false;
  bool failing = false;

 private:
  SharedState& state_;
  SoundOutput& sound_;
  int last_;
};

struct Show {
  explicit Show(int frames) : view(state, sound, frames), transport(state, view, sound) {
    state.SlideSoundTable.assign(static_cast<std::size_t>(frames) + 1, std::string());
    state.SoundBank = {ToBytes("zero"), ToBytes("one"), {}};
  }
  // Which bank elements were started, in order.
  std::vector<int> Played() const {
    std::vector<int> positions;
    for (const auto& played : sound.played) {
      positions.push_back(played.data == state.SoundBank[0].data() ? 0 : played.data == state.SoundBank[1].data() ? 1 : -1);
    }
    return positions;
  }
  SharedState state;
  testing::RecordingSoundOutput sound;
  FakeSlider view;
  Transport transport;
};

TEST(Transport, PlayPauseTickAndStop) {
  Show show(4);
  show.state.SlideSoundTable[0] = "0";
  show.state.SlideSoundTable[1] = "1";
  show.view.value = 3;
  show.state.CurrentFrame = 2;
  show.transport.PlayPause();
  EXPECT_TRUE(show.view.clock);
  show.transport.PlayPause();  // pause keeps the frame
  EXPECT_FALSE(show.view.clock);
  EXPECT_EQ(show.state.CurrentFrame, 2);
  EXPECT_EQ(show.view.value, 3);

  show.transport.Stop();  // frame 1 shown, clock back to 0
  EXPECT_EQ(show.view.value, 1);
  EXPECT_EQ(show.state.CurrentFrame, 0);
  EXPECT_FALSE(show.view.clock);
  EXPECT_EQ(show.Played(), std::vector<int>{0});

  show.transport.PlayPause();
  show.transport.Tick();  // lands on frame 1, already shown: the tick starts its sound itself
  EXPECT_EQ(show.state.CurrentFrame, 1);
  EXPECT_EQ(show.Played(), (std::vector<int>{0, 0}));
  show.transport.Tick();  // frame 2: started by the display, then again by the tick
  EXPECT_EQ(show.view.value, 2);
  EXPECT_EQ(show.Played(), (std::vector<int>{0, 0, 1, 1}));
  show.transport.Tick();  // frame 3 has no sound
  EXPECT_EQ(show.Played().size(), 4u);
  EXPECT_TRUE(show.view.clock);
}

TEST(Transport, EndOfTheShowWithAndWithoutRepeat) {
  Show show(3);
  show.view.value = 3;
  show.state.CurrentFrame = 3;
  show.view.repeat = true;
  show.transport.PlayPause();
  show.transport.Tick();
  EXPECT_EQ(show.state.CurrentFrame, 1);
  EXPECT_EQ(show.view.value, 1);
  EXPECT_TRUE(show.view.clock);
  // Repeat is read only when the clock passes the last frame.
  show.view.repeat = false;
  show.transport.Tick();
  show.transport.Tick();
  EXPECT_TRUE(show.view.clock);
  show.transport.Tick();
  EXPECT_FALSE(show.view.clock);
  EXPECT_EQ(show.state.CurrentFrame, 1);
  show.transport.PlayPause();
  show.transport.Tick();
  EXPECT_EQ(show.view.value, 2);
}

TEST(Transport, TheLargestShowEndsLikeAnyOther) {
  for (const bool repeat : {false, true}) {
    Show show(32767);
    show.state.SlideSoundTable[0] = "1";
    show.view.value = 32767;
    show.state.CurrentFrame = 32767;
    show.view.repeat = repeat;
    show.transport.PlayPause();
    show.transport.Tick();
    EXPECT_EQ(show.state.CurrentFrame, 1) << repeat;
    EXPECT_EQ(show.view.value, 1) << repeat;
    EXPECT_EQ(show.view.clock, repeat);
    EXPECT_EQ(show.Played(), (std::vector<int>{1, 1}));
  }
}

TEST(Transport, StepsMoveTheClockDraggingDoesNotAndEndsHold) {
  Show show(4);
  show.transport.PlayPause();
  show.transport.Tick();
  show.transport.Tick();  // the clock stands at 2
  show.view.value = 4;    // dragged by hand
  show.transport.Tick();
  EXPECT_EQ(show.view.value, 3);
  show.transport.Step(1);
  EXPECT_EQ(show.state.CurrentFrame, 2);
  EXPECT_TRUE(show.view.clock);  // a step leaves the state alone
  show.view.value = 4;
  show.transport.Step(0);  // past the end: the slider keeps its maximum
  EXPECT_EQ(show.state.CurrentFrame, 4);
  show.view.value = 1;
  show.transport.Step(7);  // any index but 0 steps back
  EXPECT_EQ(show.state.CurrentFrame, 1);
}

TEST(Transport, AFailingDisplaySkipsOnlyThatStep) {
  Show show(4);
  show.state.SlideSoundTable[1] = "0";
  show.state.CurrentFrame = 1;
  show.view.failing = true;
  EXPECT_NO_THROW(show.transport.Tick());
  EXPECT_EQ(show.state.CurrentFrame, 2);
  EXPECT_EQ(show.Played(), std::vector<int>{0});
}

}  // namespace
}  // namespace kvarbon
