// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/resampling.h"

#include <algorithm>

#include "export/ffmpeg_handles.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
#include <libavutil/opt.h>
}

namespace kvarbon {

std::vector<float> Resample(const PcmSound& sound, int rate, int channels) {
  const auto inFrames = static_cast<std::int64_t>(sound.FrameCount());
  if (inFrames == 0) return {};
  if (static_cast<int>(sound.sampleRate) == rate && static_cast<int>(sound.channels) == channels) {
    return sound.samples;
  }
  AVChannelLayout inLayout{};
  AVChannelLayout outLayout{};
  av_channel_layout_default(&inLayout, static_cast<int>(sound.channels));
  av_channel_layout_default(&outLayout, channels);
  SwrContext* raw = nullptr;
  Check(swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_FLT, rate, &inLayout, AV_SAMPLE_FMT_FLT,
                            static_cast<int>(sound.sampleRate), 0, nullptr),
        "Cannot set up the sound conversion");
  const SwrPtr swr(raw);
  Check(swr_init(swr.get()), "Cannot set up the sound conversion");

  const std::int64_t wanted = av_rescale_rnd(inFrames, rate, sound.sampleRate, AV_ROUND_NEAR_INF);
  const std::int64_t capacity =
      av_rescale_rnd(inFrames + swr_get_delay(swr.get(), sound.sampleRate), rate, sound.sampleRate, AV_ROUND_UP) + 64;
  std::vector<float> out(static_cast<std::size_t>(capacity * channels));
  const auto* in = reinterpret_cast<const std::uint8_t*>(sound.samples.data());
  std::int64_t made = 0;
  auto* to = reinterpret_cast<std::uint8_t*>(out.data());
  made += Check(swr_convert(swr.get(), &to, static_cast<int>(capacity), &in, static_cast<int>(inFrames)),
                "Cannot convert a sound");
  // Then what the resampler still holds back.
  while (made < capacity) {
    to = reinterpret_cast<std::uint8_t*>(out.data() + made * channels);
    const int flushed =
        Check(swr_convert(swr.get(), &to, static_cast<int>(capacity - made), nullptr, 0), "Cannot convert a sound");
    if (flushed == 0) break;
    made += flushed;
  }
  out.resize(static_cast<std::size_t>(std::min(made, wanted) * channels));
  return out;
}

}  // namespace kvarbon
