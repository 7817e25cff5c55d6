// SPDX-License-Identifier: GPL-3.0-or-later
#include "preview/core/transport.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <stdexcept>

#include "preview/core/frame_sound.h"
#include "preview/core/skipping.h"

namespace kvarbon {

Transport::Transport(SharedState& state, TransportView& view, SoundOutput& sound)
    : state_(state), view_(view), sound_(sound) {}

void Transport::SetPlaying(bool playing) {
  playing_ = playing;
  view_.ShowClock(playing);
}

// Showing the frame through the view runs the display's own sound start; the
// tick then starts the frame's sound itself, which matters when the slider
// already stood there (the first tick after a stop lands on frame 1) and
// otherwise restarts, from its beginning, the sound just started.
void Transport::Tick() {
  Skipping([this] {
    // Past the last frame comes frame 1, also at the ceiling of the 16-bit frame number.
    const std::int32_t next = static_cast<std::int32_t>(state_.CurrentFrame) + 1;
    if (next > view_.LastFrame()) {
      state_.CurrentFrame = 1;
      if (!view_.RepeatOn()) SetPlaying(false);
    } else if (const std::optional<std::int16_t> frame = NarrowToInt16(next)) {
      state_.CurrentFrame = *frame;
    }
  });
  Skipping([this] { view_.ShowFrame(state_.CurrentFrame); });
  Skipping([this] {
    if (const std::optional<ByteView> sound =
            FrameSoundFor(state_.SlideSoundTable, state_.SoundBank, state_.CurrentFrame)) {
      sound_.Play(*sound);
    }
  });
}

// Play shows nothing at once: the next frame follows with the first tick.
void Transport::PlayPause() { SetPlaying(!playing_); }

void Transport::Step(std::int16_t index) {
  const std::int64_t current = view_.FrameShown();
  const std::int64_t wanted = index == 0 ? current + 1 : current - 1;
  view_.ShowFrame(static_cast<int>(
      std::clamp<std::int64_t>(wanted, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())));
  const std::optional<std::int16_t> frame = NarrowToInt16(view_.FrameShown());
  if (!frame) throw std::overflow_error("Переполнение: номер кадра не помещается в 16 бит");
  state_.CurrentFrame = *frame;
}

void Transport::Stop() {
  view_.ShowFrame(1);
  state_.CurrentFrame = 0;
  SetPlaying(false);
}

}  // namespace kvarbon
