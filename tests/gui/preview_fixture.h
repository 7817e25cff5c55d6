// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QSlider>
#include <memory>
#include <string>
#include <vector>

#include "app/core/shared_state.h"
#include "support/recording_sound_output.h"
#include "support/temp_dir.h"
#include "ui/display_surface.h"
#include "ui/file_list_box.h"
#include "ui/frm_main.h"
#include "slides/core/twips.h"

namespace kvarbon::testing {

// The main window with four slides loaded and three sounds in the bank, set up
// directly: slide n is a solid picture in holder n, drawn at 10, 10 pixels.
class PreviewTest : public ::testing::Test {
 protected:
  static constexpr int kSlides = 4;
  static constexpr int kOffsetPx = 10;

  struct Slide {
    int width;
    int height;
    QRgb colour;
  };
  // Frame n shows kSlideList[n - 1].
  inline static const std::vector<Slide> kSlideList{
      {60, 40, qRgb(255, 0, 0)}, {40, 30, qRgb(0, 255, 0)}, {20, 10, qRgb(0, 0, 255)}, {60, 40, qRgb(255, 255, 0)}};

  PreviewTest() {
    const std::vector<std::pair<std::string, std::string>> sounds{
        {"a.wav", "RIFF-a"}, {"b.wav", "RIFF-bb"}, {"c.wav", "RIFF-ccc"}};
    for (const auto& [name, content] : sounds) {
      WriteFile(dir / "snd" / name, content);
      state.SoundBank.push_back(ToBytes(content));
    }
    state.SoundBank.emplace_back();  // the bank's last element stays empty
    state.SlideSoundTable.assign(kSlides + 1, std::string());
    state.FrameInterval = 50;
    state.SlideOffsetX = kOffsetPx * kTwipsPerPixel;
    state.SlideOffsetY = kOffsetPx * kTwipsPerPixel;

    frm = std::make_unique<FrmMain>(state, sound, slides, dir.path());
    frm->File2->Source().SetDirectory(dir / "snd");
    frm->File2->Refresh();
    for (const Slide& slide : kSlideList) {
      SlideHolder holder;
      holder.picture.width = slide.width;
      holder.picture.height = slide.height;
      holder.picture.pixels.assign(static_cast<std::size_t>(slide.width) * slide.height, slide.colour);
      holder.outerWidthTwips = (slide.width + 2 * kPictureBoxBorderPx) * kTwipsPerPixel;
      holder.outerHeightTwips = (slide.height + 2 * kPictureBoxBorderPx) * kTwipsPerPixel;
      frm->Slides().Add(holder);
    }
    frm->Slider1->setMaximum(kSlides);
  }

  // The bank positions of the sounds played so far, in order (-1: not a bank element).
  std::vector<int> Played() const {
    std::vector<int> positions;
    for (const RecordingSoundOutput::Played& played : sound.played) {
      int found = -1;
      for (std::size_t p = 0; p < state.SoundBank.size(); ++p) {
        if (!state.SoundBank[p].empty() && played.data == state.SoundBank[p].data() &&
            played.size == state.SoundBank[p].size()) {
          found = static_cast<int>(p);
        }
      }
      positions.push_back(found);
    }
    return positions;
  }

  // A pixel of the display surface's drawing.
  QRgb Pixel(int x, int y) const { return frm->Picture1->Canvas().pixel(x, y); }
  // The colour at the top-left corner of every painted slide.
  QRgb Corner() const { return Pixel(kOffsetPx, kOffsetPx); }

  // Drags the thumb to `frame` without releasing it.
  void DragTo(int frame) {
    frm->Slider1->setSliderDown(true);
    frm->Slider1->setSliderPosition(frame);
  }
  void Release() { frm->Slider1->setSliderDown(false); }

  TempDir dir;
  SharedState state;
  RecordingSoundOutput sound;
  SlideStore slides;
  std::unique_ptr<FrmMain> frm;
};

}  // namespace kvarbon::testing
