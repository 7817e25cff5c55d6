// SPDX-License-Identifier: GPL-3.0-or-later
// The playback clock's state table, driven through a view without a window:
// which frame the slider shows, what is drawn, and which sounds start.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "preview/core/transport.h"
#include "support/recording_sound_output.h"

namespace kvarbon {
namespace {

// A window that records what the transport asks of it.
class FakeView final : public TransportView {
 public:
  void ShowPosition(int frame) override {
    if (failing) throw std::runtime_error("display failed");
    slider = frame;
  }
  void DrawFrame(int frame) override { drawn.push_back(frame); }
  void ShowClock(bool running) override { clock = running; }

  int slider = 1;
  std::vector<int> drawn;
  bool clock = false;
  bool failing = false;
};

// A show of `frames` frames; sound 0 ("zero") and sound 1 ("one") in the bank.
struct Show {
  explicit Show(int frames) : transport(state, view, sound) {
    state.SlideSoundTable.assign(static_cast<std::size_t>(frames) + 1, std::string());
    state.SoundBank = {ToBytes("zero"), ToBytes("one"), {}};
    transport.SetLastFrame(frames);
  }
  // Which bank elements were started, in order: each start is one count.
  std::vector<int> Played() const {
    std::vector<int> positions;
    for (const auto& played : sound.played) {
      positions.push_back(played.data == state.SoundBank[0].data() ? 0 : played.data == state.SoundBank[1].data() ? 1 : -1);
    }
    return positions;
  }
  SharedState state;
  testing::RecordingSoundOutput sound;
  FakeView view;
  Transport transport;
};

TEST(Transport, EachShowingStartsItsSoundOnceAndPlayAfterStopLandsOnFrame1First) {
  Show show(4);
  show.state.SlideSoundTable[0] = "0";
  show.state.SlideSoundTable[1] = "1";
  show.transport.MovedByHand(3);
  show.state.CurrentFrame = 2;
  show.transport.PlayPause();
  EXPECT_TRUE(show.view.clock);
  show.transport.PlayPause();  // pause keeps the frame
  EXPECT_FALSE(show.view.clock);
  EXPECT_EQ(show.state.CurrentFrame, 2);
  EXPECT_EQ(show.transport.FrameShown(), 3);

  show.transport.Stop();  // frame 1 shown, clock back to 0
  EXPECT_EQ(show.view.slider, 1);
  EXPECT_EQ(show.state.CurrentFrame, 0);
  EXPECT_FALSE(show.view.clock);
  EXPECT_EQ(show.view.drawn, (std::vector<int>{3, 1}));
  EXPECT_EQ(show.Played(), std::vector<int>{0});
  show.transport.Stop();  // already there: nothing drawn, nothing started
  EXPECT_EQ(show.Played(), std::vector<int>{0});

  show.transport.PlayPause();
  show.transport.Tick();  // lands on frame 1, already shown: not drawn again, its sound starts
  EXPECT_EQ(show.state.CurrentFrame, 1);
  EXPECT_EQ(show.view.drawn.size(), 2u);
  EXPECT_EQ(show.Played(), (std::vector<int>{0, 0}));
  show.transport.Tick();  // frame 2: drawn, and its sound started once
  EXPECT_EQ(show.view.slider, 2);
  EXPECT_EQ(show.view.drawn.back(), 2);
  EXPECT_EQ(show.Played(), (std::vector<int>{0, 0, 1}));
  show.transport.Tick();  // frame 3 has no sound
  EXPECT_EQ(show.Played().size(), 3u);
  EXPECT_TRUE(show.view.clock);
}

TEST(Transport, TheEndOfTheShowReturnsToFrame1WithItsSoundAndStopsThereWithoutRepeat) {
  Show show(3);
  show.state.SlideSoundTable[0] = "1";
  show.transport.SetRepeat(true);
  show.transport.PlayPause();
  for (int tick = 0; tick < 7; ++tick) show.transport.Tick();  // 1 2 3 1 2 3 1
  EXPECT_EQ(show.view.drawn, (std::vector<int>{2, 3, 1, 2, 3, 1}));  // frame 1 stood there already
  EXPECT_EQ(show.Played(), (std::vector<int>{1, 1, 1}));
  EXPECT_TRUE(show.view.clock);
  // Repeat is read only when the clock passes the last frame.
  show.transport.SetRepeat(false);
  show.transport.Tick();
  show.transport.Tick();
  EXPECT_TRUE(show.view.clock);
  show.transport.Tick();
  EXPECT_FALSE(show.view.clock);
  EXPECT_EQ(show.state.CurrentFrame, 1);
  EXPECT_EQ(show.view.slider, 1);
  EXPECT_EQ(show.Played(), (std::vector<int>{1, 1, 1, 1}));
  show.transport.PlayPause();
  show.transport.Tick();
  EXPECT_EQ(show.view.slider, 2);

  for (const bool repeat : {false, true}) {
    Show largest(32767);
    largest.state.SlideSoundTable[0] = "1";
    largest.transport.MovedByHand(32767);
    largest.state.CurrentFrame = 32767;
    largest.transport.SetRepeat(repeat);
    largest.transport.PlayPause();
    largest.transport.Tick();
    EXPECT_EQ(largest.state.CurrentFrame, 1) << repeat;
    EXPECT_EQ(largest.view.slider, 1) << repeat;
    EXPECT_EQ(largest.view.clock, repeat);
    EXPECT_EQ(largest.Played(), std::vector<int>{1});
  }
}

TEST(Transport, HandMovesShowAFrameWithoutMovingTheClockAndStepsGoOnFromIt) {
  Show show(4);
  show.state.SlideSoundTable[3] = "0";
  show.transport.PlayPause();
  show.transport.Tick();
  show.transport.Tick();  // the clock stands at 2
  show.transport.MovedByHand(4);
  EXPECT_EQ(show.state.CurrentFrame, 2);
  EXPECT_EQ(show.view.slider, 4);
  EXPECT_EQ(show.Played(), std::vector<int>{0});
  show.transport.Tick();  // the clock goes on from where it stood
  EXPECT_EQ(show.view.slider, 3);
  show.transport.Step(1);  // a step starts from the frame shown and takes the clock along
  EXPECT_EQ(show.view.slider, 2);
  EXPECT_EQ(show.state.CurrentFrame, 2);
  EXPECT_TRUE(show.view.clock);  // a step leaves the state alone

  // Past either end a step moves, draws and starts nothing; the clock still follows the frame shown.
  show.transport.MovedByHand(4);
  const std::size_t drawn = show.view.drawn.size();
  const std::size_t played = show.sound.played.size();
  show.transport.Step(0);
  EXPECT_EQ(show.state.CurrentFrame, 4);
  show.transport.MovedByHand(1);
  show.transport.Step(7);  // any index but 0 steps back
  EXPECT_EQ(show.state.CurrentFrame, 1);
  EXPECT_EQ(show.view.drawn.size(), drawn + 1);
  EXPECT_EQ(show.sound.played.size(), played);  // frame 1 has no sound
}

TEST(Transport, ADraggedThumbShowsEachFrameAndTheClockPutsItBack) {
  Show show(4);
  show.state.SlideSoundTable[2] = "0";
  show.transport.Stop();
  show.transport.Scrub(3);  // dragged: drawn and heard, but the frame shown stays
  EXPECT_EQ(show.transport.FrameShown(), 1);
  EXPECT_EQ(show.view.drawn, std::vector<int>{3});
  EXPECT_EQ(show.Played(), std::vector<int>{0});
  show.transport.PlayPause();
  show.transport.Tick();  // lands on frame 1 while the thumb is elsewhere: the slider moves back
  EXPECT_EQ(show.view.drawn, (std::vector<int>{3, 1}));
  EXPECT_EQ(show.view.slider, 1);
}

TEST(Transport, AFailingDisplaySkipsOnlyThatStep) {
  Show show(4);
  show.state.SlideSoundTable[1] = "0";
  show.state.CurrentFrame = 1;
  show.view.failing = true;
  EXPECT_NO_THROW(show.transport.Tick());
  EXPECT_EQ(show.state.CurrentFrame, 2);
  EXPECT_EQ(show.view.drawn, std::vector<int>{2});
  EXPECT_EQ(show.Played(), std::vector<int>{0});
}

}  // namespace
}  // namespace kvarbon
