#include "ui/display_surface.h"

#include <QPainter>

#include "ui/twips.h"

namespace kvarbon {

DisplaySurface::DisplaySurface(int widthTwips, int heightTwips, QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(kPictureBoxBorderPx);
  const int width = TwipsToPixels(widthTwips);
  const int height = TwipsToPixels(heightTwips);
  setFixedSize(width, height);
  canvas_ = QImage(width - 2 * kPictureBoxBorderPx, height - 2 * kPictureBoxBorderPx,
                   QImage::Format_RGB32);
  canvas_.fill(Qt::black);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void DisplaySurface::DrawPicture(const SlideHolder& holder, std::int32_t xTwips, std::int32_t yTwips) {
  if (!holder.HasPicture()) return;
  const int x = TwipsToNearestPixel(xTwips) + holder.keptLeft;
  const int y = TwipsToNearestPixel(yTwips) + holder.keptTop;
  {
    QPainter painter(&canvas_);
    painter.drawImage(QPoint(x, y), holder.picture);
  }
  update();
}

std::int32_t DisplaySurface::OuterWidthTwips() const { return width() * kTwipsPerPixel; }
std::int32_t DisplaySurface::OuterHeightTwips() const { return height() * kTwipsPerPixel; }

void DisplaySurface::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.drawImage(contentsRect().topLeft(), canvas_);
}

}  // namespace kvarbon
