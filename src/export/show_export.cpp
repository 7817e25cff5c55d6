// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/show_export.h"

#include <future>
#include <vector>

#include "export/core/export_timeline.h"
#include "export/resampling.h"
#include "preview/core/frame_canvas.h"
#include "show/platform/playable_show.h"
#include "show/platform/slide_decoding.h"
#include "sound/platform/wav_sound.h"

namespace kvarbon {
namespace {

// Samples of the sound track written per step, about 0.1 s.
constexpr std::int64_t kTrackStep = kTrackRate / 10;

void Warn(const ExportHooks& hooks, const std::string& text) {
  if (hooks.warn) hooks.warn(text);
}

struct Track {
  std::vector<SoundSpan> spans;
  std::vector<std::vector<float>> sounds;  // at the track's rate and channels
};

// Decodes the sounds frames use, and places them.
Track PlanTrack(ByteView container, const ContainerContents& contents,
                const std::vector<std::optional<std::size_t>>& frameSounds, int frameInterval,
                const ExportHooks& hooks) {
  Track track;
  track.sounds.resize(contents.sounds.size());
  std::vector<bool> used(contents.sounds.size());
  for (const std::optional<std::size_t>& sound : frameSounds) {
    if (sound) used[*sound] = true;
  }
  std::vector<std::int64_t> lengths(contents.sounds.size());
  for (std::size_t s = 0; s < contents.sounds.size(); ++s) {
    if (!used[s]) continue;
    const std::optional<WavSound> sound = WavSound::Load(PayloadBytes(container, contents.sounds[s]));
    if (!sound) {
      Warn(hooks, "offset " + std::to_string(contents.sounds[s].offset) + ": " + PayloadName(contents.sounds[s]) +
                      ": not a WAV encoding that can be played; its frames are silent");
      continue;
    }
    track.sounds[s] = Resample(ToPcmSound(sound->Frames()), kTrackRate, kTrackChannels);
    lengths[s] = static_cast<std::int64_t>(track.sounds[s].size() / kTrackChannels);
  }
  track.spans = PlanSounds(frameInterval, frameSounds, lengths, kTrackRate);
  return track;
}

// A slide decoded, and with `fit` scaled to fit the canvas, with where its corner goes.
struct ReadySlide {
  std::optional<SlidePicture> picture;
  int x = 0;
  int y = 0;
};

ReadySlide PrepareSlide(ByteView file, bool fit, int canvasWidth, int canvasHeight) {
  ReadySlide ready;
  ready.picture = DecodeSlidePicture(file);
  if (!ready.picture || !fit) return ready;
  const FitBox box = FitInside(ready.picture->width, ready.picture->height, canvasWidth, canvasHeight);
  if (box.width != ready.picture->width || box.height != ready.picture->height) {
    ready.picture = ScaledPicture(*ready.picture, box.width, box.height);
  }
  ready.x = box.x;
  ready.y = box.y;
  return ready;
}

}  // namespace

bool ExportShow(ByteView container, const ContainerContents& contents, const ExportOptions& options,
                const std::filesystem::path& file, const ExportHooks& hooks) {
  const SlidePicture first = PlayableFirstSlide(container, contents, "the video");
  const int interval = *contents.frameInterval;
  const std::size_t frameCount = contents.slides.size();
  FrameCanvas canvas(EvenUp(first.width), EvenUp(first.height));

  const std::vector<std::optional<std::size_t>> frameSounds =
      FrameSounds(contents.entries, frameCount, contents.sounds.size());
  const Track track = PlanTrack(container, contents, frameSounds, interval, hooks);
  const bool anySound = !track.spans.empty();
  const std::int64_t endMs = VideoEndMs(interval, frameCount, track.spans, kTrackRate);

  WriterSettings settings;
  settings.kind = options.kind;
  settings.sourceWidth = canvas.Width();
  settings.sourceHeight = canvas.Height();
  settings.width = options.width.value_or(canvas.Width());
  settings.height = options.height.value_or(canvas.Height());
  settings.frameInterval = interval;
  settings.audio = anySound;
  MediaWriter writer(file, settings);

  std::int64_t soundDone = 0;
  std::vector<float> chunk;
  // Writes the sound track up to (not including) sample `to`.
  const auto writeSoundUpTo = [&](std::int64_t to) {
    while (anySound && soundDone < to) {
      const std::int64_t count = std::min(kTrackStep, to - soundDone);
      chunk.resize(static_cast<std::size_t>(count * kTrackChannels));
      RenderTrack(track.spans, track.sounds, kTrackChannels, soundDone, chunk);
      writer.WriteSound(chunk);
      soundDone += count;
    }
  };

  // The next slide is decoded on another thread while this one is encoded.
  const auto prepare = [&](std::size_t frame) {
    return std::async(std::launch::async | std::launch::deferred, PrepareSlide,
                      PayloadBytes(container, contents.slides[frame - 1]), options.fit, canvas.Width(),
                      canvas.Height());
  };
  std::future<ReadySlide> next = prepare(1);
  for (std::size_t frame = 1; frame <= frameCount; ++frame) {
    const ReadySlide ready = next.get();
    if (frame < frameCount) next = prepare(frame + 1);
    if (!ready.picture) {
      const MediaPayload& slide = contents.slides[frame - 1];
      Warn(hooks, "offset " + std::to_string(slide.offset) + ": " + PayloadName(slide) +
                      ": cannot be decoded; the picture before it stays");
    } else {
      if (options.fit) canvas.Fill(0);
      canvas.Draw(*ready.picture, ready.x, ready.y);
    }
    const std::int64_t startMs = FrameStartMs(interval, frame);
    const std::int64_t durationMs = FrameDurationMs(interval, frameCount, frame, endMs);
    writeSoundUpTo(SampleAt(startMs + durationMs, kTrackRate));
    writer.WritePicture(canvas.Pixels(), startMs, durationMs);
    if (hooks.progress && !hooks.progress(startMs + durationMs, endMs)) return false;
  }
  writeSoundUpTo(SampleAt(endMs, kTrackRate));
  writer.Finish();
  return true;
}

}  // namespace kvarbon
