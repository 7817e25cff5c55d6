// SPDX-License-Identifier: GPL-3.0-or-later
// The rate table and the centring offsets.
#include <gtest/gtest.h>

#include "preview/core/rate_table.h"
#include "slides/core/slide_offsets.h"

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

TEST(SlideOffsets, HalvesRoundToEven) {
  EXPECT_EQ(RoundHalfToEven(1000.5), 1000);
  EXPECT_EQ(RoundHalfToEven(1001.5), 1002);
  EXPECT_EQ(RoundHalfToEven(-0.5), 0);
  EXPECT_EQ(RoundHalfToEven(-1.5), -2);
  EXPECT_EQ(RoundHalfToEven(2.4), 2);
  EXPECT_EQ(CentringOffset(6000, 6000), 0);
  EXPECT_EQ(CentringOffset(6000, 4485), 758);   // 757.5 -> 758
  EXPECT_EQ(CentringOffset(6000, 4515), 742);   // 742.5 -> 742
  EXPECT_EQ(CentringOffset(4500, 9000), -2250);
  EXPECT_EQ(CentringOffset(4500, 4515), -8);    // -7.5 -> -8
}

}  // namespace
}  // namespace kvarbon
