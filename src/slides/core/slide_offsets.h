// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace kvarbon {

// Rounds to the nearest integer, a tie going to the even one (1000.5 -> 1000,
// 1001.5 -> 1002, -0.5 -> 0, -1.5 -> -2).
std::int32_t RoundHalfToEven(double value);

// The offset, in twips, that centres a box of `innerExtent` in a display of
// `displayExtent`: (display - inner) / 2 in single precision, rounded half to even.
// Negative when the box is the larger.
std::int32_t CentringOffset(float displayExtent, float innerExtent);

}  // namespace kvarbon
