// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

#include "show/core/container_reader.h"
#include "show/core/playability.h"
#include "show/core/show_file.h"
#include "show/platform/slide_decoding.h"

namespace kvarbon {

// The check zel-play and zel-export make before they start: the size of slide
// 1 of a container read without error, decoded, when the show can be played.
// Throws ShowError with UnplayableReason's text, or with
// UndecodableFirstSlideReason's (for `picture`) when slide 1 cannot be decoded,
// and what `payloads` throws.
SlideSize PlayableFirstSlide(const PayloadSource& payloads, const ContainerContents& contents, std::string_view picture);

}  // namespace kvarbon
