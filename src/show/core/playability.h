// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "show/core/container_reader.h"

namespace kvarbon {

// Whether zel-play and zel-export can play a container that was read without
// error. Both give the same verdict in the same words; the texts start with
// the offset they are about where there is one.

// A show that cannot be played as it stands, with the reason as above.
class ShowError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What is wrong with the frame interval, when it is not a playable number of
// milliseconds (missing, 0, or beyond 16 bits); nullopt when it can be played.
std::optional<std::string> FrameIntervalProblem(const ContainerContents& contents);

// What makes the container unplayable as far as can be told without decoding
// a picture: the frame interval's problem, then a container without slides.
// Nullopt when neither.
std::optional<std::string> UnplayableReason(const ContainerContents& contents);

// The reason when slide 1 cannot be decoded: the picture takes its size from
// it. `picture` names that picture ("the video", "the picture").
std::string UndecodableFirstSlideReason(const ContainerContents& contents, std::string_view picture);

}  // namespace kvarbon
