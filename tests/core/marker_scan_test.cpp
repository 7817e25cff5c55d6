// The marker scan passes over long stretches a block at a time; it must find
// exactly what a byte-by-byte search finds, wherever a marker stands.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "format/core/marker_scan.h"

namespace kvarbon {
namespace {

// Every occurrence, overlapping ones included, found the slow way.
std::vector<MarkerHit> SearchEveryOffset(const std::string& text) {
  std::vector<MarkerHit> found;
  for (const std::string_view marker : kContainerMarkers) {
    MarkerHit hit;
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1)) {
      if (hit.count == 0) hit.first = at;
      ++hit.count;
    }
    if (hit.count == 0) continue;
    hit.marker = marker;
    found.push_back(hit);
  }
  return found;
}

void ExpectSameAsSearch(const std::string& text, const std::string& what) {
  const std::vector<MarkerHit> expected = SearchEveryOffset(text);
  const std::vector<MarkerHit> got = FindMarkers(AsBytes(text));
  ASSERT_EQ(got.size(), expected.size()) << what;
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].marker, expected[i].marker) << what;
    EXPECT_EQ(got[i].first, expected[i].first) << what << " " << got[i].marker;
    EXPECT_EQ(got[i].count, expected[i].count) << what << " " << got[i].marker;
  }
}

// Bytes that hold no marker but many of the markers' letters.
std::string Filler(std::size_t size, std::uint32_t seed) {
  const std::string letters = "-\\sivdeopunbx|";
  std::string text;
  std::uint32_t state = seed;
  while (text.size() < size) {
    state = state * 1664525u + 1013904223u;
    const char c = letters[(state >> 24) % letters.size()];
    text += c;
    if (!SearchEveryOffset(text).empty()) text.pop_back();
  }
  return text;
}

TEST(MarkerScan, EveryMarkerAtEveryPlaceAroundTheBlockEdges) {
  const std::string filler = Filler(80, 7);
  ExpectSameAsSearch(filler, "filler alone");
  for (const std::string_view marker : kContainerMarkers) {
    for (std::size_t at = 0; at + marker.size() <= filler.size(); ++at) {
      std::string text = filler;
      text.replace(at, marker.size(), marker);
      ExpectSameAsSearch(text, std::string(marker) + " at " + std::to_string(at));
    }
  }
}

TEST(MarkerScan, OverlappingAndRepeatedMarkersInALongStretch) {
  std::string text = Filler(1000, 3);
  text.replace(15, 5, "-|-|-");        // two separators sharing a byte, across a block edge
  text.replace(100, 11, "\\soundvideo");
  text.replace(500, 6, "\\speed");
  text.replace(998, 2, "in");          // the last two bytes: an incomplete "ini"
  text += "i";                         // completed as the very last byte
  ExpectSameAsSearch(text, "long stretch");
  ExpectSameAsSearch(std::string(4096, '-'), "only dashes");
  ExpectSameAsSearch(std::string(33, 'i') + "ini" + std::string(33, 'n'), "letters of ini");
}

}  // namespace
}  // namespace kvarbon
