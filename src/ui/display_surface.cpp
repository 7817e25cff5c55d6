// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/display_surface.h"

#include <QPainter>

#include "slides/core/twips.h"

namespace kvarbon {

namespace {

int InnerPixels(int twips) { return TwipsToPixels(twips) - 2 * kPictureBoxBorderPx; }

}  // namespace

DisplaySurface::DisplaySurface(int widthTwips, int heightTwips, QWidget* parent)
    : QFrame(parent), canvas_(InnerPixels(widthTwips), InnerPixels(heightTwips)) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(kPictureBoxBorderPx);
  setFixedSize(TwipsToPixels(widthTwips), TwipsToPixels(heightTwips));
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void DisplaySurface::DrawPicture(const SlideHolder& holder, std::int32_t xTwips, std::int32_t yTwips) {
  if (!holder.HasPicture()) return;
  canvas_.Draw(holder.picture, TwipsToNearestPixel(xTwips) + holder.keptLeft,
               TwipsToNearestPixel(yTwips) + holder.keptTop);
  update();
}

QImage DisplaySurface::Canvas() const {
  return QImage(reinterpret_cast<const uchar*>(canvas_.Pixels()), canvas_.Width(), canvas_.Height(),
                static_cast<qsizetype>(canvas_.Width()) * 4, QImage::Format_RGB32);
}

std::int32_t DisplaySurface::OuterWidthTwips() const { return width() * kTwipsPerPixel; }
std::int32_t DisplaySurface::OuterHeightTwips() const { return height() * kTwipsPerPixel; }

void DisplaySurface::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.drawImage(contentsRect().topLeft(), Canvas());
}

}  // namespace kvarbon
