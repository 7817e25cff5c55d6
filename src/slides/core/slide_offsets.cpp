// SPDX-License-Identifier: GPL-3.0-or-later
#include "slides/core/slide_offsets.h"

#include <cmath>
#include <limits>

namespace kvarbon {

std::int32_t RoundHalfToEven(double value) {
  const double rounded = std::nearbyint(value);  // default rounding mode: to nearest, ties to even
  if (!(rounded >= std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
  if (!(rounded <= std::numeric_limits<std::int32_t>::max())) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(rounded);
}

std::int32_t CentringOffset(float displayExtent, float innerExtent) {
  const float half = (displayExtent - innerExtent) / 2.0f;
  return RoundHalfToEven(static_cast<double>(half));
}

}  // namespace kvarbon
