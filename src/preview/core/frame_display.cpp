// SPDX-License-Identifier: GPL-3.0-or-later
#include "preview/core/frame_display.h"

#include <optional>

#include "preview/core/frame_sound.h"
#include "preview/core/skipping.h"

namespace kvarbon {

void PaintFrame(int frame, SlideSource& slides, const SharedState& state, FrameView& view) noexcept {
  // 1. The slide, at its own size, over whatever the surface shows.
  Skipping([&] {
    if (const std::optional<std::size_t> holder = FrameHolderIndex(frame, slides.Size())) {
      view.DrawSlide(*slides.Fetch(*holder), state.SlideOffsetX, state.SlideOffsetY);
    }
  });
  // 2. The sound's name.
  Skipping([&] {
    const FrameSoundName name = FrameSoundNameFor(state.SlideSoundTable, frame, view.SoundCount());
    switch (name.action) {
      case FrameSoundName::Action::Keep:
        break;
      case FrameSoundName::Action::Clear:
        view.ClearSoundName();
        break;
      case FrameSoundName::Action::Show:
        view.ShowSoundName(name.position);
        break;
    }
  });
}

}  // namespace kvarbon
