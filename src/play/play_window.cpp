// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/play_window.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "export/core/export_timeline.h"
#include "show/platform/slide_decoding.h"

namespace kvarbon {
namespace {

// The canvas takes the first slide's size, rounded up to even as the exporter's video does.
FrameCanvas CanvasFor(const PayloadSource& payloads, const ContainerContents& contents) {
  if (contents.slides.empty()) return FrameCanvas(2, 2);
  const std::optional<SlidePicture> first = DecodeSlidePicture(payloads.Read(contents.slides.front()));
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

PlayWindow::PlayWindow(const PayloadSource& payloads, const ContainerContents& contents, const SharedState& state,
                       SoundOutput& sound, const QString& title)
    : payloads_(payloads),
      contents_(contents),
      canvas_(CanvasFor(payloads, contents)),
      clock_(state, static_cast<int>(std::min<std::size_t>(contents.slides.size(), std::numeric_limits<int>::max())),
             *this, sound, steady_),
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
    // A frame that cannot be shown is skipped; nothing leaves the event loop.
    try {
      clock_.Tick();
    } catch (const ShowChanged& error) {
      return Stop(error);
    } catch (const std::exception&) {
    }
    FollowClock();
  });
}

void PlayWindow::Stop(const ShowChanged& error) {
  failure_ = error.what();
  timer_.stop();
  close();
  QCoreApplication::exit(1);
}

std::optional<SlidePicture> PlayWindow::Decode(int frame) const {
  return DecodeSlidePicture(payloads_.Read(contents_.slides[static_cast<std::size_t>(frame - 1)]));
}

void PlayWindow::Prefetch(int frame) {
  constexpr int kDepth = 2;
  const int last = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(frame) + kDepth,
                                                          contents_.slides.size()));
  for (int next = ahead_.empty() ? frame + 1 : ahead_.back().frame + 1; next <= last; ++next) {
    ahead_.push_back(
        {next, std::async(std::launch::async | std::launch::deferred, [this, next] { return Decode(next); })});
  }
}

void PlayWindow::PrepareFrame(int frame) {
  // Slides decoded ahead for other frames are dropped (each waits for its decoder).
  while (!ahead_.empty() && ahead_.front().frame != frame) ahead_.pop_front();
  if (!ahead_.empty()) {
    prepared_ = ahead_.front().picture.get();
    ahead_.pop_front();
  } else {
    prepared_ = Decode(frame);
  }
}

void PlayWindow::DrawFrame(int frame) {
  if (prepared_) canvas_.Draw(*prepared_, 0, 0);
  prepared_.reset();
  frameLabel_->setText(QString::number(frame) + " / " + QString::number(contents_.slides.size()));
  view_->repaint();
}

void PlayWindow::FollowClock() {
  if (clock_.Playing()) Prefetch(clock_.FrameShown());
  if (const std::optional<std::chrono::milliseconds> wait = clock_.UntilNextTick()) {
    timer_.start(static_cast<int>(std::min<std::int64_t>(wait->count(), std::numeric_limits<int>::max())));
  } else {
    timer_.stop();
  }
}

void PlayWindow::PlayFromStart() {
  clock_.PlayFromStart();
  FollowClock();
}

void PlayWindow::keyPressEvent(QKeyEvent* event) {
  // A key whose frame cannot be shown does nothing more.
  try {
    HandleKey(event);
  } catch (const ShowChanged& error) {
    return Stop(error);
  } catch (const std::exception&) {
  }
  FollowClock();
}

void PlayWindow::HandleKey(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space:
      clock_.PlayPause();
      break;
    case Qt::Key_Right:
      clock_.Step(1);
      break;
    case Qt::Key_Left:
      clock_.Step(-1);
      break;
    case Qt::Key_Home:
      clock_.Home();
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
