// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include "app/core/bytes.h"
#include "slides/core/pixel_geometry.h"
#include "slides/core/slide_picture.h"

namespace kvarbon {

// Decodes only `part` (in the picture's own pixels, inside it) of a baseline
// three-component JPEG with libjpeg-turbo: the rows above the part are skipped
// and only the columns around it are decoded, which Qt's reader does not do.
// The result is the same pixels Qt's reader gives for that part: the decode
// runs with the library's defaults, as Qt's does, and takes 32 columns and 16
// rows more on each side than it keeps, so the part's edges are upsampled from
// their real neighbours. Declines (nullopt) anything else, and any file the
// library has to warn or fail about, for Qt's reader to handle as it does.
std::optional<SlidePicture> DecodeJpegPart(const Bytes& file, PixelRect part);

}  // namespace kvarbon
