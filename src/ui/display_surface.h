#pragma once

#include <QFrame>
#include <QImage>
#include <cstdint>

#include "ui/slide_holder.h"

namespace kvarbon {

// Width in pixels of the standard single border of every picture box.
inline constexpr int kPictureBoxBorderPx = 2;

// Picture1, the display surface. It draws onto a kept canvas the size of its
// inner area, so its drawing survives being covered and uncovered; a repaint
// only shows the canvas. Coordinates are twips from the inner area's corner.
class DisplaySurface : public QFrame {
  Q_OBJECT

 public:
  DisplaySurface(int widthTwips, int heightTwips, QWidget* parent);

  // Copies the holder's picture at its own size with its top-left corner at
  // (xTwips, yTwips); what falls outside the surface is clipped. The canvas is
  // not cleared first. Draws nothing for a holder without a picture.
  void DrawPicture(const SlideHolder& holder, std::int32_t xTwips, std::int32_t yTwips);

  const QImage& Canvas() const { return canvas_; }
  std::int32_t OuterWidthTwips() const;
  std::int32_t OuterHeightTwips() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage canvas_;
};

}  // namespace kvarbon
