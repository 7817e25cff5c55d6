// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/resampling.h"

#include <algorithm>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
#include <libavutil/opt.h>
}

namespace kvarbon {
namespace {

// Source frames converted per step: at 1 kHz to 48 kHz stereo, 1.5 MB out.
constexpr std::size_t kSourceStep = 4096;

}  // namespace

std::int64_t ResampledLength(std::size_t frames, std::uint32_t sourceRate, int rate) {
  if (sourceRate == 0) return 0;
  return av_rescale_rnd(static_cast<std::int64_t>(frames), rate, sourceRate, AV_ROUND_NEAR_INF);
}

ResampledSound::ResampledSound(std::uint32_t sourceRate, unsigned sourceChannels, std::size_t sourceFrames,
                               Source source, int rate, int channels)
    : source_(std::move(source)),
      sourceChannels_(sourceChannels),
      sourceFrames_(sourceFrames),
      channels_(channels),
      length_(ResampledLength(sourceFrames, sourceRate, rate)) {
  if (length_ == 0) {
    finished_ = true;
    return;
  }
  AVChannelLayout inLayout{};
  AVChannelLayout outLayout{};
  av_channel_layout_default(&inLayout, static_cast<int>(sourceChannels));
  av_channel_layout_default(&outLayout, channels);
  SwrContext* raw = nullptr;
  Check(swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_FLT, rate, &inLayout, AV_SAMPLE_FMT_FLT,
                            static_cast<int>(sourceRate), 0, nullptr),
        "Cannot set up the sound conversion");
  swr_.reset(raw);
  Check(swr_init(swr_.get()), "Cannot set up the sound conversion");
}

bool ResampledSound::Convert() {
  converted_.clear();
  convertedAt_ = 0;
  if (finished_) return false;
  std::size_t count = 0;
  if (!flushing_) {
    piece_.resize(std::min(kSourceStep, sourceFrames_ - read_) * sourceChannels_);
    count = piece_.empty() ? 0 : source_(read_, piece_);
    read_ += count;
    flushing_ = count == 0;
  }
  const int capacity = Check(swr_get_out_samples(swr_.get(), static_cast<int>(count)), "Cannot convert a sound");
  converted_.resize(static_cast<std::size_t>(capacity) * static_cast<std::size_t>(channels_));
  auto* to = reinterpret_cast<std::uint8_t*>(converted_.data());
  const auto* from = reinterpret_cast<const std::uint8_t*>(piece_.data());
  // Without input the converter gives what it still holds back.
  const int made = Check(swr_convert(swr_.get(), &to, capacity, flushing_ ? nullptr : &from, static_cast<int>(count)),
                         "Cannot convert a sound");
  converted_.resize(static_cast<std::size_t>(made) * static_cast<std::size_t>(channels_));
  if (flushing_ && made == 0) finished_ = true;
  return !finished_;
}

std::size_t ResampledSound::Next(std::span<float> out) {
  const auto width = static_cast<std::size_t>(channels_);
  const auto wanted = static_cast<std::size_t>(
      std::min<std::int64_t>(static_cast<std::int64_t>(out.size() / width), length_ - given_));
  std::size_t done = 0;
  while (done < wanted) {
    if (convertedAt_ == converted_.size()) {
      if (!Convert()) break;
      continue;
    }
    const std::size_t count = std::min(wanted - done, (converted_.size() - convertedAt_) / width);
    std::copy_n(converted_.begin() + static_cast<std::ptrdiff_t>(convertedAt_), count * width,
                out.begin() + static_cast<std::ptrdiff_t>(done * width));
    convertedAt_ += count * width;
    done += count;
  }
  // The converter may end a few frames short of the rounded length: silence.
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(done * width),
            out.begin() + static_cast<std::ptrdiff_t>(wanted * width), 0.0f);
  given_ += static_cast<std::int64_t>(wanted);
  return wanted;
}

std::vector<float> Resample(const PcmSound& sound, int rate, int channels) {
  ResampledSound resampled(
      sound.sampleRate, sound.channels, sound.FrameCount(),
      [&](std::size_t from, std::span<float> out) {
        const std::size_t count = std::min(out.size(), sound.samples.size() - from * sound.channels);
        std::copy_n(sound.samples.begin() + static_cast<std::ptrdiff_t>(from * sound.channels), count, out.begin());
        return count / sound.channels;
      },
      rate, channels);
  std::vector<float> out(static_cast<std::size_t>(resampled.Length()) * static_cast<std::size_t>(channels));
  resampled.Next(out);
  return out;
}

}  // namespace kvarbon
