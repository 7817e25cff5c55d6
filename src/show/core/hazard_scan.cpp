// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/core/hazard_scan.h"

#include <algorithm>
#include <cstring>

#include "show/core/marker_scan.h"

namespace kvarbon {

void HazardScanner::Count(std::size_t marker, std::uint64_t offset, std::size_t occurrences) {
  if (hits_[marker].count == 0) hits_[marker].first = static_cast<std::size_t>(offset);
  hits_[marker].count += occurrences;
}

void HazardScanner::Add(ByteView piece) {
  // Markers that begin in the carried tail and end in this piece; the ones
  // wholly inside the tail were counted with the piece they came in.
  std::array<std::byte, 2 * kCarried> joint{};
  std::copy_n(tail_.begin(), tailSize_, joint.begin());
  const std::size_t taken = std::min(kCarried, piece.size());
  std::copy_n(piece.begin(), taken, joint.begin() + static_cast<std::ptrdiff_t>(tailSize_));
  const std::size_t jointSize = tailSize_ + taken;
  for (std::size_t at = 0; at < tailSize_; ++at) {
    for (std::size_t m = 0; m < kContainerMarkers.size(); ++m) {
      const std::string_view marker = kContainerMarkers[m];
      if (at + marker.size() <= tailSize_ || at + marker.size() > jointSize) continue;
      if (std::memcmp(joint.data() + at, marker.data(), marker.size()) == 0) Count(m, added_ - tailSize_ + at, 1);
    }
  }
  for (const MarkerHit& hit : FindMarkers(piece)) {
    const auto m = static_cast<std::size_t>(
        std::find(kContainerMarkers.begin(), kContainerMarkers.end(), hit.marker) - kContainerMarkers.begin());
    Count(m, added_ + hit.first, hit.count);
  }

  // The new tail: the last kCarried bytes of the old tail and the piece.
  const std::size_t fromPiece = std::min(kCarried, piece.size());
  const std::size_t fromTail = std::min(tailSize_, kCarried - fromPiece);
  std::copy_n(tail_.begin() + static_cast<std::ptrdiff_t>(tailSize_ - fromTail), fromTail, tail_.begin());
  std::copy_n(piece.end() - static_cast<std::ptrdiff_t>(fromPiece), fromPiece, tail_.begin() + static_cast<std::ptrdiff_t>(fromTail));
  tailSize_ = fromTail + fromPiece;
  added_ += piece.size();
}

MediaHazards HazardScanner::Hazards() const {
  MediaHazards hazards;
  for (std::size_t m = 0; m < kContainerMarkers.size(); ++m) {
    if (hits_[m].count == 0 || !MarkerMisleads(kContainerMarkers[m], section_)) continue;
    MarkerHit hit = hits_[m];
    hit.marker = kContainerMarkers[m];
    hazards.markers.push_back(hit);
  }
  hazards.endsWithSeparatorStart = EndMisleads(ByteView(tail_.data(), tailSize_));
  return hazards;
}

}  // namespace kvarbon
