// SPDX-License-Identifier: GPL-3.0-or-later
// Looking up a frame's slide holder, sound name and sound, with every bound checked.
#include <gtest/gtest.h>

#include "preview/core/frame_canvas.h"
#include "preview/core/frame_sound.h"

namespace kvarbon {
namespace {

TEST(FrameSound, ParsesOnlyWholeNumbersThatFit) {
  EXPECT_EQ(ParseInt16("0"), 0);
  EXPECT_EQ(ParseInt16("12"), 12);
  EXPECT_EQ(ParseInt16("32767"), 32767);
  EXPECT_EQ(ParseInt16("-3"), -3);
  EXPECT_EQ(ParseInt16("32768"), std::nullopt);
  EXPECT_EQ(ParseInt32("32768"), 32768);
  EXPECT_EQ(ParseInt32("2147483648"), std::nullopt);
  for (const char* bad : {"", " 1", "1 ", "+1", "1x", "x", "1.0", "-"}) {
    EXPECT_EQ(ParseInt16(bad), std::nullopt) << bad;
    EXPECT_EQ(ParseInt32(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(NarrowToInt16(32767), 32767);
  EXPECT_EQ(NarrowToInt16(-32768), -32768);
  EXPECT_EQ(NarrowToInt16(32768), std::nullopt);
  EXPECT_EQ(NarrowToInt16(-32769), std::nullopt);
}

TEST(FrameSound, FrameOwnsTheElementBeforeIt) {
  EXPECT_EQ(FrameTableIndex(1, 3), 0u);
  EXPECT_EQ(FrameTableIndex(3, 3), 2u);
  EXPECT_EQ(FrameTableIndex(4, 3), std::nullopt);
  EXPECT_EQ(FrameTableIndex(0, 3), std::nullopt);
  EXPECT_EQ(FrameTableIndex(-1, 3), std::nullopt);
  EXPECT_EQ(FrameTableIndex(1, 0), std::nullopt);
}

TEST(FrameSound, HolderIsAddressedByTheFrameAsSixteenBits) {
  EXPECT_EQ(FrameHolderIndex(0, 3), 0u);
  EXPECT_EQ(FrameHolderIndex(2, 3), 2u);
  EXPECT_EQ(FrameHolderIndex(3, 3), std::nullopt);
  EXPECT_EQ(FrameHolderIndex(-1, 3), std::nullopt);
  // 65538 would wrap to 2 if narrowed by truncation.
  EXPECT_EQ(FrameHolderIndex(65538, 70000), std::nullopt);
  EXPECT_EQ(FrameHolderIndex(32767, 32768), 32767u);
}

TEST(FrameSound, NameLabelKeepsClearsOrShows) {
  const std::vector<std::string> table{"", "0", "2", "40000", "x", ""};
  using Action = FrameSoundName::Action;
  EXPECT_EQ(FrameSoundNameFor(table, 1, 3).action, Action::Clear);
  const FrameSoundName zero = FrameSoundNameFor(table, 2, 3);
  EXPECT_EQ(zero.action, Action::Show);  // "0" is a sound, not an empty entry
  EXPECT_EQ(zero.position, 0);
  EXPECT_EQ(FrameSoundNameFor(table, 3, 3).position, 2);
  EXPECT_EQ(FrameSoundNameFor(table, 3, 2).action, Action::Keep);  // no such list entry
  EXPECT_EQ(FrameSoundNameFor(table, 4, 3).action, Action::Keep);  // does not fit 16 bits
  EXPECT_EQ(FrameSoundNameFor(table, 5, 3).action, Action::Keep);  // not a number
  EXPECT_EQ(FrameSoundNameFor(table, 0, 3).action, Action::Keep);  // no element
  EXPECT_EQ(FrameSoundNameFor(table, 7, 3).action, Action::Keep);
}

TEST(FrameSound, SoundIsTheBankElementItself) {
  const std::vector<Bytes> bank{ToBytes("RIFFa"), ToBytes("RIFFb"), Bytes{}};
  const std::vector<std::string> table{"", "1", "2", "3", "-1", "40000"};
  EXPECT_EQ(FrameSoundFor(table, bank, 1), std::nullopt);
  const std::optional<ByteView> second = FrameSoundFor(table, bank, 2);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->data(), bank[1].data());
  EXPECT_EQ(second->size(), bank[1].size());
  const std::optional<ByteView> empty = FrameSoundFor(table, bank, 3);  // the bank's empty last element
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
  for (const std::int64_t frame : {0, 4, 5, 6, 7}) {
    EXPECT_EQ(FrameSoundFor(table, bank, frame), std::nullopt) << frame;
  }
  EXPECT_EQ(SoundAt(bank, -1), std::nullopt);
  EXPECT_EQ(SoundAt(bank, 3), std::nullopt);
  EXPECT_EQ(SoundAt(bank, 0)->data(), bank[0].data());
}

TEST(FrameSound, PositionTextIsDigits) {
  EXPECT_EQ(SoundPositionText(0), "0");
  EXPECT_EQ(SoundPositionText(12), "12");
  EXPECT_EQ(SoundPositionText(32767), "32767");
}

// A frame looks the same whichever frame came before it: transparent pixels
// show black, not the earlier drawing; what falls outside is clipped.
TEST(FrameCanvas, DrawsAPlainCopyClippedAtEveryEdge) {
  FrameCanvas canvas(4, 3);
  canvas.Draw(SlidePicture{4, 3, std::vector<std::uint32_t>(12, 0xFFFF0000u)}, 0, 0);
  const SlidePicture seeThrough{2, 1, {0x00000000u, 0x80400000u}};  // clear, and half-transparent red
  canvas.Draw(seeThrough, 3, 2);
  canvas.Draw(seeThrough, -1, 0);
  EXPECT_EQ(canvas.Pixel(3, 2), 0xFF000000u);
  EXPECT_EQ(canvas.Pixel(0, 0), 0xFF400000u);
  EXPECT_EQ(canvas.Pixel(1, 0), 0xFFFF0000u);
  canvas.Draw(seeThrough, 2147483647, -2147483647 - 1);  // far outside: nothing
  EXPECT_EQ(canvas.Pixel(3, 0), 0xFFFF0000u);
}

}  // namespace
}  // namespace kvarbon
