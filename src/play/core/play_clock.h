// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "app/core/shared_state.h"
#include "app/core/sound_output.h"
#include "play/core/monotonic_clock.h"

namespace kvarbon {

// What the player's clock asks of its window.
class PlayView {
 public:
  virtual ~PlayView() = default;
  // Gets frame `frame` ready to draw (its slide decoded); may wait for it.
  virtual void PrepareFrame(int frame) = 0;
  // Draws the frame just prepared and puts it on screen.
  virtual void DrawFrame(int frame) = 0;
};

// zel-play's clock. A show plays on the export's timeline: frame 1 and its
// sound start at once, frame k follows (k - 1) frame intervals later, and a
// frame's sound starts with it, cutting off the one before (a frame without a
// sound leaves it playing). After the last frame nothing more is shown or
// started: the last frame stays and the last sound plays to its end.
//
// The window's timer asks how long to wait (UntilNextTick) and calls Tick
// when it fires. Frame k is due (k - 1) intervals after the start whatever
// the frames before it cost, and ticks come as early as drawing a frame takes
// (smoothed, at most half an interval), so that the frame is on screen when
// due; its sound starts once it is.
class PlayClock {
 public:
  // `show` holds the sounds (SlideSoundTable, SoundBank) and the interval
  // (FrameInterval) of frames 1 to `lastFrame`; it must outlive the clock.
  PlayClock(const SharedState& show, int lastFrame, PlayView& view, SoundOutput& sound, const MonotonicClock& clock);

  // Frame 1 and its sound now, and the rest of the show after it.
  void PlayFromStart();
  // Space: pauses; or resumes, the next frame one interval later; or, at the
  // end of the show or after Home, plays from the start.
  void PlayPause();
  // Left and Right: one frame back or forward within the show, drawn with its
  // sound; past either end nothing moves. While playing, the next frame
  // follows at its time from the frame stepped to.
  void Step(int delta);
  // Home: while playing, plays from the start; otherwise shows frame 1, and
  // Space plays from the start.
  void Home();

  // The timer fired: the next frame, or the end of the show after the last.
  void Tick();
  // How long the timer waits for the next tick; none when not playing.
  std::optional<std::chrono::milliseconds> UntilNextTick() const;

  int FrameShown() const { return shown_; }
  bool Playing() const { return playing_; }

 private:
  // Draws `frame`, measuring how long drawing takes, then starts its sound.
  void Show(int frame);
  // Playing, with the next frame due one interval from `now`.
  void StartClock(MonotonicClock::TimePoint now);
  std::chrono::milliseconds Interval() const;

  const SharedState& show_;
  int last_;
  PlayView& view_;
  SoundOutput& sound_;
  const MonotonicClock& clock_;
  int shown_ = 0;  // none yet
  bool playing_ = false;
  bool fromStart_ = true;  // Space plays from frame 1: at first, after Home, at the end
  MonotonicClock::TimePoint anchor_{};  // when the clock last started: the frame shown then was on screen
  std::int64_t ticks_ = 0;              // ticks since then
  std::chrono::duration<double, std::milli> lead_{0};
};

}  // namespace kvarbon
