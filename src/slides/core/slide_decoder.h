// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <functional>

#include "app/core/bytes.h"
#include "slides/core/pixel_geometry.h"
#include "slides/core/slide_holder.h"

namespace kvarbon {

// Names the part of a picture of a given full size worth keeping, in its own pixels.
using KeepPart = std::function<PixelRect(PixelSize full)>;

// Turns a picture file held in memory into a slide holder. Implemented by the
// platform's image decoder; the loading job only sees this.
class SlideDecoder {
 public:
  virtual ~SlideDecoder() = default;

  // Decodes a BMP, JPEG or GIF file into a holder whose outer size is the
  // picture's full size plus the picture box border, keeping only the part
  // `keepFor(full size)` names (all of it without `keepFor`), decoding no more
  // than that where the decoder allows. A truncated file decodes as far as it
  // goes. Throws InputError naming `path` if nothing can be decoded. Called
  // from several worker threads at once.
  virtual SlideHolder Decode(const Bytes& file, const std::filesystem::path& path,
                             const KeepPart& keepFor) const = 0;
};

}  // namespace kvarbon
