// SPDX-License-Identifier: GPL-3.0-or-later
#include "preview/core/transport.h"

#include <optional>
#include <stdexcept>

#include "preview/core/frame_range.h"
#include "preview/core/frame_sound.h"
#include "preview/core/skipping.h"

namespace kvarbon {

Transport::Transport(SharedState& state, TransportView& view, SoundOutput& sound)
    : state_(state), view_(view), sound_(sound) {}

void Transport::SetPlaying(bool playing) {
  playing_ = playing;
  view_.ShowClock(playing);
}

// The display reports nothing: a failing step is skipped, as its message
// would come back with every tick.
void Transport::Show(int frame) noexcept {
  Skipping([&] { view_.ShowPosition(frame); });
  Skipping([&] { view_.DrawFrame(frame); });
}

bool Transport::MoveTo(int frame) noexcept {
  if (frame == shown_ && frame == thumb_) return false;
  shown_ = thumb_ = frame;
  Show(frame);
  return true;
}

// A frame without a sound leaves an earlier sound playing.
void Transport::StartSound(std::int64_t frame) noexcept {
  Skipping([&] {
    if (const std::optional<ByteView> sound = FrameSoundFor(state_.SlideSoundTable, state_.SoundBank, frame)) {
      sound_.Play(*sound);
    }
  });
}

void Transport::Tick() {
  Skipping([this] {
    // Past the last frame comes frame 1, also at the ceiling of the 16-bit frame number.
    const std::int32_t next = static_cast<std::int32_t>(state_.CurrentFrame) + 1;
    if (next > last_) {
      state_.CurrentFrame = 1;
      if (!repeat_) SetPlaying(false);
    } else if (const std::optional<std::int16_t> frame = NarrowToInt16(next)) {
      state_.CurrentFrame = *frame;
    }
  });
  const bool moved = MoveTo(ClampFrame(state_.CurrentFrame, last_));
  // The frame the tick lands on starts its sound once, also when the slider
  // stood there already (the first tick after a stop lands on frame 1, which
  // the stop showed). A clock standing outside the frames starts nothing
  // unless it moved the slider.
  StartSound(moved ? shown_ : state_.CurrentFrame);
}

// Play shows nothing at once: the next frame follows with the first tick.
void Transport::PlayPause() { SetPlaying(!playing_); }

void Transport::Step(std::int16_t index) {
  const std::int64_t wanted = index == 0 ? std::int64_t{shown_} + 1 : std::int64_t{shown_} - 1;
  // A step past either end moves nothing and starts nothing.
  if (MoveTo(ClampFrame(wanted, last_))) StartSound(shown_);
  const std::optional<std::int16_t> frame = NarrowToInt16(shown_);
  if (!frame) throw std::overflow_error("Переполнение: номер кадра не помещается в 16 бит");
  state_.CurrentFrame = *frame;
}

void Transport::Stop() {
  if (MoveTo(ClampFrame(1, last_))) StartSound(shown_);
  state_.CurrentFrame = 0;
  SetPlaying(false);
}

void Transport::MovedByHand(int frame) {
  shown_ = thumb_ = frame;
  Show(frame);
  StartSound(frame);
}

void Transport::Scrub(int frame) {
  thumb_ = frame;
  Skipping([&] { view_.DrawFrame(frame); });
  StartSound(frame);
}

}  // namespace kvarbon
