// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/core/playability.h"

#include <cstdint>
#include <limits>

namespace kvarbon {

std::optional<std::string> FrameIntervalProblem(const ContainerContents& contents) {
  if (contents.frameInterval && *contents.frameInterval > 0 &&
      *contents.frameInterval <= std::numeric_limits<std::int16_t>::max()) {
    return std::nullopt;
  }
  return "offset " + std::to_string(contents.speedOffset) + ": the frame interval \"" + contents.speedText +
         "\" is not a playable number of milliseconds";
}

std::optional<std::string> UnplayableReason(const ContainerContents& contents) {
  if (std::optional<std::string> problem = FrameIntervalProblem(contents)) return problem;
  if (contents.slides.empty()) return "the container holds no slides";
  return std::nullopt;
}

std::string UndecodableFirstSlideReason(const ContainerContents& contents, std::string_view picture) {
  const std::size_t offset = contents.slides.empty() ? contents.videoOffset : contents.slides.front().offset;
  return "offset " + std::to_string(offset) + ": slide 1 cannot be decoded, and " + std::string(picture) +
         " takes its size from it";
}

}  // namespace kvarbon
