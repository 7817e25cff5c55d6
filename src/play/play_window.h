// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>
#include <QWidget>
#include <deque>
#include <future>
#include <optional>
#include <string>

#include "app/core/shared_state.h"
#include "app/core/sound_output.h"
#include "play/core/monotonic_clock.h"
#include "play/core/play_clock.h"
#include "show/core/container_reader.h"
#include "show/core/show_file.h"
#include "preview/core/frame_canvas.h"
#include "slides/core/slide_picture.h"

class QLabel;

namespace kvarbon {

// The area that shows the frame canvas scaled to fit, keeping its aspect, on black.
class CanvasView : public QWidget {
 public:
  CanvasView(const FrameCanvas& canvas, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const FrameCanvas& canvas_;
};

// A window that plays a show once at its rate on the player's clock
// (PlayClock): each frame drawn on a canvas the size of the first slide as the
// preview draws it (every slide at the top-left corner, never cleared).
// Slides are decoded when shown (a few ahead while playing), so memory holds
// a few pictures, not the show. The window holds the timer, the keys and the
// drawing; what is shown when, and which sound starts, is the clock's.
//
// Keys: Space pauses and resumes (at the end, or after Home, plays from frame
// 1); Left and Right step; Home goes to frame 1; F11 toggles full screen;
// Escape leaves full screen, or else closes the window. When the show file
// changes while it is read, the window closes and Failure() says so.
class PlayWindow : public QWidget, public PlayView {
 public:
  // `payloads` and `contents` must outlive the window, `state` filled from them.
  // Throws what `payloads` throws.
  PlayWindow(const PayloadSource& payloads, const ContainerContents& contents, const SharedState& state, SoundOutput& sound,
             const QString& title);

  // Plays from frame 1: shows it and starts its sound now, the next frame one interval later.
  void PlayFromStart();

  int FrameShown() const { return clock_.FrameShown(); }
  // Why playing stopped before the window was closed by the user, if it did.
  const std::optional<std::string>& Failure() const { return failure_; }
  void PrepareFrame(int frame) override;
  void DrawFrame(int frame) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void HandleKey(QKeyEvent* event);
  std::optional<SlidePicture> Decode(int frame) const;
  // Keeps the slides of the frames after `frame` decoding ahead.
  void Prefetch(int frame);
  // After the clock moved: decodes ahead while playing and sets the timer for the next tick.
  void FollowClock();
  // Stops playing and closes the window, keeping `error` for Failure().
  void Stop(const ShowChanged& error);

  const PayloadSource& payloads_;
  const ContainerContents& contents_;
  FrameCanvas canvas_;
  SteadyClock steady_;
  PlayClock clock_;
  QTimer timer_;  // one shot per frame while playing
  CanvasView* view_;
  QLabel* frameLabel_;
  // Slides being decoded ahead while playing, in frame order.
  struct Ahead {
    int frame;
    std::future<std::optional<SlidePicture>> picture;
  };
  std::deque<Ahead> ahead_;
  std::optional<SlidePicture> prepared_;  // the next frame's slide, once decoded
  std::optional<std::string> failure_;
};

}  // namespace kvarbon
