// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/platform/unusable_media.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "show/core/media_length.h"
#include "show/platform/slide_decoding.h"
#include "sound/core/wav_image.h"
#include "sound/platform/wav_sound.h"

namespace kvarbon {
namespace {

// "MP3 data", "empty", "data of no known kind".
std::string WhatItIs(ByteView bytes) {
  if (bytes.empty()) return "empty";
  const std::string_view kind = LooksLike(bytes);
  return kind.empty() ? "data of no known kind" : std::string(kind) + " data";
}

// "WAV data (format tag 0x0002)", "MP3 data in a WAV file (format tag
// 0x0055)", or without a header that can be read, "WAV data".
std::string WavData(ByteView bytes) {
  constexpr std::uint16_t kWavFormatMp3 = 0x0055;
  const std::optional<WavChunks> chunks = FindWavChunks(bytes);
  const std::optional<WavFormatFields> fields = chunks ? ReadWavFormatFields(chunks->format) : std::nullopt;
  if (!fields) return "WAV data";
  char tag[32];
  std::snprintf(tag, sizeof tag, " (format tag 0x%04X)", static_cast<unsigned>(fields->tag));
  return (fields->tag == kWavFormatMp3 ? "MP3 data in a WAV file" : "WAV data") + std::string(tag);
}

std::optional<std::string> SoundProblem(ByteView bytes) {
  if (WavSound::Load(bytes)) return std::nullopt;
  const std::string what = DetectFormat(bytes) == MediaFormat::kWav ? WavData(bytes) : WhatItIs(bytes) + ", not WAV";
  return what + ": zel-play and zel-export cannot play it, so its frames are silent";
}

std::optional<std::string> SlideProblem(ByteView bytes, int number) {
  if (!SlideDecodes(bytes)) {
    return WhatItIs(bytes) + ": zel-play and zel-export cannot decode it, so " +
           (number == 1 ? std::string("they cannot play the show") : "the picture before it stays");
  }
  if (DetectFormat(bytes) != MediaFormat::kUnknown) return std::nullopt;
  return WhatItIs(bytes) +
         ", not BMP, JPEG or GIF: zel-play and zel-export show it, but other players of a show may not";
}

}  // namespace

std::vector<ContainerProblem> UnusableMedia(ByteView container, const ContainerContents& contents) {
  std::vector<ContainerProblem> found;
  for (const std::vector<MediaPayload>* section : {&contents.sounds, &contents.slides}) {
    for (const MediaPayload& payload : *section) {
      const ByteView bytes = PayloadBytes(container, payload);
      const std::optional<std::string> problem =
          payload.section == PayloadSection::kSound ? SoundProblem(bytes) : SlideProblem(bytes, payload.number);
      if (problem) found.push_back({payload.offset, PayloadName(payload), *problem});
    }
  }
  return found;
}

}  // namespace kvarbon
