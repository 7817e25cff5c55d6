// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "app/core/shared_state.h"
#include "app/core/sound_output.h"

namespace kvarbon {

// What the transport needs of the window that shows the preview.
class TransportView {
 public:
  virtual ~TransportView() = default;
  // The frame slider's value and maximum.
  virtual int FrameShown() const = 0;
  virtual int LastFrame() const = 0;
  // Assigns the frame slider's value; the slider keeps it within its range and
  // its change notification draws the frame, names its sound and starts it.
  virtual void ShowFrame(int frame) = 0;
  // The repeat check box.
  virtual bool RepeatOn() const = 0;
  // Starts or stops the periodic timer and shows the play ("||" while running)
  // or the pause caption.
  virtual void ShowClock(bool running) = 0;
};

// The preview's playback clock and its transport controls: play/pause, one
// frame forward or back, stop and rewind, with repeat at the end of the show.
// The clock's state is Stopped or Playing; CurrentFrame (in the shared state)
// is the frame it stands at. The timer itself belongs to the view.
class Transport {
 public:
  Transport(SharedState& state, TransportView& view, SoundOutput& sound);

  // One period of the clock: shows the next frame (after the last one frame 1,
  // and the clock stops there unless repeat is on) and starts that frame's
  // sound. A failing step is skipped and the next one runs; nothing is reported.
  void Tick();
  // Stopped -> Playing, Playing -> Stopped; the frame position stays.
  void PlayPause();
  // One frame forward (index 0) or back (any other index); CurrentFrame
  // follows the slider. The state stays.
  void Step(std::int16_t index);
  // Frame 1 shown, CurrentFrame 0, Stopped.
  void Stop();

  bool Playing() const { return playing_; }

 private:
  void SetPlaying(bool playing);

  SharedState& state_;
  TransportView& view_;
  SoundOutput& sound_;
  bool playing_ = false;
};

}  // namespace kvarbon
