// SPDX-License-Identifier: GPL-3.0-or-later
// The timing of an exported show: frame times, which sound is heard when, the
// end of the video.

#include "export/core/export_timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace kvarbon {
namespace {

constexpr int kRate = 48000;

IniEntry Entry(std::uint64_t frame, std::uint64_t sound) { return {0, "", frame, sound}; }

TEST(ExportTimeline, AssignmentsThatNameNothingAreLeftOutAndTheLastOfATwiceAssignedFrameCounts) {
  const auto sounds = FrameSounds({Entry(1, 0), Entry(0, 0), Entry(3, 1), Entry(3, 0), Entry(4, 2), Entry(9, 0)}, 4, 2);
  ASSERT_EQ(sounds.size(), 4u);
  EXPECT_EQ(sounds[0], 0u);
  EXPECT_FALSE(sounds[1]);
  EXPECT_EQ(sounds[2], 0u);
  EXPECT_FALSE(sounds[3]);  // sound 2 does not exist
}

TEST(ExportTimeline, ANewSoundCutsOffTheOneBeforeAndAFrameWithoutSoundDoesNot) {
  // T = 33 ms: frame k starts at sample (k - 1) * 33 * 48 exactly.
  // Frame 1: sound 0 (long), frame 2: none, frame 3: sound 1 (short), frame 5: sound 2 (unplayable, 0 samples).
  const std::vector<std::optional<std::size_t>> frames = {0, std::nullopt, 1, std::nullopt, 2, std::nullopt};
  const std::vector<SoundSpan> spans = PlanSounds(33, frames, {100000, 100, 0}, kRate);
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(spans[0].start, 0);
  EXPECT_EQ(spans[0].length, 2 * 33 * 48);  // heard through frame 2, cut off by frame 3
  EXPECT_EQ(spans[1].start, 2 * 33 * 48);
  EXPECT_EQ(spans[1].length, 100);  // ends by itself
  EXPECT_EQ(spans[2].start, 4 * 33 * 48);
  EXPECT_EQ(spans[2].length, 0);
  EXPECT_EQ(VideoEndMs(33, 6, spans, kRate), 6 * 33);
}

TEST(ExportTimeline, TheVideoRunsOnWhileTheLastSoundPlaysHoldingTheLastFrame) {
  const std::vector<std::optional<std::size_t>> frames = {std::nullopt, 0};
  // 1 s + 1 sample from 50 ms: the end rounds up to the next whole millisecond.
  const std::vector<SoundSpan> spans = PlanSounds(50, frames, {kRate + 1}, kRate);
  const std::int64_t end = VideoEndMs(50, 2, spans, kRate);
  EXPECT_EQ(end, 1051);
  EXPECT_EQ(FrameStartMs(50, 2), 50);
  EXPECT_EQ(FrameDurationMs(50, 2, 1, end), 50);
  EXPECT_EQ(FrameDurationMs(50, 2, 2, end), 1001);
  EXPECT_EQ(VideoEndMs(50, 2, {}, kRate), 100);
}

// A sound held in memory, handed out in pieces.
class HeldSound final : public SoundPieces {
 public:
  explicit HeldSound(std::vector<float> samples) : samples_(std::move(samples)) {}
  std::size_t Next(std::span<float> out) override {
    const std::size_t count = std::min(out.size(), samples_.size() - at_);
    std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(at_), count, out.begin());
    at_ += count;
    return count / 2;
  }

 private:
  std::vector<float> samples_;
  std::size_t at_ = 0;
};

TEST(ExportTimeline, TheTrackHoldsEachSoundWhereItIsHeardWhicheverPiecesItIsRenderedIn) {
  const std::vector<std::vector<float>> sounds = {{1, -1, 2, -2, 3, -3, 4, -4}, {7, 7, 8, 8}};
  // Sound 0 from 1 cut off at 3 by sound 1, sound 2 (silent) cut off before it
  // is heard, sound 0 again from 7 to its end.
  const std::vector<SoundSpan> spans = {{0, 1, 2}, {1, 3, 2}, {2, 5, 0}, {0, 7, 4}};
  const auto render = [&](const std::vector<std::int64_t>& bounds, std::vector<std::size_t>& opened) {
    TrackRenderer track(spans, 2, [&](std::size_t sound) -> std::unique_ptr<SoundPieces> {
      opened.push_back(sound);
      if (sound >= sounds.size()) return nullptr;
      return std::make_unique<HeldSound>(sounds[sound]);
    });
    std::vector<float> rendered;
    for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
      std::vector<float> piece(2 * static_cast<std::size_t>(bounds[i + 1] - bounds[i]));
      track.Next(piece);
      rendered.insert(rendered.end(), piece.begin(), piece.end());
    }
    return rendered;
  };
  const std::vector<float> expected = {0, 0, 1, -1, 2, -2, 7, 7, 8, 8, 0, 0, 0, 0, 1, -1, 2, -2, 3, -3, 4, -4, 0, 0};
  for (const std::vector<std::int64_t>& bounds :
       {std::vector<std::int64_t>{0, 12}, {0, 5, 6, 9, 12}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}) {
    std::vector<std::size_t> opened;
    EXPECT_EQ(render(bounds, opened), expected) << bounds.size();
    // Each heard span's sound is opened once, when the track reaches it.
    EXPECT_EQ(opened, (std::vector<std::size_t>{0, 1, 0})) << bounds.size();
  }
}

TEST(ExportTimeline, FitKeepsTheAspectAndCentres) {
  const FitBox wide = FitInside(400, 100, 200, 200);
  EXPECT_EQ(wide.x, 0);
  EXPECT_EQ(wide.y, 75);
  EXPECT_EQ(wide.width, 200);
  EXPECT_EQ(wide.height, 50);
  const FitBox tall = FitInside(30, 60, 640, 480);
  EXPECT_EQ(tall.x, 200);
  EXPECT_EQ(tall.width, 240);
  EXPECT_EQ(tall.height, 480);
  EXPECT_EQ(EvenUp(63), 64);
  EXPECT_EQ(EvenUp(64), 64);
}

}  // namespace
}  // namespace kvarbon
