// SPDX-License-Identifier: GPL-3.0-or-later
// The one verdict zel-play and zel-export give on whether a show can be played.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "show/core/playability.h"
#include "show/platform/playable_show.h"
#include "support/media_samples.h"

namespace kvarbon {
namespace {

using testing::Bmp;
using testing::ZelContainer;

TEST(Playability, TheIntervalThenTheSlidesThenSlideOneDecodingDecide) {
  const auto reason = [](std::string_view speed, const std::vector<Bytes>& slides) {
    return UnplayableReason(ReadContainer(ZelContainer(speed, "", {}, slides)));
  };
  const std::vector<Bytes> oneSlide = {Bmp(3, "\x10\x20\x30")};
  EXPECT_EQ(reason("0", oneSlide), "offset 5: the frame interval \"0\" is not a playable number of milliseconds");
  EXPECT_EQ(reason("40000", oneSlide),
            "offset 5: the frame interval \"40000\" is not a playable number of milliseconds");
  EXPECT_EQ(reason("0", {}), reason("0", oneSlide));  // the interval is named first
  EXPECT_EQ(reason("50", {}), "the container holds no slides");
  EXPECT_EQ(reason("50", oneSlide), std::nullopt);

  // Slide 1 gives the picture its size, so it must decode; later ones need not.
  const Bytes playable = ZelContainer("50", "", {}, {Bmp(3, "\x10\x20\x30"), ToBytes("BM broken")});
  const SlideSize first = PlayableFirstSlide(MemoryPayloads(playable), ReadContainer(playable), "the video");
  EXPECT_EQ(first.width, 3);
  EXPECT_EQ(first.height, 1);
  const Bytes broken = ZelContainer("50", "", {}, {ToBytes("BM broken"), Bmp(3, "")});
  try {
    PlayableFirstSlide(MemoryPayloads(broken), ReadContainer(broken), "the picture");
    FAIL() << "slide 1 does not decode";
  } catch (const ShowError& error) {
    EXPECT_STREQ(error.what(), "offset 36: slide 1 cannot be decoded, and the picture takes its size from it");
  }
  const Bytes empty = ZelContainer("50", "", {}, {});
  EXPECT_THROW(PlayableFirstSlide(MemoryPayloads(empty), ReadContainer(empty), "the video"), ShowError);
}

}  // namespace
}  // namespace kvarbon
