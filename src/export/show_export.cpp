// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/show_export.h"

#include <algorithm>
#include <future>
#include <memory>
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

// "offset 40: sound 2"
std::string Where(const MediaPayload& payload) {
  return "offset " + std::to_string(payload.offset) + ": " + PayloadName(payload);
}

// Bytes of a sound payload read first: enough for the header of an ordinary
// WAV file, so that a longer PCM or float sound is read a piece at a time (a
// header that does not fit makes the sound read whole).
constexpr std::size_t kSoundHead = std::size_t{64} << 10;

// A sound payload from the container, converted to the track's rate and
// channels as the track is written. A PCM or float sound longer than its head
// is read from the container piece by piece as it is converted; any other is
// read whole (a compressed one is decoded whole).
class TrackSound final : public SoundPieces {
 public:
  // Null for a sound the WAV loader refuses. Throws what `payloads` throws, and
  // ShowError naming the sound when its conversion cannot be set up.
  static std::unique_ptr<TrackSound> Open(const PayloadSource& payloads, const MediaPayload& payload) {
    if (payload.size > kSoundHead) {
      const Bytes head = payloads.ReadPart(payload, 0, kSoundHead);
      if (const std::optional<WavSampleLayout> layout = WavSampleLayoutFromHead(head, payload.size)) {
        return std::unique_ptr<TrackSound>(new TrackSound(payloads, payload, *layout));
      }
    }
    auto sound = std::unique_ptr<TrackSound>(new TrackSound(payloads.Read(payload), payload));
    if (!sound->wav_) return nullptr;
    return sound;
  }

  std::int64_t Length() const { return resampled_ ? resampled_->Length() : 0; }

  std::size_t Next(std::span<float> out) override {
    try {
      return resampled_->Next(out);
    } catch (const MediaError& error) {
      throw Failure(error);
    }
  }

 private:
  TrackSound(Bytes bytes, const MediaPayload& payload) : bytes_(std::move(bytes)), payload_(payload) {
    wav_ = WavSound::Load(bytes_);
    if (!wav_) return;
    const WavImage& frames = wav_->Frames();
    Convert(frames, frames.FrameCount(),
            [&frames](std::size_t from, std::span<float> out) { return ReadFloatFrames(frames, from, out); });
  }

  TrackSound(const PayloadSource& payloads, const MediaPayload& payload, const WavSampleLayout& layout)
      : payload_(payload) {
    Convert(layout.format, layout.frames, [&payloads, &payload, layout](std::size_t from, std::span<float> out) {
      if (from >= layout.frames) return std::size_t{0};
      const std::size_t frames = std::min(out.size() / layout.format.channels, layout.frames - from);
      const std::size_t blockAlign = layout.format.blockAlign;
      const Bytes piece = payloads.ReadPart(payload, layout.offset + from * blockAlign, frames * blockAlign);
      WavImage part = layout.format;
      part.samples = piece;
      return ReadFloatFrames(part, 0, out);
    });
  }

  void Convert(const WavImage& format, std::size_t frames, ResampledSound::Source source) {
    try {
      resampled_.emplace(format.sampleRate, format.channels, frames, std::move(source), kTrackRate, kTrackChannels);
    } catch (const MediaError& error) {
      throw Failure(error);
    }
  }

  // The sound named, as a fault of the show.
  ShowError Failure(const MediaError& error) const {
    return ShowError(Where(payload_) + ": cannot be converted to the video's sound track: " + error.what());
  }

  Bytes bytes_;  // a payload read whole, which wav_ may read in place
  const MediaPayload& payload_;
  std::optional<WavSound> wav_;
  std::optional<ResampledSound> resampled_;
};

// Places the sounds frames use; each is read once here for its length.
std::vector<SoundSpan> PlanTrack(const PayloadSource& payloads, const ContainerContents& contents,
                                 const std::vector<std::optional<std::size_t>>& frameSounds, int frameInterval,
                                 const ExportHooks& hooks) {
  std::vector<bool> used(contents.sounds.size());
  for (const std::optional<std::size_t>& sound : frameSounds) {
    if (sound) used[*sound] = true;
  }
  std::vector<std::int64_t> lengths(contents.sounds.size());
  for (std::size_t s = 0; s < contents.sounds.size(); ++s) {
    if (!used[s]) continue;
    if (hooks.stop && hooks.stop()) return {};
    const std::unique_ptr<TrackSound> sound = TrackSound::Open(payloads, contents.sounds[s]);
    if (!sound) {
      Warn(hooks, Where(contents.sounds[s]) + ": not a WAV encoding that can be played; its frames are silent");
      continue;
    }
    lengths[s] = sound->Length();
  }
  return PlanSounds(frameInterval, frameSounds, lengths, kTrackRate);
}

// The video's default size: slide 1's, rounded up to even, scaled down to fit
// the largest default size keeping its aspect.
struct VideoSize {
  int width = 0;
  int height = 0;
};

VideoSize DefaultVideoSize(int slideWidth, int slideHeight) {
  const VideoSize even{EvenUp(slideWidth), EvenUp(slideHeight)};
  if (even.width <= kLargestDefaultWidth && even.height <= kLargestDefaultHeight) return even;
  const FitBox box = FitInside(slideWidth, slideHeight, kLargestDefaultWidth, kLargestDefaultHeight);
  // Even sides, rounded down so that they still fit.
  return {std::max(2, box.width & ~1), std::max(2, box.height & ~1)};
}

// How each slide is drawn: the canvas takes slide 1's size, or the video's
// when that is smaller, and then every slide is scaled as the canvas is.
struct Drawing {
  bool fit = false;
  int canvasWidth = 0;
  int canvasHeight = 0;
  double scaleX = 1;  // of a slide drawn at its own size
  double scaleY = 1;
};

