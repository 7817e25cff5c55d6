// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include "app/core/bytes.h"
#include "slides/core/slide_picture.h"

namespace kvarbon {

// Decodes a slide file (BMP, JPEG, GIF: the bytes tell which) held in memory;
// nullopt when it cannot be decoded.
std::optional<SlidePicture> DecodeSlidePicture(ByteView file);

// Whether DecodeSlidePicture decodes `file`, without converting the pixels.
bool SlideDecodes(ByteView file);

// `picture` scaled smoothly to `width` x `height`.
SlidePicture ScaledPicture(const SlidePicture& picture, int width, int height);

}  // namespace kvarbon
