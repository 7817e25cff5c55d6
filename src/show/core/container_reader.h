// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/bytes.h"
#include "show/core/marker_scan.h"
#include "show/core/media_length.h"

namespace kvarbon {

enum class PayloadSection { kSound, kVideo };

// How the end of a media payload was found.
enum class PayloadEnd {
  kDeclaredLength,  // the media's own length ends exactly where a "-|-" starts
  kSeparator,       // at the next "-|-": the media declares no length that meets one
};

struct MediaPayload {
  PayloadSection section = PayloadSection::kSound;
  int number = 0;          // sounds count from 0, slides (frames) from 1
  std::size_t offset = 0;  // of its first byte in the container
  std::size_t size = 0;
  MediaFormat format = MediaFormat::kUnknown;
  PayloadEnd end = PayloadEnd::kSeparator;
  std::string_view lengthSource;  // with kDeclaredLength: what declared the length
  // Its bounds, and so its number, are settled: by declared lengths, by the
  // section's end, or because the assignments need every payload found.
  bool certain = true;
  std::vector<MarkerHit> markers;  // marker texts in its bytes (offsets within the payload)
  std::vector<std::string> notes;  // what is doubtful or odd about it
};

// "sound 3" or "slide 12".
std::string PayloadName(const MediaPayload& payload);

// One frame-to-sound assignment of the ini section.
struct IniEntry {
  std::size_t offset = 0;  // of its first byte
  std::string text;        // e.g. "2=0", without the ";"
  std::uint64_t frame = 0;
  std::uint64_t sound = 0;
};

// Where reading a malformed container stopped.
struct ContainerError {
  std::size_t offset = 0;
  std::string expected;  // what a container holds there
  std::string found;     // what this one holds there, in short
  // The bytes do not begin with the opening tag "speed": not a container at
  // all, rather than one that breaks later.
  bool notAContainer = false;
  // "offset 20: expected ..., found ..."
  std::string Describe() const;
};

// The one line zel-inspect, zel-export and zel-play give (after their own
// name) for a file that could not be read as a container:
// "FILE: not a ZEL show (it does not begin with "speed")" for one that is not
// a container at all (an empty file too), and otherwise
// "FILE: malformed container: offset 20: expected ..., found ...".
std::string MalformedContainerMessage(const std::filesystem::path& file, const ContainerError& error);

// Something that makes a well-formed container ambiguous or inconsistent.
struct ContainerProblem {
  std::size_t offset = 0;
  std::string subject;  // "sound 3", "slide 12", "ini entry 5=9", "sound section", "speed"
  std::string text;
};

// What a container holds. Offsets count from its first byte; the section
// offsets and sizes are those of the payloads, between the tags.
struct ContainerContents {
  std::size_t size = 0;

  std::size_t speedOffset = 0;
  std::string speedText;
  std::optional<int> frameInterval;  // when the digits make a 16-bit value

  std::size_t iniOffset = 0;
  std::string iniText;
  std::vector<IniEntry> entries;

  std::size_t soundOffset = 0;
  std::size_t soundSize = 0;
  std::vector<MediaPayload> sounds;

  std::size_t videoOffset = 0;
  std::size_t videoSize = 0;
  std::vector<MediaPayload> slides;

  // Ambiguities and inconsistencies of a container that could be read.
  std::vector<ContainerProblem> problems;
  // Set when the container is malformed; the fields above then hold what was
  // read before the error.
  std::optional<ContainerError> error;

  bool Clean() const { return !error && problems.empty(); }
};

// Reads a container held in memory. Media payloads are split at the length
// their own headers declare when a "-|-" follows there, and otherwise at the
// next "-|-"; each payload says which, and whether its bounds are sure.
// Never reads outside `container`.
ContainerContents ReadContainer(ByteView container);

// The bytes of `payload` within the container it was read from.
inline ByteView PayloadBytes(ByteView container, const MediaPayload& payload) {
  return container.subspan(payload.offset, payload.size);
}

}  // namespace kvarbon
