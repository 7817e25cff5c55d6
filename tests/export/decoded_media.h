// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace kvarbon::testing {

// A video file as a reader sees it, decoded with FFmpeg's libraries.
struct DecodedMedia {
  struct Picture {
    std::int64_t startMs = 0;
    std::int64_t durationMs = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xFFRRGGBB
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
  };
  std::vector<Picture> pictures;
  std::int64_t durationMs = 0;  // of the whole file
  // Where the video track ends as its packets say: the latest start plus duration.
  std::int64_t videoEndMs = 0;
  bool hasAudio = false;
  // The sound track's left channel at 48 kHz; element i plays at
  // (audioStart + i) / 48000 s.
  std::int64_t audioStart = 0;
  std::vector<float> audio;
};

// Decodes every picture and the whole sound track; throws std::runtime_error.
DecodedMedia DecodeMedia(const std::filesystem::path& file);

// Where `sound` (mono, 48 kHz) best lines up with `track` near sample
// `expected`: the offset in samples, within +-`search`, of the best match.
int OnsetOffset(const std::vector<float>& track, std::int64_t expected, const std::vector<float>& sound,
                int search = 480);

// How much of `sound` is heard in `track` from `at`: 1 when it is all there,
// 0 when none of it is.
double Presence(const std::vector<float>& track, std::int64_t at, const std::vector<float>& sound);

}  // namespace kvarbon::testing
