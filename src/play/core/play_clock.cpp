// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/core/play_clock.h"

#include <algorithm>

#include "preview/core/frame_range.h"
#include "preview/core/frame_sound.h"

namespace kvarbon {

PlayClock::PlayClock(const SharedState& show, int lastFrame, PlayView& view, SoundOutput& sound,
                     const MonotonicClock& clock)
    : show_(show), last_(lastFrame), view_(view), sound_(sound), clock_(clock) {}

std::chrono::milliseconds PlayClock::Interval() const {
  return std::chrono::milliseconds(std::max<int>(show_.FrameInterval, 1));
}

// The lead follows the drawing only: a slide still being decoded is late
// whatever the lead, and its wait would make the frames after it early.
void PlayClock::Show(int frame) {
  view_.PrepareFrame(frame);
  const MonotonicClock::TimePoint drawing = clock_.Now();
  view_.DrawFrame(frame);
  shown_ = frame;
  const std::chrono::duration<double, std::milli> took = clock_.Now() - drawing;
  lead_ = std::min(lead_.count() == 0 ? took : 0.8 * lead_ + 0.2 * took,
                   std::chrono::duration<double, std::milli>(Interval()) / 2);
  if (const std::optional<ByteView> clip = FrameSoundFor(show_.SlideSoundTable, show_.SoundBank, frame)) {
    sound_.Play(*clip);
  }
}

void PlayClock::StartClock(MonotonicClock::TimePoint now) {
  playing_ = true;
  fromStart_ = false;
  anchor_ = now;
  ticks_ = 0;
}

// The show's time starts once frame 1 is on screen and its sound started.
void PlayClock::PlayFromStart() {
  Show(ClampFrame(1, last_));
  StartClock(clock_.Now());
}

void PlayClock::PlayPause() {
  if (playing_) {
    playing_ = false;
  } else if (fromStart_) {
    PlayFromStart();
  } else {
    StartClock(clock_.Now());
  }
}

void PlayClock::Step(int delta) {
  fromStart_ = false;
  const int frame = ClampFrame(std::int64_t{shown_} + delta, last_);
  if (frame != shown_) Show(frame);
}

void PlayClock::Home() {
  if (playing_) {
    PlayFromStart();
    return;
  }
  if (shown_ != ClampFrame(1, last_)) Show(ClampFrame(1, last_));
  fromStart_ = true;
}

void PlayClock::Tick() {
  if (!playing_) return;
  if (shown_ >= last_) {
    playing_ = false;
    fromStart_ = true;
    return;
  }
  ++ticks_;
  Show(shown_ + 1);
}

std::optional<std::chrono::milliseconds> PlayClock::UntilNextTick() const {
  if (!playing_) return std::nullopt;
  const MonotonicClock::TimePoint due = anchor_ + (ticks_ + 1) * Interval();
  const auto wait = std::chrono::round<std::chrono::milliseconds>(due - clock_.Now() - lead_);
  return std::max(wait, std::chrono::milliseconds(0));
}

}  // namespace kvarbon
