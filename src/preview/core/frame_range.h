// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>

namespace kvarbon {

// The frame a move towards `frame` ends on: frames run from 1 to the last
// frame, and a move past either end stays at that end. (A last frame below 1
// leaves that one frame, as a slider whose maximum is below its minimum does.)
constexpr int ClampFrame(std::int64_t frame, int lastFrame) {
  const int first = std::min(1, lastFrame);
  return static_cast<int>(std::clamp<std::int64_t>(frame, first, lastFrame));
}

}  // namespace kvarbon
