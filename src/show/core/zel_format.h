// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/bytes.h"

namespace kvarbon {

// The texts of the ZEL container, in the order they appear:
//   "speed" digits "\speed" "ini" entries "\ini"
//   "sound" (sound file "-|-")... "\sound" "video" (slide file "-|-")... "\video"
inline constexpr std::string_view kSpeedTag = "speed";
inline constexpr std::string_view kSpeedEndTag = "\\speed";
inline constexpr std::string_view kIniTag = "ini";
inline constexpr std::string_view kIniEndTag = "\\ini";
inline constexpr std::string_view kSoundTag = "sound";
inline constexpr std::string_view kSoundEndTag = "\\sound";
inline constexpr std::string_view kVideoTag = "video";
inline constexpr std::string_view kVideoEndTag = "\\video";
// Follows every media payload.
inline constexpr std::string_view kPayloadSeparator = "-|-";
// The one place one media section meets the next: "\sound" then "video".
inline constexpr std::string_view kBetweenSections = "\\soundvideo";

// What comes before the first sound: "speed", FrameInterval's digits, "\speed",
// "ini", IniSection, "\ini", "sound".
std::string ContainerHead(std::int16_t FrameInterval, std::string_view IniSection);

// The whole container joined in memory: the head, each sound then "-|-",
// "\soundvideo", each slide then "-|-", "\video". For small containers (tools
// and tests); the encoder writes the same layout without holding the media.
Bytes JoinContainer(std::int16_t FrameInterval, std::string_view IniSection, const std::vector<Bytes>& sounds,
                    const std::vector<Bytes>& slides);

// The texts that mark the structure: the separator and the eight tags.
inline constexpr std::array<std::string_view, 9> kContainerMarkers = {
    kPayloadSeparator, kSpeedTag, kSpeedEndTag, kIniTag, kIniEndTag, kSoundTag, kSoundEndTag, kVideoTag, kVideoEndTag};

// The section a media payload lies in.
enum class MediaSection { kSound, kVideo };

// The hazard rule. A reader that finds the structure by searching for these
// texts goes wrong on a payload that holds "-|-" (it splits there), on a sound
// that holds "\sound" or "video" (its section seems to end there), on any
// payload that holds "\video" (the video section seems to end there when
// searched for from the front), and on a payload that ends in "-|" (with its
// separator that reads "-|-|-", and the first "-|-" cuts it two bytes short).
// Other tags inside media mislead no such reader: they come before the place a
// reader searches from.
bool MarkerMisleads(std::string_view marker, MediaSection section);
bool EndMisleads(ByteView payload);

struct MarkerHit {
  std::string_view marker;  // one of kContainerMarkers
  std::size_t first = 0;    // offset of its first occurrence
  std::size_t count = 0;    // occurrences, overlapping ones included
};

// What in one payload misleads a searching reader.
struct MediaHazards {
  std::vector<MarkerHit> markers;  // the misleading markers found, in the order of kContainerMarkers
  bool endsWithSeparatorStart = false;
  bool Any() const { return !markers.empty() || endsWithSeparatorStart; }
};

MediaHazards FindHazards(ByteView payload, MediaSection section);

// One line (without line end) naming the media file `path` and what in it
// misleads a searching reader; empty when nothing does. For the encoder's
// report on stderr.
std::string HazardWarning(const std::filesystem::path& path, const MediaHazards& hazards);

}  // namespace kvarbon
