#pragma once

#include <QRect>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

#include "app/core/bytes.h"
#include "ui/slide_holder.h"

namespace kvarbon {

// The full size in pixels an image file's header announces, if it can be read.
std::optional<QSize> AnnouncedSlideSize(const Bytes& file);

// Decodes a BMP, JPEG or GIF file held in memory into a slide holder whose
// outer size is the picture's full size plus the picture box border. With
// `keep`, only that part of the picture (in its own pixels) is kept, decoding
// no more than that where the decoder allows; the holder still reports the full
// outer size, and drawing it gives the same pixels. A truncated file decodes
// as far as it goes. Throws InputError naming `path` if nothing can be decoded.
SlideHolder DecodeSlide(const Bytes& file, const std::filesystem::path& path,
                        std::optional<QRect> keep = std::nullopt);

// Decodes like DecodeSlide, keeping the part `keepFor(full size)` names (in
// the picture's own pixels). The full size is the one the header announces when
// the decoder can decode a part only (JPEG), and otherwise that of the whole
// decoded picture. Safe to call on any thread.
SlideHolder DecodeSlidePart(const Bytes& file, const std::filesystem::path& path,
                            const std::function<QRect(QSize)>& keepFor);

// The outer size, in twips, of a picture box holding a picture `pixels` wide (or high).
std::int32_t SlideOuterTwips(int pixels);

// The part of a slide of `size` that falls inside a canvas of `canvas` when the
// slide's corner is drawn at `at` (canvas pixels), in the slide's own pixels.
QRect VisiblePart(QSize size, QPoint at, QSize canvas);

}  // namespace kvarbon
