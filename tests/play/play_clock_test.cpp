// SPDX-License-Identifier: GPL-3.0-or-later
// zel-play's clock on a clock moved by hand: the show's frame and sound times
// against zel-export's timeline, the lead that keeps frames on time, and the keys.

#include "play/core/play_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "export/core/export_timeline.h"
#include "play/core/play_state.h"
#include "support/media_samples.h"

namespace kvarbon {
namespace {

using std::chrono::milliseconds;

class FakeClock final : public MonotonicClock {
 public:
  TimePoint Now() const override { return now; }
  std::int64_t Ms() const { return std::chrono::duration_cast<milliseconds>(now - TimePoint{}).count(); }
  TimePoint now{};
};

// The window and the sound output in one: what was drawn and started, and when.
class Recorder final : public PlayView, public SoundOutput {
 public:
  explicit Recorder(FakeClock& time) : time_(time) {}
  void PrepareFrame(int) override { time_.now += decodeWait; }
  void DrawFrame(int frame) override {
    time_.now += drawCost;
    drawn.push_back({time_.Ms(), frame});
  }
  void Play(ByteView image) override { started.push_back({time_.Ms(), image.data()}); }

  milliseconds decodeWait{0};
  milliseconds drawCost{0};
  std::vector<std::pair<std::int64_t, int>> drawn;                  // when each frame was on screen
  std::vector<std::pair<std::int64_t, const std::byte*>> started;  // when each sound started

