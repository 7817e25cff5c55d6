// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>

namespace kvarbon {

struct PixelSize {
  int width = 0;
  int height = 0;
  bool Valid() const { return width >= 0 && height >= 0; }
  bool Empty() const { return width <= 0 || height <= 0; }
};

struct PixelPoint {
  int x = 0;
  int y = 0;
};

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The overlap of two rectangles; empty (0 × 0 at the origin) when they do not meet.
inline PixelRect Intersected(const PixelRect& a, const PixelRect& b) {
  const long long left = std::max<long long>(a.x, b.x);
  const long long top = std::max<long long>(a.y, b.y);
  const long long right = std::min<long long>(static_cast<long long>(a.x) + a.width, static_cast<long long>(b.x) + b.width);
  const long long bottom =
      std::min<long long>(static_cast<long long>(a.y) + a.height, static_cast<long long>(b.y) + b.height);
  if (right <= left || bottom <= top) return {};
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
          static_cast<int>(bottom - top)};
}

// The part of a slide of `size` that falls inside a canvas of `canvas` when the
// slide's corner is drawn at `at` (canvas pixels), in the slide's own pixels.
inline PixelRect VisiblePart(PixelSize size, PixelPoint at, PixelSize canvas) {
  return Intersected({0, 0, size.width, size.height}, {-at.x, -at.y, canvas.width, canvas.height});
}

}  // namespace kvarbon
