// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "slides/core/slide_picture.h"

namespace kvarbon {

// One element of the hidden picture-box array: a decoded slide and the outer
// size, in twips, that the box holding it reports (the picture plus the box's
// border on each side, the same border the display surface has).
struct SlideHolder {
  SlidePicture picture;  // empty: the element holds no picture
  std::int32_t outerWidthTwips = 0;
  std::int32_t outerHeightTwips = 0;
  // The offset, in pixels of the picture, of the part kept in `picture` when only
  // the part that can fall inside the display is kept (else 0, 0).
  std::int32_t keptLeft = 0;
  std::int32_t keptTop = 0;

  bool HasPicture() const { return !picture.Empty(); }
};

}  // namespace kvarbon
