// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "app/core/shared_state.h"
#include "slides/core/slide_holder.h"
#include "slides/core/slide_source.h"

namespace kvarbon {

// What showing a frame needs of the window.
class FrameView {
 public:
  virtual ~FrameView() = default;
  // Draws a holder's picture at its own size with its corner at (xTwips, yTwips).
  virtual void DrawSlide(const SlideHolder& holder, std::int32_t xTwips, std::int32_t yTwips) = 0;
  // The sound-name label: the name of sound list entry `position`, or nothing.
  virtual void ShowSoundName(int position) = 0;
  virtual void ClearSoundName() = 0;
  // Entries in the sound list.
  virtual int SoundCount() const = 0;
};

// Shows frame `frame`: draws its slide as the slide source hands it over and
// names its sound (the transport starts the sound). Reads no picture file and
// decodes no picture, since it runs on every scroll and every tick; the source
// has the frame ready or unpacks it from its compact form. Every lookup is bounds-checked;
// a step that finds nothing, or fails, is skipped and the next one runs.
void PaintFrame(int frame, SlideSource& slides, const SharedState& state, FrameView& view) noexcept;

}  // namespace kvarbon
