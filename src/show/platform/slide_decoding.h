// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>

#include "app/core/bytes.h"
#include "slides/core/slide_picture.h"

namespace kvarbon {

// Decodes a slide file (BMP, JPEG, GIF: the bytes tell which) held in memory;
// nullopt when it cannot be decoded.
std::optional<SlidePicture> DecodeSlidePicture(ByteView file);

// The size a decoded slide of `width` x `height` is to be scaled to.
struct SlideSize {
  int width = 0;
  int height = 0;
};

// Decodes a slide file and scales it smoothly to the size `sizeFor` gives for
// its own before it is converted, so that a large slide made small is held at
// full size only in the decoder's format.
std::optional<SlidePicture> DecodeSlidePicture(ByteView file, const std::function<SlideSize(int, int)>& sizeFor);

// The size of the picture a slide file decodes to; nullopt when it cannot be
// decoded. The pixels are not converted.
std::optional<SlideSize> DecodedSlideSize(ByteView file);
// Whether DecodeSlidePicture decodes `file`, without converting the pixels.
bool SlideDecodes(ByteView file);

// `picture` scaled smoothly to `width` x `height`.
SlidePicture ScaledPicture(const SlidePicture& picture, int width, int height);

}  // namespace kvarbon
