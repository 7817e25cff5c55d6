// SPDX-License-Identifier: GPL-3.0-or-later
// The rate table: the label under the rate slider and the interval it gives.
#include <gtest/gtest.h>

#include "preview/core/rate_table.h"

namespace kvarbon {
namespace {

TEST(RateTable, LabelsAndIntervals) {
  EXPECT_EQ(SpeedLabelText(0), "1");
  EXPECT_EQ(SpeedLabelText(30), "30");
  EXPECT_EQ(SpeedLabelText(15), "15");
  EXPECT_EQ(FrameIntervalForLabel("50"), 20);
  EXPECT_EQ(FrameIntervalForLabel("40"), 25);
  EXPECT_EQ(FrameIntervalForLabel("30"), 33);
  EXPECT_EQ(FrameIntervalForLabel("20"), 50);
  EXPECT_EQ(FrameIntervalForLabel("10"), 100);
  EXPECT_EQ(FrameIntervalForLabel("1"), 1000);
  EXPECT_EQ(FrameIntervalForLabel("0"), std::nullopt);
  EXPECT_EQ(FrameIntervalForLabel("15"), std::nullopt);
  EXPECT_EQ(FrameIntervalForLabel(" 20"), std::nullopt);
}

}  // namespace
}  // namespace kvarbon
