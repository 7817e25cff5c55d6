// SPDX-License-Identifier: GPL-3.0-or-later
#include "slides/core/slide_packing.h"

#include <zstd.h>

#include <stdexcept>

namespace kvarbon {

namespace {

// Fast and still about as small as the slower levels on photographs once the
// planes hold differences.
constexpr int kLevel = 1;

}  // namespace

PackedSlide PackSlide(const SlideHolder& holder) {
  PackedSlide packed;
  packed.shape = {holder.outerWidthTwips, holder.outerHeightTwips, holder.keptLeft, holder.keptTop,
                  holder.picture.width, holder.picture.height};
  if (!holder.HasPicture()) {
    packed.shape.width = packed.shape.height = 0;
    return packed;
  }
  const std::vector<std::uint32_t>& pixels = holder.picture.pixels;
  const std::size_t count = pixels.size();
  // Planes A, R, G, B one after another; each byte the difference from the
  // pixel before (modulo 256), so smooth areas become runs of small numbers.
  std::vector<std::uint8_t> planes(count * 4);
  for (int plane = 0; plane < 4; ++plane) {
    const int shift = 24 - 8 * plane;
    std::uint8_t* out = planes.data() + static_cast<std::size_t>(plane) * count;
    std::uint8_t previous = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const auto value = static_cast<std::uint8_t>(pixels[i] >> shift);
      out[i] = static_cast<std::uint8_t>(value - previous);
      previous = value;
    }
  }
  packed.bytes.resize(ZSTD_compressBound(planes.size()));
  const std::size_t size = ZSTD_compress(packed.bytes.data(), packed.bytes.size(), planes.data(), planes.size(), kLevel);
  if (ZSTD_isError(size)) throw std::runtime_error(std::string("Не удалось сжать слайд: ") + ZSTD_getErrorName(size));
  packed.bytes.resize(size);
  packed.bytes.shrink_to_fit();
  return packed;
}

SlideHolder UnpackSlide(const SlideShape& shape, ByteView bytes) {
  SlideHolder holder;
  holder.outerWidthTwips = shape.outerWidthTwips;
  holder.outerHeightTwips = shape.outerHeightTwips;
  holder.keptLeft = shape.keptLeft;
  holder.keptTop = shape.keptTop;
  if (shape.width <= 0 || shape.height <= 0) return holder;
  const std::size_t count = static_cast<std::size_t>(shape.width) * static_cast<std::size_t>(shape.height);
  std::vector<std::uint8_t> planes(count * 4);
  const std::size_t size = ZSTD_decompress(planes.data(), planes.size(), bytes.data(), bytes.size());
  if (ZSTD_isError(size) || size != planes.size()) throw std::runtime_error("Сжатый слайд повреждён");
  holder.picture.width = shape.width;
  holder.picture.height = shape.height;
  holder.picture.pixels.assign(count, 0);
  std::uint32_t* pixels = holder.picture.pixels.data();
  for (int plane = 0; plane < 4; ++plane) {
    const int shift = 24 - 8 * plane;
    const std::uint8_t* in = planes.data() + static_cast<std::size_t>(plane) * count;
    std::uint8_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
      value = static_cast<std::uint8_t>(value + in[i]);
      pixels[i] |= static_cast<std::uint32_t>(value) << shift;
    }
  }
  return holder;
}

}  // namespace kvarbon