 private:
  FakeClock& time_;
};

// Lets the player's timer run on the fake clock up to `untilMs`.
void RunUntil(PlayClock& player, FakeClock& time, std::int64_t untilMs) {
  while (const std::optional<milliseconds> wait = player.UntilNextTick()) {
    if (time.Ms() + wait->count() > untilMs) break;
    time.now += *wait;
    player.Tick();
  }
  time.now = std::max(time.now, MonotonicClock::TimePoint{} + milliseconds(untilMs));
}

// 8 kHz sounds of `ms` milliseconds, and one-pixel slides.
Bytes SoundOf(int ms) { return testing::Wav(std::string(static_cast<std::size_t>(ms) * 8, '\x90')); }
Bytes Slide() { return testing::Bmp(1, "\x10\x20\x30"); }

// The player's clock with its window and sound output on a fake clock.
struct Player {
  Player(const SharedState& show, int lastFrame) : recorder(time), clock(show, lastFrame, recorder, recorder, time) {}
  FakeClock time;
  Recorder recorder;
  PlayClock clock;
};

TEST(PlayClock, FramesAndSoundsComeAtTheTimesOfTheExportedVideo) {
  // 40 ms frames. Sound 0 (300 ms) on frame 1 plays on through frame 2, which
  // has none, until sound 1 (10 ms) on frame 3 cuts it off; sound 0 again on
  // frame 5 plays on past the last frame. "9=0" names no frame.
  const Bytes show = testing::ZelContainer("40", "1=0;3=1;5=0;9=0;", {SoundOf(300), SoundOf(10)},
                                           {Slide(), Slide(), Slide(), Slide(), Slide(), Slide()});
  const ContainerContents contents = ReadContainer(show);
  ASSERT_FALSE(contents.error);

  // zel-export's timeline for the show.
  constexpr int kRate = 48000;
  const int interval = *contents.frameInterval;
  const std::size_t frames = contents.slides.size();
  const std::vector<SoundSpan> spans = PlanSounds(
      interval, FrameSounds(contents.entries, frames, contents.sounds.size()), {300 * 48, 10 * 48}, kRate);
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(spans[0].length, SampleAt(2 * interval, kRate));  // cut off by frame 3's sound
  const std::int64_t endMs = VideoEndMs(interval, frames, spans, kRate);
  EXPECT_EQ(endMs, 4 * 40 + 300);

  // zel-play's, from the state it plays from.
  SharedState state;
  ASSERT_EQ(FillSharedState(MemoryPayloads(show), contents, state), std::nullopt);
  Player player(state, static_cast<int>(frames));
  player.clock.PlayFromStart();
  RunUntil(player.clock, player.time, endMs + 1000);

  std::vector<std::pair<std::int64_t, int>> frameTimes;
  for (std::size_t k = 1; k <= frames; ++k) frameTimes.push_back({FrameStartMs(interval, k), static_cast<int>(k)});
  EXPECT_EQ(player.recorder.drawn, frameTimes);
  std::vector<std::pair<std::int64_t, const std::byte*>> soundTimes;
  for (const SoundSpan& span : spans) {
    soundTimes.push_back({span.start * 1000 / kRate, state.SoundBank[span.sound].data()});
  }
  EXPECT_EQ(player.recorder.started, soundTimes);
  // At the end the last frame stays and nothing more starts.
  EXPECT_FALSE(player.clock.Playing());
  EXPECT_EQ(player.clock.FrameShown(), 6);
}

TEST(PlayClock, TicksComeAsEarlyAsDrawingTakesSoThatFramesAreOnScreenWhenDue) {
  SharedState show;
  show.FrameInterval = 40;
  show.SlideSoundTable.assign(31, "");
  Player player(show, 30);
  const auto onScreen = [&](std::size_t k) { return player.recorder.drawn[k].first; };
  player.recorder.drawCost = milliseconds(8);
  player.clock.PlayFromStart();  // frame 1 is on screen at 8 ms: the show's time starts there
  RunUntil(player.clock, player.time, 190);
  ASSERT_EQ(player.recorder.drawn.size(), 5u);
  EXPECT_EQ(onScreen(0), 8);
  for (std::size_t k = 1; k < 5; ++k) EXPECT_EQ(onScreen(k), 8 + static_cast<std::int64_t>(k) * 40) << k;

  // A slide whose decoding is 100 ms late makes the next frames late until
  // they catch up, not every later one, and does not count as drawing time.
  player.recorder.decodeWait = milliseconds(100);
  RunUntil(player.clock, player.time, 205);
  player.recorder.decodeWait = milliseconds(0);
  RunUntil(player.clock, player.time, 2000);
  ASSERT_EQ(player.recorder.drawn.size(), 30u);
  EXPECT_EQ(onScreen(5), 308);
  for (std::size_t k = 9; k < 30; ++k) EXPECT_EQ(onScreen(k), 8 + static_cast<std::int64_t>(k) * 40) << k;
  EXPECT_FALSE(player.clock.UntilNextTick());  // the tick after the last frame ended the show

  // Drawing slower than half an interval: ticks come half an interval early, no earlier.
  Player slow(show, 30);
  slow.recorder.drawCost = milliseconds(30);
  slow.clock.PlayFromStart();
  RunUntil(slow.clock, slow.time, 400);
  ASSERT_GT(slow.recorder.drawn.size(), 5u);
  for (std::size_t k = 1; k < slow.recorder.drawn.size(); ++k) {
    EXPECT_EQ(slow.recorder.drawn[k].first, 30 + static_cast<std::int64_t>(k) * 40 + 10) << k;
  }
}

TEST(PlayClock, SpacePausesResumesAndAtTheEndOrAfterHomePlaysFromFrame1AtOnce) {
  SharedState show;
  show.FrameInterval = 50;
  show.SlideSoundTable = {"0", "", "", ""};
  show.SoundBank = {ToBytes("one"), {}};
  Player player(show, 3);
  PlayClock& clock = player.clock;
  const auto starts = [&] { return player.recorder.started.size(); };

  clock.PlayPause();  // Space at the start: frame 1 and its sound at once
  EXPECT_EQ(player.recorder.drawn.back(), std::make_pair(std::int64_t{0}, 1));
  EXPECT_EQ(starts(), 1u);
  RunUntil(clock, player.time, 60);
  clock.PlayPause();  // pause on frame 2
  RunUntil(clock, player.time, 500);
  EXPECT_EQ(clock.FrameShown(), 2);
  clock.PlayPause();  // resume: frame 3 one interval later, then the end
  RunUntil(clock, player.time, 549);
  EXPECT_EQ(clock.FrameShown(), 2);
  RunUntil(clock, player.time, 1000);
  EXPECT_EQ(player.recorder.drawn.back(), std::make_pair(std::int64_t{550}, 3));
  EXPECT_FALSE(clock.Playing());

  clock.PlayPause();  // Space at the end
  EXPECT_EQ(player.recorder.drawn.back(), std::make_pair(std::int64_t{1000}, 1));
  EXPECT_EQ(starts(), 2u);
  RunUntil(clock, player.time, 1050);
  EXPECT_EQ(clock.FrameShown(), 2);

  clock.Home();  // while playing: from the start at once
  EXPECT_EQ(player.recorder.drawn.back(), std::make_pair(std::int64_t{1050}, 1));
  EXPECT_EQ(starts(), 3u);
  clock.PlayPause();
  clock.Step(1);
  clock.Step(1);
  clock.Step(1);  // past the end: nothing
  EXPECT_EQ(clock.FrameShown(), 3);
  const std::size_t drawn = player.recorder.drawn.size();
  clock.Home();  // while paused: frame 1 with its sound, and Space plays from it at once
  EXPECT_EQ(starts(), 4u);
  RunUntil(clock, player.time, 2000);
  clock.PlayPause();
  EXPECT_EQ(player.recorder.drawn.size(), drawn + 2);
  EXPECT_EQ(player.recorder.drawn.back(), std::make_pair(std::int64_t{2000}, 1));
  EXPECT_EQ(starts(), 5u);
  RunUntil(clock, player.time, 2050);
  EXPECT_EQ(player.recorder.drawn.back(), std::make_pair(std::int64_t{2050}, 2));
  clock.Step(-1);
  clock.Step(-1);  // past the start: nothing
  EXPECT_EQ(clock.FrameShown(), 1);
  EXPECT_EQ(starts(), 6u);
}

}  // namespace
}  // namespace kvarbon
