#pragma once

#include <cstdint>
#include <vector>

#include "slides/core/slide_picture.h"

namespace kvarbon {

// What a frame display shows, free of any toolkit.
class FrameCanvas {
 public:
  FrameCanvas(int width, int height);  // all black (0xFF000000)
  int Width() const { return width_; }
  int Height() const { return height_; }
  const std::uint32_t* Pixels() const { return pixels_.data(); }  // row-major 0xFFRRGGBB, Width()*Height()
  std::uint32_t Pixel(int x, int y) const;
  void Fill(std::uint32_t colour);
  // Copies `picture` with its top-left corner at (x, y); what falls outside is
  // clipped; nothing else changes. A plain copy: transparent pixels show black
  // (the premultiplied colour over black), never what was there before.
  void Draw(const SlidePicture& picture, int x, int y);

 private:
  int width_;
  int height_;
  std::vector<std::uint32_t> pixels_;
};

}  // namespace kvarbon
