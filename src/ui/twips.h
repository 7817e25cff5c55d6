#pragma once

#include <cmath>
#include <cstdint>

namespace kvarbon {

// 15 twips make one pixel at the standard screen resolution.
inline constexpr int kTwipsPerPixel = 15;

inline constexpr int TwipsToPixels(int twips) { return twips / kTwipsPerPixel; }

// Nearest pixel for a twip coordinate that need not be a multiple of 15.
inline int TwipsToNearestPixel(std::int32_t twips) {
  return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

}  // namespace kvarbon
