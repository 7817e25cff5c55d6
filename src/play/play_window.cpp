// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/play_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

#include "export/core/export_timeline.h"
#include "show/platform/slide_decoding.h"
#include "preview/core/frame_sound.h"

namespace kvarbon {
namespace {

// The canvas takes the first slide's size, rounded up to even as the exporter's video does.
FrameCanvas CanvasFor(ByteView container, const ContainerContents& contents) {
  if (contents.slides.empty()) return FrameCanvas(2, 2);
  const std::optional<SlidePicture> first = DecodeSlidePicture(PayloadBytes(container, contents.slides.front()));
  if (!first || first->Empty()) return FrameCanvas(2, 2);
  return FrameCanvas(EvenUp(first->width), EvenUp(first->height));
}

}  // namespace

CanvasView::CanvasView(const FrameCanvas& canvas, QWidget* parent) : QWidget(parent), canvas_(canvas) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(160, 120);
}

void CanvasView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  const QImage image(reinterpret_cast<const uchar*>(canvas_.Pixels()), canvas_.Width(), canvas_.Height(),
                     static_cast<qsizetype>(canvas_.Width()) * 4, QImage::Format_RGB32);
  const FitBox box = FitInside(canvas_.Width(), canvas_.Height(), width(), height());
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRect(box.x, box.y, box.width, box.height), image);
}

PlayWindow::PlayWindow(ByteView container, const ContainerContents& contents, SharedState& state, SoundOutput& sound,
                       const QString& title)
    : container_(container),
      contents_(contents),
      state_(state),
      sound_(sound),
      canvas_(CanvasFor(container, contents)),
      transport_(state, *this, sound),
      view_(new CanvasView(canvas_, this)),
      frameLabel_(new QLabel(this)) {
  setWindowTitle(title);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(view_, 1);
  layout->addWidget(frameLabel_);
  frameLabel_->setContentsMargins(6, 2, 6, 2);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::black);
  palette.setColor(QPalette::WindowText, Qt::lightGray);
  setPalette(palette);
  setAutoFillBackground(true);
  resize(std::clamp(canvas_.Width(), 320, 1280), std::clamp(canvas_.Height(), 240, 720) + 24);

  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] {
    ++ticks_;
    Tick();
    ScheduleTick();
  });
}

int PlayWindow::LastFrame() const { return static_cast<int>(std::min<std::size_t>(contents_.slides.size(), 32767)); }

std::optional<SlidePicture> PlayWindow::Decode(int frame) const {
  return DecodeSlidePicture(PayloadBytes(container_, contents_.slides[static_cast<std::size_t>(frame - 1)]));
}

void PlayWindow::Prefetch(int frame) {
  constexpr int kDepth = 2;
  const int last = std::min(frame + kDepth, LastFrame());
  for (int next = ahead_.empty() ? frame + 1 : ahead_.back().frame + 1; next <= last; ++next) {
    ahead_.push_back(
        {next, std::async(std::launch::async | std::launch::deferred, [this, next] { return Decode(next); })});
  }
}

// As the preview's slider: the value stays within 1 .. the last frame, and
// only a changed value draws the frame and starts its sound.
void PlayWindow::ShowFrame(int frame) {
  const int value = std::clamp(frame, 1, std::max(LastFrame(), 1));
  if (value == frameShown_ || LastFrame() == 0) return;
  frameShown_ = value;
  // Slides decoded ahead for other frames are dropped (each waits for its decoder).
  while (!ahead_.empty() && ahead_.front().frame != value) ahead_.pop_front();
  std::optional<SlidePicture> picture;
  if (!ahead_.empty()) {
    picture = ahead_.front().picture.get();
    ahead_.pop_front();
  } else {
    picture = Decode(value);
  }
  const Clock::time_point drawing = Clock::now();
  if (picture) canvas_.Draw(*picture, 0, 0);
  frameLabel_->setText(QString::number(value) + " / " + QString::number(LastFrame()));
  view_->repaint();
  // How long drawing and painting take, smoothed: the clock's ticks come that
  // much early, so that a frame is on screen when it is due.
  const double took = std::chrono::duration<double, std::milli>(Clock::now() - drawing).count();
  leadMs_ = std::min(leadMs_ == 0 ? took : 0.8 * leadMs_ + 0.2 * took, state_.FrameInterval / 2.0);
  // The sound starts once the picture is on screen, so the two go together.
  if (const std::optional<ByteView> sound = FrameSoundFor(state_.SlideSoundTable, state_.SoundBank, value)) {
    sound_.Play(*sound);
  }
  if (transport_.Playing() || ticking_) Prefetch(value);
}

void PlayWindow::ShowClock(bool running) {
  if (running) {
    clockStart_ = Clock::now();
    ticks_ = 0;
    ScheduleTick();
    // The frame the first tick shows is decoded while the clock waits for it.
    Prefetch(state_.CurrentFrame);
  } else {
    timer_.stop();
    ended_ = ticking_;
  }
}

// Tick k is due k intervals after the clock started, whatever the ticks
// before it cost, so a late frame does not make every later one late.
void PlayWindow::ScheduleTick() {
  if (!transport_.Playing()) return;
  const auto due =
      clockStart_ + std::chrono::milliseconds(static_cast<std::int64_t>(ticks_ + 1) * state_.FrameInterval);
  const auto wait = std::chrono::round<std::chrono::milliseconds>(due - Clock::now() -
                                                                  std::chrono::duration<double, std::milli>(leadMs_));
  timer_.start(static_cast<int>(std::max<std::int64_t>(wait.count(), 0)));
}

void PlayWindow::Tick() {
  ticking_ = true;
  transport_.Tick();
  ticking_ = false;
}

void PlayWindow::PlayFromStart() {
  ended_ = false;
  transport_.Stop();
  Tick();
  transport_.PlayPause();
}

void PlayWindow::keyPressEvent(QKeyEvent* event) {
  // The transport reports nothing it could recover from here; a key that fails does nothing.
  try {
    HandleKey(event);
  } catch (const std::exception&) {
  }
}

void PlayWindow::HandleKey(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space:
      if (!transport_.Playing() && ended_) {
        PlayFromStart();
      } else {
        transport_.PlayPause();
      }
      break;
    case Qt::Key_Right:
      ended_ = false;
      transport_.Step(0);
      break;
    case Qt::Key_Left:
      ended_ = false;
      transport_.Step(1);
      break;
    case Qt::Key_Home:
      if (transport_.Playing()) {
        PlayFromStart();
      } else {
        ended_ = false;
        transport_.Stop();
      }
      break;
    case Qt::Key_F11:
      setWindowState(windowState() ^ Qt::WindowFullScreen);
      break;
    case Qt::Key_Escape:
      if (isFullScreen()) {
        showNormal();
      } else {
        close();
      }
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace kvarbon
