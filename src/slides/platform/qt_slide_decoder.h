// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>

#include "app/core/bytes.h"
#include "slides/core/slide_decoder.h"

namespace kvarbon {

// Decodes slides with Qt's image readers (BMP, JPEG, GIF).
class QtSlideDecoder final : public SlideDecoder {
 public:
  SlideHolder Decode(const Bytes& file, const std::filesystem::path& path, const KeepPart& keepFor) const override;
};

// Decodes the whole picture (or only `keep`, in its own pixels). Throws InputError naming `path`.
SlideHolder DecodeSlide(const Bytes& file, const std::filesystem::path& path,
                        std::optional<PixelRect> keep = std::nullopt);

// The full size in pixels an image file's header announces, if it can be read.
std::optional<PixelSize> AnnouncedSlideSize(const Bytes& file);

}  // namespace kvarbon
