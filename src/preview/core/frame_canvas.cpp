// SPDX-License-Identifier: GPL-3.0-or-later
#include "preview/core/frame_canvas.h"

#include <algorithm>
#include <cstddef>

namespace kvarbon {

FrameCanvas::FrameCanvas(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), kBlack) {}

std::uint32_t FrameCanvas::Pixel(int x, int y) const {
  return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

void FrameCanvas::Fill(std::uint32_t colour) { std::fill(pixels_.begin(), pixels_.end(), colour | kBlack); }

void FrameCanvas::Draw(const SlidePicture& picture, int x, int y) {
  if (picture.Empty()) return;
  // The rows and columns of the picture that land on the canvas, in 64 bits:
  // a corner far outside must not overflow.
  const long long left = std::max<long long>(0, -static_cast<long long>(x));
  const long long top = std::max<long long>(0, -static_cast<long long>(y));
  const long long right = std::min<long long>(picture.width, static_cast<long long>(width_) - x);
  const long long bottom = std::min<long long>(picture.height, static_cast<long long>(height_) - y);
  if (left >= right || top >= bottom) return;
  for (long long row = top; row < bottom; ++row) {
    const std::uint32_t* from = picture.pixels.data() + row * picture.width;
    std::uint32_t* to = pixels_.data() + (y + row) * static_cast<long long>(width_) + x;
    // Premultiplied colour over black is the colour channels themselves.
    for (long long column = left; column < right; ++column) to[column] = from[column] | kBlack;
  }
}

}  // namespace kvarbon
