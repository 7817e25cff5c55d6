// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "app/core/bytes.h"
#include "show/core/zel_format.h"

namespace kvarbon {

constexpr std::size_t LongestMarker() {
  std::size_t longest = 0;
  for (const std::string_view marker : kContainerMarkers) longest = marker.size() > longest ? marker.size() : longest;
  return longest;
}

// FindHazards over a payload handed over piece by piece, in order, as its bytes
// pass: a marker across the joint of two pieces is found, and the end rule
// looks at the payload's last two bytes. Only the longest marker's length less
// one byte is kept between pieces.
class HazardScanner {
 public:
  explicit HazardScanner(MediaSection section) : section_(section) {}

  void Add(ByteView piece);
  // What FindHazards finds in every byte added so far, taken as one payload.
  MediaHazards Hazards() const;

 private:
  static constexpr std::size_t kCarried = LongestMarker() - 1;

  void Count(std::size_t marker, std::uint64_t offset, std::size_t occurrences);

  MediaSection section_;
  std::array<MarkerHit, kContainerMarkers.size()> hits_{};
  std::array<std::byte, kCarried> tail_{};  // the last bytes added
  std::size_t tailSize_ = 0;
  std::uint64_t added_ = 0;
};

}  // namespace kvarbon
