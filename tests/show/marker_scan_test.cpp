// SPDX-License-Identifier: GPL-3.0-or-later
// The marker scan and the hazard rule. The scan passes over long stretches a
// block at a time; it must find exactly what a byte-by-byte search finds,
// wherever a marker stands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "show/core/hazard_scan.h"
#include "show/core/marker_scan.h"
#include "show/core/zel_format.h"
#include "support/media_samples.h"

namespace kvarbon {
namespace {

using testing::Wav;

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

// Handed over in pieces, as a copy passes them, the scan finds what it finds in
// the whole: every marker (first offset and count), wherever the joints fall.
TEST(HazardScanner, PiecesCutAnywhereGiveTheWholePayloadsHazards) {
  std::string text = Filler(60, 11);
  text.replace(3, 3, "-|-");
  text.replace(20, 11, "\\soundvideo");
  text.replace(40, 6, "\\video");
  text += "-|-|";
  for (const MediaSection section : {MediaSection::kSound, MediaSection::kVideo}) {
    const MediaHazards whole = FindHazards(AsBytes(text), section);
    for (std::size_t first = 0; first <= text.size(); ++first) {
      for (const std::size_t rest : {std::size_t{1}, std::size_t{2}, std::size_t{7}}) {
        HazardScanner scanner(section);
        scanner.Add(AsBytes(text).first(first));
        for (std::size_t at = first; at < text.size(); at += rest) {
          scanner.Add(AsBytes(text).subspan(at, std::min(rest, text.size() - at)));
        }
        const MediaHazards pieces = scanner.Hazards();
        const std::string where = "cut at " + std::to_string(first) + ", then every " + std::to_string(rest);
        ASSERT_EQ(pieces.markers.size(), whole.markers.size()) << where;
        for (std::size_t m = 0; m < whole.markers.size(); ++m) {
          EXPECT_EQ(pieces.markers[m].marker, whole.markers[m].marker) << where;
          EXPECT_EQ(pieces.markers[m].first, whole.markers[m].first) << where;
          EXPECT_EQ(pieces.markers[m].count, whole.markers[m].count) << where;
        }
        EXPECT_TRUE(pieces.endsWithSeparatorStart) << where;
      }
    }
  }
}

TEST(MarkerScan, FindsTheSeparatorAndEveryTagWithFirstOffsetAndCount) {
  EXPECT_TRUE(MarkersIn(Wav("plain samples")).empty());
  const std::vector<MarkerHit> hits = FindMarkers(ToBytes("x-|-|-\\soundvideo"));
  ASSERT_EQ(hits.size(), 4u);
  EXPECT_EQ(hits[0].marker, "-|-");
  EXPECT_EQ(hits[0].first, 1u);
  EXPECT_EQ(hits[0].count, 2u);  // overlapping occurrences count
  EXPECT_EQ(hits[1].marker, "sound");
  EXPECT_EQ(hits[2].marker, "\\sound");
  EXPECT_EQ(hits[2].first, 6u);
  EXPECT_EQ(hits[3].marker, "video");
  EXPECT_EQ(MarkersIn(ToBytes("speeini\\vide")), std::vector<std::string>{"ini"});
  EXPECT_EQ(MarkersIn(ToBytes("ab\\speed")), (std::vector<std::string>{"speed", "\\speed"}));
}

// Only what makes a reader that splits by searching go wrong is a hazard.
TEST(HazardRule, FlagsExactlyWhatMisleadsASearchingReaderInEachSection) {
  const auto texts = [](std::string_view payload, MediaSection section) {
    const MediaHazards hazards = FindHazards(AsBytes(payload), section);
    std::string found;
    for (const MarkerHit& hit : hazards.markers) found += std::string(hit.marker) + " ";
    return found + (hazards.endsWithSeparatorStart ? "end" : "");
  };
  const std::string_view harmless = "speed\\speed ini\\ini sound -|x -";
  EXPECT_EQ(texts(harmless, MediaSection::kSound), "");
  EXPECT_EQ(texts(harmless, MediaSection::kVideo), "");
  EXPECT_EQ(texts("a\\sound video", MediaSection::kVideo), "");
  EXPECT_EQ(texts("a\\sound video", MediaSection::kSound), "\\sound video ");
  EXPECT_EQ(texts("-|-\\video", MediaSection::kVideo), "-|- \\video ");
  EXPECT_EQ(texts("ends -|", MediaSection::kVideo), "end");
  EXPECT_EQ(texts("-|", MediaSection::kSound), "end");

  EXPECT_EQ(HazardWarning("snd/a.wav", FindHazards(ToBytes("clean"), MediaSection::kSound)), "");
  const std::string warning =
      HazardWarning("pic/\xC0.jpg", FindHazards(ToBytes("..-|-..\\video.-|"), MediaSection::kVideo));
  EXPECT_NE(warning.find("\"pic/\xC0.jpg\" contains \"-|-\", \"\\video\" and ends in \"-|\""), std::string::npos)
      << warning;
  EXPECT_EQ(warning.find('\n'), std::string::npos);
}

}  // namespace
}  // namespace kvarbon
