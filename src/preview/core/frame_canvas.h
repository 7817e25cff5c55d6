// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "slides/core/slide_picture.h"

namespace kvarbon {

// What a frame display shows: a fixed-size picture that each frame is drawn
// onto and that is never cleared between frames.
class FrameCanvas {
 public:
  static constexpr std::uint32_t kBlack = 0xFF000000u;

  FrameCanvas(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Row-major 0xFFRRGGBB, Width() * Height() pixels.
  const std::uint32_t* Pixels() const { return pixels_.data(); }
  std::uint32_t Pixel(int x, int y) const;
  void Fill(std::uint32_t colour);

  // Copies `picture` with its top-left corner at (x, y); what falls outside is
  // clipped and nothing else changes. A plain copy: a transparent pixel shows
  // its colour over black, never what was drawn there before, so a frame looks
  // the same whichever frame came before it.
  void Draw(const SlidePicture& picture, int x, int y);

 private:
  int width_;
  int height_;
  std::vector<std::uint32_t> pixels_;
};

}  // namespace kvarbon
