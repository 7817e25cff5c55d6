// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/core/export_timeline.h"

#include <algorithm>

namespace kvarbon {

std::vector<std::optional<std::size_t>> FrameSounds(const std::vector<IniEntry>& entries, std::size_t frameCount,
                                                    std::size_t soundCount) {
  std::vector<std::optional<std::size_t>> sounds(frameCount);
  for (const IniEntry& entry : entries) {
    if (entry.frame == 0 || entry.frame > frameCount || entry.sound >= soundCount) continue;
    sounds[entry.frame - 1] = static_cast<std::size_t>(entry.sound);
  }
  return sounds;
}

std::vector<SoundSpan> PlanSounds(int frameInterval, const std::vector<std::optional<std::size_t>>& frameSounds,
                                  const std::vector<std::int64_t>& soundLengths, int rate) {
  std::vector<SoundSpan> spans;
  for (std::size_t frame = 1; frame <= frameSounds.size(); ++frame) {
    const std::optional<std::size_t> sound = frameSounds[frame - 1];
    if (!sound) continue;
    const std::int64_t start = SampleAt(FrameStartMs(frameInterval, frame), rate);
    if (!spans.empty()) {
      SoundSpan& previous = spans.back();
      previous.length = std::min(previous.length, start - previous.start);
    }
    const std::int64_t length = *sound < soundLengths.size() ? soundLengths[*sound] : 0;
    spans.push_back({*sound, start, length});
  }
  return spans;
}

std::int64_t VideoEndMs(int frameInterval, std::size_t frameCount, const std::vector<SoundSpan>& spans, int rate) {
  std::int64_t end = static_cast<std::int64_t>(frameCount) * frameInterval;
  for (const SoundSpan& span : spans) {
    const std::int64_t lastSample = span.start + span.length;
    end = std::max(end, (lastSample * 1000 + rate - 1) / rate);
  }
  return end;
}

std::int64_t FrameDurationMs(int frameInterval, std::size_t frameCount, std::size_t frame, std::int64_t videoEndMs) {
  return frame == frameCount ? videoEndMs - FrameStartMs(frameInterval, frame) : frameInterval;
}

TrackRenderer::TrackRenderer(std::vector<SoundSpan> spans, int channels, Opener open)
    : spans_(std::move(spans)), channels_(channels), open_(std::move(open)) {}

void TrackRenderer::Next(std::span<float> out) {
  std::fill(out.begin(), out.end(), 0.0f);
  const std::int64_t from = done_;
  const std::int64_t to = from + static_cast<std::int64_t>(out.size()) / channels_;
  done_ = to;
  std::int64_t at = from;
  while (at < to && span_ < spans_.size()) {
    const SoundSpan& span = spans_[span_];
    const std::int64_t end = span.start + span.length;
    if (end <= at) {  // over, or cut off before it was heard
      ++span_;
      opened_ = false;
      sound_.reset();
      continue;
    }
    if (span.start >= to) break;
    const std::int64_t first = std::max(at, span.start);
    const std::int64_t last = std::min(to, end);
    if (!opened_) {
      opened_ = true;
      sound_ = open_(span.sound);
    }
    if (sound_) {
      // A sound that ends early leaves silence.
      sound_->Next(out.subspan(static_cast<std::size_t>((first - from) * channels_),
                               static_cast<std::size_t>((last - first) * channels_)));
    }
    at = last;
  }
}

FitBox FitInside(int width, int height, int boxWidth, int boxHeight) {
  if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0) return {};
  // Compare the aspects exactly: which side of the box the picture fills.
  const bool fillsWidth = static_cast<std::int64_t>(boxWidth) * height <= static_cast<std::int64_t>(boxHeight) * width;
  FitBox box;
  if (fillsWidth) {
    box.width = boxWidth;
    box.height =
        static_cast<int>(std::max<std::int64_t>(1, (static_cast<std::int64_t>(height) * boxWidth + width / 2) / width));
  } else {
    box.height = boxHeight;
    box.width = static_cast<int>(
        std::max<std::int64_t>(1, (static_cast<std::int64_t>(width) * boxHeight + height / 2) / height));
  }
  box.x = (boxWidth - box.width) / 2;
  box.y = (boxHeight - box.height) / 2;
  return box;
}

}  // namespace kvarbon
