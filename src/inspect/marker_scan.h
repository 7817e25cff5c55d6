#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/bytes.h"

namespace kvarbon {

// The texts that mark a container's structure: the payload separator and the
// eight tags. A media file holding any of them can mislead a reader that finds
// the structure by searching for these texts.
inline constexpr std::array<std::string_view, 9> kContainerMarkers = {
    "-|-", "speed", "\\speed", "ini", "\\ini", "sound", "\\sound", "video", "\\video"};

struct MarkerHit {
  std::string_view marker;  // one of kContainerMarkers
  std::size_t first = 0;    // offset of its first occurrence
  std::size_t count = 0;    // occurrences, overlapping ones included
};

// Every marker that occurs in `bytes`, in the order of kContainerMarkers.
std::vector<MarkerHit> FindMarkers(ByteView bytes);

// The texts of the markers that occur in `bytes`, in the order of
// kContainerMarkers; empty when there are none.
std::vector<std::string> MarkersIn(ByteView bytes);

// One line (without line end) warning that the media file `path` contains
// marker texts, naming them; empty when `bytes` contains none. For the
// encoder's report on stderr.
std::string MarkerWarning(const std::filesystem::path& path, ByteView bytes);

}  // namespace kvarbon
