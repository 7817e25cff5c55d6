// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "app/core/shared_state.h"
#include "app/core/sound_output.h"

namespace kvarbon {

// What the transport asks of the window that shows the preview. The window
// only shows; which frame, and which sound starts, is the transport's.
class TransportView {
 public:
  virtual ~TransportView() = default;
  // Puts the frame slider (its value and its thumb) on `frame` and shows the
  // frame number. Draws nothing and reports no move back.
  virtual void ShowPosition(int frame) = 0;
  // Draws frame `frame`'s slide and names its sound.
  virtual void DrawFrame(int frame) = 0;
  // Starts or stops the periodic timer and shows the play ("||" while running)
  // or the pause caption.
  virtual void ShowClock(bool running) = 0;
};

// The preview's playback clock and its transport controls: play/pause, one
// frame forward or back, stop and rewind, with repeat at the end of the show.
//
// It holds the position: the frame shown (the slider's value, where steps
// start), where the slider's thumb stands (ahead of the value while dragged),
// the last frame, the repeat flag, and the clock's frame, CurrentFrame in the
// shared state, which only the transport writes. A frame is drawn when the
// slider moves to it, and its sound then starts exactly once. The clock's state
// is Stopped or Playing; the timer itself belongs to the view.
class Transport {
 public:
  Transport(SharedState& state, TransportView& view, SoundOutput& sound);

  // One period of the clock: the next frame (after the last one frame 1, and
  // the clock stops there unless repeat is on), drawn if the slider is not on
  // it yet, and its sound started. A failing step is skipped and the next one
  // runs; nothing is reported.
  void Tick();
  // Stopped -> Playing, Playing -> Stopped; the frame position stays.
  void PlayPause();
  // One frame forward (index 0) or back (any other index) from the frame
  // shown, within the frames; CurrentFrame follows. The state stays.
  void Step(std::int16_t index);
  // Frame 1 shown, CurrentFrame 0, Stopped.
  void Stop();

  // The user moved the slider to `frame`: it becomes the frame shown, is drawn
  // and its sound starts. The clock stays where it stands.
  void MovedByHand(int frame);
  // The slider's thumb passes `frame` while dragged: drawn and its sound
  // started. The frame shown changes only when the thumb is let go.
  void Scrub(int frame);

  // The slider's maximum, and the repeat check box.
  void SetLastFrame(int last) { last_ = last; }
  void SetRepeat(bool on) { repeat_ = on; }

  bool Playing() const { return playing_; }
  int FrameShown() const { return shown_; }

 private:
  void SetPlaying(bool playing);
  // Puts the slider on `frame` and draws it.
  void Show(int frame) noexcept;
  // Shows `frame` unless both the slider's value and its thumb stand there
  // already. True when it moved.
  bool MoveTo(int frame) noexcept;
  void StartSound(std::int64_t frame) noexcept;

  SharedState& state_;
  TransportView& view_;
  SoundOutput& sound_;
  int shown_ = 1;
  int thumb_ = 1;
  int last_ = 1;
  bool repeat_ = false;
  bool playing_ = false;
};

}  // namespace kvarbon
