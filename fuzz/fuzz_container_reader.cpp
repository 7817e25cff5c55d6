// SPDX-License-Identifier: GPL-3.0-or-later
// zel-inspect's container reader on arbitrary bytes, and on containers the
// encoder builds from arbitrary media.
//
// Input: one mode byte, then
// - mode bit 0 clear: the container's bytes, read as they are; every offset the
//   reader reports must lie inside them;
// - mode bit 0 set: a frame interval byte, a sound count and a slide count
//   (each 0 to 3), then each medium as a length byte and that many bytes. The
//   container JoinContainer makes of them must read back exactly whenever
//   nothing in it can be mistaken for a separator or a section's end.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "show/core/zel_format.h"
#include "show/core/container_reader.h"
#include "show/core/marker_scan.h"

namespace {

using kvarbon::Bytes;
using kvarbon::ByteView;

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckInside(const kvarbon::ContainerContents& contents, std::size_t size) {
  Check(contents.size == size);
  Check(contents.speedOffset <= size && contents.iniOffset <= size);
  Check(contents.soundOffset <= size && contents.soundSize <= size - contents.soundOffset);
  Check(contents.videoOffset <= size && contents.videoSize <= size - contents.videoOffset);
  for (const kvarbon::IniEntry& entry : contents.entries) Check(entry.offset + entry.text.size() <= size);
  for (const auto* section : {&contents.sounds, &contents.slides}) {
    for (const kvarbon::MediaPayload& payload : *section) {
      Check(payload.offset <= size && payload.size <= size - payload.offset);
      for (const kvarbon::MarkerHit& hit : payload.markers)
        Check(hit.first + hit.marker.size() <= payload.size);
      (void)kvarbon::PayloadName(payload);
    }
  }
  for (const kvarbon::ContainerProblem& problem : contents.problems) Check(problem.offset <= size);
  if (contents.error) {
    Check(contents.error->offset <= size);
    (void)contents.error->Describe();
  }
}

void ReadAsIs(ByteView bytes) { CheckInside(kvarbon::ReadContainer(bytes), bytes.size()); }

void RoundTrip(ByteView input) {
  if (input.size() < 3) return;
  const auto interval = static_cast<std::int16_t>(std::to_integer<int>(input[0]) * 4);
  const std::size_t soundCount = std::to_integer<std::size_t>(input[1]) % 4;
  const std::size_t slideCount = std::to_integer<std::size_t>(input[2]) % 4;
  std::size_t at = 3;
  const auto next = [&] {
    std::size_t length = 0;
    if (at < input.size()) length = std::to_integer<std::size_t>(input[at++]);
    length = std::min(length, input.size() - at);
    Bytes medium(input.begin() + static_cast<std::ptrdiff_t>(at),
                 input.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += length;
    return medium;
  };
  std::vector<Bytes> sounds;
  std::vector<Bytes> slides;
  for (std::size_t i = 0; i < soundCount; ++i) sounds.push_back(next());
  for (std::size_t i = 0; i < slideCount; ++i) slides.push_back(next());
  // Every frame gets a sound while there are sounds: the reader needs them all.
  std::string IniSection;
  for (std::size_t frame = 1; frame <= slideCount && soundCount > 0; ++frame) {
    IniSection += std::to_string(frame) + "=" + std::to_string((frame - 1) % soundCount) + ";";
  }
  const Bytes container = kvarbon::JoinContainer(interval, IniSection, sounds, slides);
  const kvarbon::ContainerContents contents = kvarbon::ReadContainer(container);
  CheckInside(contents, container.size());

  // Unambiguous: "-|-" only at the real separators, and the sound section's end
  // text only at its real place.
  std::size_t separators = 0;
  std::size_t sectionEnds = 0;
  for (const kvarbon::MarkerHit& hit : kvarbon::FindMarkers(container)) {
    if (hit.marker == kvarbon::kPayloadSeparator) separators = hit.count;
  }
  const std::string_view between = "\\soundvideo";
  for (std::size_t i = 0; i + between.size() <= container.size(); ++i) {
    if (kvarbon::AsText(ByteView(container).subspan(i, between.size())) == between) ++sectionEnds;
  }
  if (separators != soundCount + slideCount || sectionEnds != 1) return;

  Check(!contents.error);
  Check(contents.frameInterval == interval);
  Check(contents.sounds.size() == soundCount && contents.slides.size() == slideCount);
  for (std::size_t i = 0; i < soundCount; ++i) {
    const ByteView got = kvarbon::PayloadBytes(container, contents.sounds[i]);
    Check(Bytes(got.begin(), got.end()) == sounds[i]);
  }
  for (std::size_t i = 0; i < slideCount; ++i) {
    const ByteView got = kvarbon::PayloadBytes(container, contents.slides[i]);
    Check(Bytes(got.begin(), got.end()) == slides[i]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const ByteView rest(reinterpret_cast<const std::byte*>(data + 1), size - 1);
  if ((data[0] & 1U) == 0) {
    ReadAsIs(rest);
  } else {
    RoundTrip(rest);
  }
  return 0;
}
