#include "preview/core/frame_canvas.h"

#include <algorithm>

namespace kvarbon {
namespace {
constexpr std::uint32_t kOpaque = 0xFF000000u;
}  // namespace

FrameCanvas::FrameCanvas(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), kOpaque) {}

std::uint32_t FrameCanvas::Pixel(int x, int y) const {
  return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

void FrameCanvas::Fill(std::uint32_t colour) { std::fill(pixels_.begin(), pixels_.end(), colour | kOpaque); }

void FrameCanvas::Draw(const SlidePicture& picture, int x, int y) {
  if (picture.Empty()) return;
  const int left = std::max(x, 0);
  const int top = std::max(y, 0);
  const int right = std::min<long long>(static_cast<long long>(x) + picture.width, width_);
  const int bottom = std::min<long long>(static_cast<long long>(y) + picture.height, height_);
  for (int row = top; row < bottom; ++row) {
    const std::uint32_t* from = picture.pixels.data() +
                                static_cast<std::size_t>(row - y) * static_cast<std::size_t>(picture.width) +
                                static_cast<std::size_t>(left - x);
    std::uint32_t* to = pixels_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width_) +
                        static_cast<std::size_t>(left);
    // Premultiplied colour over black is the colour itself, made opaque.
    for (int column = left; column < right; ++column) *to++ = *from++ | kOpaque;
  }
}

}  // namespace kvarbon
