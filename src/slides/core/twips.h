// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace kvarbon {

// 15 twips make one pixel at the standard screen resolution.
inline constexpr int kTwipsPerPixel = 15;

// Width in pixels of the standard single border of every picture box.
inline constexpr int kPictureBoxBorderPx = 2;

inline constexpr int TwipsToPixels(int twips) { return twips / kTwipsPerPixel; }

// Nearest pixel for a twip coordinate that need not be a multiple of 15.
inline int TwipsToNearestPixel(std::int32_t twips) {
  return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

// The outer size, in twips, of a picture box holding a picture `pixels` wide
// (or high). A header may announce sides whose twips no 32-bit value holds:
// they stop at its limit.
inline std::int32_t SlideOuterTwips(int pixels) {
  const std::int64_t twips = (static_cast<std::int64_t>(pixels) + 2 * kPictureBoxBorderPx) * kTwipsPerPixel;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(twips, INT32_MIN, INT32_MAX));
}

}  // namespace kvarbon
