// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/core/marker_scan.h"

#include <cstdint>
#include <cstring>

namespace kvarbon {

namespace {

// Sixteen bytes side by side (a GCC and Clang vector type).
using Block = unsigned char __attribute__((vector_size(16)));

constexpr bool EveryMarkerHasTwoBytes() {
  for (const std::string_view marker : kContainerMarkers) {
    if (marker.size() < 2) return false;
  }
  return true;
}
static_assert(EveryMarkerHasTwoBytes(), "blocks are screened by each marker's first two bytes");

// Whether any of the sixteen positions from `at` holds the first two bytes of a
// marker (the byte after the block must exist). In media files that is rare, so
// whole blocks are passed over at the cost of a few vector compares.
bool MayHoldMarker(const char* at) {
  Block first, second;
  std::memcpy(&first, at, sizeof first);
  std::memcpy(&second, at + 1, sizeof second);
  Block hit{};
  for (const std::string_view marker : kContainerMarkers) {
    hit |= static_cast<Block>((first == static_cast<unsigned char>(marker[0])) &
                              (second == static_cast<unsigned char>(marker[1])));
  }
  std::uint64_t low = 0, high = 0;
  std::memcpy(&low, &hit, sizeof low);
  std::memcpy(&high, reinterpret_cast<const unsigned char*>(&hit) + sizeof low, sizeof high);
  return (low | high) != 0;
}

}  // namespace

std::vector<MarkerHit> FindMarkers(ByteView bytes) {
  // One pass over the bytes; most bytes start no marker and are passed over at once.
  std::array<bool, 256> startsMarker{};
  for (const std::string_view marker : kContainerMarkers) {
    startsMarker[static_cast<unsigned char>(marker.front())] = true;
  }
  std::array<MarkerHit, kContainerMarkers.size()> hits{};
  const char* const data = reinterpret_cast<const char*>(bytes.data());
  const std::size_t size = bytes.size();
  const auto countAt = [&](std::size_t at) {
    if (!startsMarker[static_cast<unsigned char>(data[at])]) return;
    for (std::size_t m = 0; m < kContainerMarkers.size(); ++m) {
      const std::string_view marker = kContainerMarkers[m];
      if (marker.size() > size - at || std::memcmp(data + at, marker.data(), marker.size()) != 0) continue;
      if (hits[m].count == 0) hits[m].first = at;
      ++hits[m].count;
    }
  };
  std::size_t at = 0;
  for (; at + sizeof(Block) < size; at += sizeof(Block)) {
    if (!MayHoldMarker(data + at)) continue;
    for (std::size_t i = 0; i < sizeof(Block); ++i) countAt(at + i);
  }
  for (; at < size; ++at) countAt(at);
  std::vector<MarkerHit> found;
  for (std::size_t m = 0; m < kContainerMarkers.size(); ++m) {
    if (hits[m].count == 0) continue;
    hits[m].marker = kContainerMarkers[m];
    found.push_back(hits[m]);
  }
  return found;
}

std::vector<std::string> MarkersIn(ByteView bytes) {
  std::vector<std::string> texts;
  for (const MarkerHit& hit : FindMarkers(bytes)) texts.emplace_back(hit.marker);
  return texts;
}

}  // namespace kvarbon
