// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/bytes.h"

namespace kvarbon {

// The one set of editing state of the process. The first group is the global
// module every window reads and writes; FrameInterval and CurrentFrame are the
// main window's own values, kept here so every part reads the same ones.
// The counts SlideCount and SoundCount are those of the two file lists.
struct SharedState {
  // Element k holds frame k + 1's sound: empty, or a sound position as decimal text.
  // SlideCount + 1 elements; the last belongs to no frame.
  std::vector<std::string> SlideSoundTable;
  // Element p holds every byte of sound file p; SoundCount + 1 elements, the last empty.
  std::vector<Bytes> SoundBank;
  // Where every slide is painted on the display, in twips.
  std::int32_t SlideOffsetX = 0;
  std::int32_t SlideOffsetY = 0;

  // The playback clock's period in milliseconds, and the container's speed.
  std::int16_t FrameInterval = 0;
  // The frame number the playback clock stands at.
  std::int16_t CurrentFrame = 0;
};

}  // namespace kvarbon