// A slide decoded and scaled for the canvas, with where its corner goes.
struct ReadySlide {
  std::optional<SlidePicture> picture;
  int x = 0;
  int y = 0;
};

ReadySlide PrepareSlide(const Bytes& file, const Drawing& drawing) {
  ReadySlide ready;
  ready.picture = DecodeSlidePicture(file, [&](int width, int height) {
    if (drawing.fit) {
      const FitBox box = FitInside(width, height, drawing.canvasWidth, drawing.canvasHeight);
      ready.x = box.x;
      ready.y = box.y;
      return SlideSize{box.width, box.height};
    }
    const auto scaled = [](int side, double scale) { return std::max(1, static_cast<int>(side * scale + 0.5)); };
    return SlideSize{scaled(width, drawing.scaleX), scaled(height, drawing.scaleY)};
  });
  return ready;
}

}  // namespace

bool ExportShow(const PayloadSource& payloads, const ContainerContents& contents, const ExportOptions& options,
                const std::filesystem::path& file, const ExportHooks& hooks) {
  const auto stopped = [&] { return hooks.stop && hooks.stop(); };
  const SlideSize first = PlayableFirstSlide(payloads, contents, "the video");
  const int interval = *contents.frameInterval;
  const std::size_t frameCount = contents.slides.size();

  VideoSize video = DefaultVideoSize(first.width, first.height);
  if (options.width && options.height) {
    video = {*options.width, *options.height};
  } else if (video.width != EvenUp(first.width) || video.height != EvenUp(first.height)) {
    if (hooks.notice) {
      hooks.notice("slide 1 is " + std::to_string(first.width) + "x" + std::to_string(first.height) +
                   "; the video is scaled down to " + std::to_string(video.width) + "x" +
                   std::to_string(video.height) + " (--size asks for another size)");
    }
  }
  Drawing drawing;
  drawing.fit = options.fit;
  drawing.canvasWidth = EvenUp(first.width);
  drawing.canvasHeight = EvenUp(first.height);
  if (static_cast<std::int64_t>(video.width) * video.height <
      static_cast<std::int64_t>(drawing.canvasWidth) * drawing.canvasHeight) {
    drawing.scaleX = static_cast<double>(video.width) / drawing.canvasWidth;
    drawing.scaleY = static_cast<double>(video.height) / drawing.canvasHeight;
    drawing.canvasWidth = video.width;
    drawing.canvasHeight = video.height;
  }
  FrameCanvas canvas(drawing.canvasWidth, drawing.canvasHeight);

  const std::vector<std::optional<std::size_t>> frameSounds =
      FrameSounds(contents.entries, frameCount, contents.sounds.size());
  const std::vector<SoundSpan> spans = PlanTrack(payloads, contents, frameSounds, interval, hooks);
  if (stopped()) return false;
  const bool anySound = !spans.empty();
  const std::int64_t endMs = VideoEndMs(interval, frameCount, spans, kTrackRate);
  if (hooks.begin && !hooks.begin(endMs)) return false;

  WriterSettings settings;
  settings.kind = options.kind;
  settings.sourceWidth = canvas.Width();
  settings.sourceHeight = canvas.Height();
  settings.width = video.width;
  settings.height = video.height;
  settings.frameInterval = interval;
  settings.audio = anySound;
  MediaWriter writer(file, settings);

  TrackRenderer track(spans, kTrackChannels, [&](std::size_t sound) -> std::unique_ptr<SoundPieces> {
    return TrackSound::Open(payloads, contents.sounds[sound]);
  });
  std::int64_t soundDone = 0;
  std::vector<float> chunk;
  // Writes the sound track up to (not including) sample `to`; false when stopped.
  const auto writeSoundUpTo = [&](std::int64_t to) {
    while (anySound && soundDone < to) {
      if (stopped()) return false;
      const std::int64_t count = std::min(kTrackStep, to - soundDone);
      chunk.resize(static_cast<std::size_t>(count * kTrackChannels));
      track.Next(chunk);
      writer.WriteSound(chunk);
      soundDone += count;
      if (hooks.progress) hooks.progress(soundDone * 1000 / kTrackRate, endMs);
    }
    return true;
  };

  // The next slide is read and decoded on another thread while this one is encoded.
  const auto prepare = [&](std::size_t frame) {
    return std::async(std::launch::async | std::launch::deferred, [&payloads, &contents, &drawing, frame] {
      return PrepareSlide(payloads.Read(contents.slides[frame - 1]), drawing);
    });
  };
  std::future<ReadySlide> next = prepare(1);
  for (std::size_t frame = 1; frame <= frameCount; ++frame) {
    const ReadySlide ready = next.get();
    if (frame < frameCount) next = prepare(frame + 1);
    if (!ready.picture) {
      Warn(hooks, Where(contents.slides[frame - 1]) + ": cannot be decoded; the picture before it stays");
    } else {
      if (options.fit) canvas.Fill(0);
      canvas.Draw(*ready.picture, ready.x, ready.y);
    }
    const std::int64_t startMs = FrameStartMs(interval, frame);
    const std::int64_t durationMs = FrameDurationMs(interval, frameCount, frame, endMs);
    if (!writeSoundUpTo(SampleAt(startMs + durationMs, kTrackRate))) return false;
    writer.WritePicture(canvas.Pixels(), startMs, durationMs);
    if (hooks.progress) hooks.progress(startMs + durationMs, endMs);
    if (stopped()) return false;
  }
  if (!writeSoundUpTo(SampleAt(endMs, kTrackRate))) return false;
  writer.Finish();
  return true;
}

}  // namespace kvarbon
