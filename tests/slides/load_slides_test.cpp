// SPDX-License-Identifier: GPL-3.0-or-later
// "Загрузка слайдов" without a window: the command around the loading job,
// the centring offsets it sets, and the progress it reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "slides/core/load_slides.h"
#include "slides/core/slide_offsets.h"
#include "support/temp_dir.h"

namespace kvarbon {
namespace {

using testing::TempDir;
using testing::WriteFile;

// The main window: records what it is asked to do, and runs a progress job
// only while `runJobs` holds, recording the bar's maximum and values.
class FakeWindow final : public SlideLoadingView, public ProgressSink {
 public:
  PixelSize DisplayCanvas() const override { return {396, 296}; }
  std::int32_t DisplayOuterWidthTwips() const override { return 6000; }
  std::int32_t DisplayOuterHeightTwips() const override { return 4500; }
  void DrawSlide(const SlideHolder&, std::int32_t x, std::int32_t y) override {
    events.push_back("draw " + std::to_string(x) + " " + std::to_string(y));
  }
  void SetLastFrame(int last) override { events.push_back("last " + std::to_string(last)); }
  bool RunInProgressWindow(const ProgressJob& job) override {
    events.push_back("window");
    if (!runJobs) return false;
    job(*this);
    return true;
  }
  void ShowMessage(const std::string& text) override { events.push_back(text); }
  void SlidesLoaded() override { events.push_back("loaded"); }

  void SetText(const std::string&) override {}
  void SetMaximum(int value) override { maximum = value; }
  void SetValue(int value) override { values.push_back(value); }
  void Yield() override {}

  bool runJobs = true;
  std::vector<std::string> events;
  int maximum = 0;
  std::vector<int> values;
};

// Decodes nothing: a file holding "W H" is a 1 × 1 picture whose full size is W × H pixels.
class SizeDecoder final : public SlideDecoder {
 public:
  SlideHolder Decode(const Bytes& file, const std::filesystem::path&, const KeepPart&) const override {
    int width = 0;
    int height = 0;
    std::sscanf(std::string(AsText(file)).c_str(), "%d %d", &width, &height);
    SlideHolder holder;
    holder.picture = SlidePicture{1, 1, {0xFF000000u}};
    holder.outerWidthTwips = (width + 4) * 15;
    holder.outerHeightTwips = (height + 4) * 15;
    return holder;
  }
};

struct ShowFolder {
  explicit ShowFolder(const std::vector<std::string>& pictures) {
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      WriteFile(dir / "pic" / (std::to_string(i + 1) + ".jpg"), pictures[i]);
    }
    slides.SetDirectory(dir / "pic");
  }
  void Load() { LoadSlides(slides, SizeDecoder(), store, state, window); }

  TempDir dir;
  FileListSource slides{std::string(kSlidePattern)};
  SlideStore store;
  SharedState state;
  FakeWindow window;
};

TEST(LoadSlides, OnlyAJobThatRanMarksTheSlidesLoaded) {
  ShowFolder show({"1 1", "1 1"});
  show.window.runJobs = false;
  show.Load();
  EXPECT_EQ(show.window.events, (std::vector<std::string>{"last 2", "window"}));
  EXPECT_EQ(show.store.Size(), 1u);

  show.window.runJobs = true;
  show.window.events.clear();
  show.Load();
  EXPECT_EQ(show.window.events,
            (std::vector<std::string>{"last 2", "window", "draw 2962 2212", "last 2", "loaded"}));
  EXPECT_EQ(show.store.Size(), 3u);
}

TEST(LoadSlides, TheFirstSlideIsCentredAcrossAndDownAndTheBarStopsOneShort) {
  // A wide first slide: 300 × 100 pixels is 4560 × 1560 twips with the border.
  ShowFolder show({"300 100", "10 10", "500 500"});
  show.Load();
  EXPECT_EQ(show.state.SlideOffsetX, (6000 - 4560) / 2);
  EXPECT_EQ(show.state.SlideOffsetY, (4500 - 1560) / 2);
  EXPECT_EQ(show.window.events,
            (std::vector<std::string>{"last 3", "window", "draw 720 1470", "last 3", "loaded"}));
  // One step per slide in name order, from 0: the bar never reaches its maximum.
  EXPECT_EQ(show.window.maximum, 3);
  EXPECT_EQ(show.window.values, (std::vector<int>{0, 1, 2}));
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
