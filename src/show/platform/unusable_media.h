// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "app/core/bytes.h"
#include "show/core/container_reader.h"

namespace kvarbon {

// The payloads of a container read without error that zel-play and zel-export
// cannot use, by their own rules: each sound the WAV loader (WavSound) refuses
// and each slide the slide decoding (DecodeSlidePicture) cannot decode, and
// each slide that decodes but is not of the kinds a show holds (BMP, JPEG,
// GIF), which other players may not show. One entry each, in the container's
// order, saying what its bytes look like.
std::vector<ContainerProblem> UnusableMedia(ByteView container, const ContainerContents& contents);

}  // namespace kvarbon
