// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

namespace kvarbon {

// A decoded slide's pixels, independent of any toolkit.
struct SlidePicture {
  int width = 0;
  int height = 0;
  // Row-major, width * height pixels, 0xAARRGGBB with premultiplied alpha (an
  // opaque pixel has AA = 0xFF), the layout a 32-bit premultiplied image has.
  std::vector<std::uint32_t> pixels;

  bool Empty() const { return pixels.empty(); }
  std::uint32_t Pixel(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  }
};

}  // namespace kvarbon
