// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include "slides/core/slide_holder.h"

namespace kvarbon::testing {

// The same outer size, kept part and pixels, every one of them.
inline void ExpectSame(const SlideHolder& actual, const SlideHolder& expected) {
  EXPECT_EQ(actual.outerWidthTwips, expected.outerWidthTwips);
  EXPECT_EQ(actual.outerHeightTwips, expected.outerHeightTwips);
  EXPECT_EQ(actual.keptLeft, expected.keptLeft);
  EXPECT_EQ(actual.keptTop, expected.keptTop);
  EXPECT_EQ(actual.picture.width, expected.picture.width);
  EXPECT_EQ(actual.picture.height, expected.picture.height);
  EXPECT_TRUE(actual.picture.pixels == expected.picture.pixels);
}

}  // namespace kvarbon::testing
