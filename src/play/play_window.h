// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>
#include <QWidget>
#include <chrono>
#include <deque>
#include <future>
#include <optional>
#include <string>

#include "app/core/shared_state.h"
#include "app/core/sound_output.h"
#include "show/core/container_reader.h"
#include "preview/core/frame_canvas.h"
#include "preview/core/transport.h"
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

// A window that plays a show once at its rate on the preview's transport:
// each frame drawn on a canvas the size of the first slide as the preview
// draws it (every slide at the top-left corner, never cleared), and each
// frame's sound started with it. Slides are decoded when shown (a
// few ahead while playing), so memory holds a few pictures, not the show.
//
// Keys: Space pauses and resumes (at the end, plays again from frame 1); Left
// and Right step; Home goes to frame 1; F11 toggles full screen; Escape leaves
// full screen, or else closes the window.
class PlayWindow : public QWidget, public TransportView {
 public:
  // `container` and `contents` must outlive the window; `state` is filled from them.
  PlayWindow(ByteView container, const ContainerContents& contents, SharedState& state, SoundOutput& sound,
             const QString& title);

  // Plays from frame 1: shows it and starts its sound now, the next frame one interval later.
  void PlayFromStart();

  int FrameShown() const override { return frameShown_; }
  int LastFrame() const override;
  void ShowFrame(int frame) override;
  bool RepeatOn() const override { return false; }
  void ShowClock(bool running) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void HandleKey(QKeyEvent* event);
  std::optional<SlidePicture> Decode(int frame) const;
  // Keeps the slides of the frames after `frame` decoding ahead.
  void Prefetch(int frame);
  void Tick();
  void ScheduleTick();

  ByteView container_;
  const ContainerContents& contents_;
  SharedState& state_;
  SoundOutput& sound_;
  FrameCanvas canvas_;
  Transport transport_;
  using Clock = std::chrono::steady_clock;
  QTimer timer_;  // the playback clock: one tick per frame interval while playing
  Clock::time_point clockStart_;
  std::int64_t ticks_ = 0;
  double leadMs_ = 0;  // how early a tick starts, to have its frame on screen when due
  CanvasView* view_;
  QLabel* frameLabel_;
  int frameShown_ = 0;
  bool ticking_ = false;
  bool ended_ = false;  // the clock stopped by itself after the last frame
  // Slides being decoded ahead while playing, in frame order.
  struct Ahead {
    int frame;
    std::future<std::optional<SlidePicture>> picture;
  };
  std::deque<Ahead> ahead_;
};

}  // namespace kvarbon
