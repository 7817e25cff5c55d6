// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>
#include <QImage>
#include <cstdint>

#include "preview/core/frame_canvas.h"
#include "slides/core/slide_holder.h"

namespace kvarbon {

// Picture1, the display surface. It draws onto a kept canvas the size of its
// inner area, so its drawing survives being covered and uncovered; a repaint
// only shows the canvas. Coordinates are twips from the inner area's corner.
class DisplaySurface : public QFrame {
  Q_OBJECT

 public:
  DisplaySurface(int widthTwips, int heightTwips, QWidget* parent);

  // Copies the holder's picture at its own size with its top-left corner at
  // (xTwips, yTwips); what falls outside the surface is clipped. The canvas is
  // not cleared first, and the picture is copied, not blended: its transparent
  // pixels show black. Draws nothing for a holder without a picture.
  void DrawPicture(const SlideHolder& holder, std::int32_t xTwips, std::int32_t yTwips);

  // The drawing, as an image that refers to the canvas's pixels (valid until the next draw).
  QImage Canvas() const;
  std::int32_t OuterWidthTwips() const;
  std::int32_t OuterHeightTwips() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  FrameCanvas canvas_;
};

}  // namespace kvarbon
