// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "app/core/bytes.h"
#include "slides/core/slide_holder.h"

namespace kvarbon {

// What a packed slide needs besides its bytes to become its holder again.
struct SlideShape {
  std::int32_t outerWidthTwips = 0;
  std::int32_t outerHeightTwips = 0;
  std::int32_t keptLeft = 0;
  std::int32_t keptTop = 0;
  std::int32_t width = 0;  // of the kept picture, 0 when it holds none
  std::int32_t height = 0;

  // The bytes of the holder's pixels once unpacked.
  std::size_t PixelBytes() const {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * sizeof(std::uint32_t);
  }
};

// A slide in its compact form: the kept pixels split into their four byte
// planes, each stored as differences from the pixel before, compressed with
// zstd. Lossless, so unpacking gives back exactly the pixels packed.
struct PackedSlide {
  SlideShape shape;
  Bytes bytes;  // empty when the holder holds no picture
};

// Packs `holder`. Throws std::runtime_error when the compressor fails (out of memory).
PackedSlide PackSlide(const SlideHolder& holder);

// The holder `bytes` were packed from, of shape `shape`. Throws
// std::runtime_error when the bytes are not what PackSlide made for that shape.
SlideHolder UnpackSlide(const SlideShape& shape, ByteView bytes);

}  // namespace kvarbon
