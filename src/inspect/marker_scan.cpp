#include "inspect/marker_scan.h"

#include <cstring>

namespace kvarbon {

std::vector<MarkerHit> FindMarkers(ByteView bytes) {
  // One pass over the bytes; most bytes start no marker and are passed over at once.
  std::array<bool, 256> startsMarker{};
  for (const std::string_view marker : kContainerMarkers) {
    startsMarker[static_cast<unsigned char>(marker.front())] = true;
  }
  std::array<MarkerHit, kContainerMarkers.size()> hits{};
  const char* const data = reinterpret_cast<const char*>(bytes.data());
  const std::size_t size = bytes.size();
  for (std::size_t at = 0; at < size; ++at) {
    if (!startsMarker[static_cast<unsigned char>(data[at])]) continue;
    for (std::size_t m = 0; m < kContainerMarkers.size(); ++m) {
      const std::string_view marker = kContainerMarkers[m];
      if (marker.size() > size - at || std::memcmp(data + at, marker.data(), marker.size()) != 0) continue;
      if (hits[m].count == 0) hits[m].first = at;
      ++hits[m].count;
    }
  }
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

std::string MarkerWarning(const std::filesystem::path& path, ByteView bytes) {
  const std::vector<std::string> markers = MarkersIn(bytes);
  if (markers.empty()) return {};
  std::string line = "warning: \"" + path.native() + "\" contains ";
  for (std::size_t i = 0; i < markers.size(); ++i) {
    if (i > 0) line += ", ";
    line += "\"" + markers[i] + "\"";
  }
  line += "; a player that splits the container by searching for these texts may misread the show";
  return line;
}

}  // namespace kvarbon
