#pragma once

#include <cstdint>
#include <vector>

namespace kvarbon {

// A decoded slide's pixels, free of any toolkit.
struct SlidePicture {
  int width = 0;
  int height = 0;
  // Row-major, width * height pixels, 0xAARRGGBB with premultiplied alpha
  // (the layout of QImage::Format_ARGB32_Premultiplied; opaque pixels have AA = 0xFF).
  std::vector<std::uint32_t> pixels;
  bool Empty() const { return pixels.empty(); }
};

}  // namespace kvarbon
