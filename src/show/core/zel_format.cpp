// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/core/zel_format.h"

#include "show/core/marker_scan.h"

namespace kvarbon {

std::string ContainerHead(std::int16_t FrameInterval, std::string_view IniSection) {
  return std::string(kSpeedTag) + std::to_string(FrameInterval) + std::string(kSpeedEndTag) + std::string(kIniTag) +
         std::string(IniSection) + std::string(kIniEndTag) + std::string(kSoundTag);
}

Bytes JoinContainer(std::int16_t FrameInterval, std::string_view IniSection, const std::vector<Bytes>& sounds,
                    const std::vector<Bytes>& slides) {
  Bytes all;
  const auto text = [&all](std::string_view piece) {
    const ByteView bytes = AsBytes(piece);
    all.insert(all.end(), bytes.begin(), bytes.end());
  };
  const auto media = [&](const std::vector<Bytes>& files) {
    for (const Bytes& file : files) {
      all.insert(all.end(), file.begin(), file.end());
      text(kPayloadSeparator);
    }
  };
  text(ContainerHead(FrameInterval, IniSection));
  media(sounds);
  text(kBetweenSections);
  media(slides);
  text(kVideoEndTag);
  return all;
}

bool MarkerMisleads(std::string_view marker, MediaSection section) {
  if (marker == kPayloadSeparator || marker == kVideoEndTag) return true;
  return section == MediaSection::kSound && (marker == kSoundEndTag || marker == kVideoTag);
}

bool EndMisleads(ByteView payload) {
  const std::string_view text = AsText(payload);
  return text.size() >= 2 && text.substr(text.size() - 2) == kPayloadSeparator.substr(0, 2);
}

MediaHazards FindHazards(ByteView payload, MediaSection section) {
  MediaHazards hazards;
  for (const MarkerHit& hit : FindMarkers(payload)) {
    if (MarkerMisleads(hit.marker, section)) hazards.markers.push_back(hit);
  }
  hazards.endsWithSeparatorStart = EndMisleads(payload);
  return hazards;
}

std::string HazardWarning(const std::filesystem::path& path, const MediaHazards& hazards) {
  if (!hazards.Any()) return {};
  std::string what;
  for (const MarkerHit& hit : hazards.markers) {
    what += (what.empty() ? "contains \"" : ", \"") + std::string(hit.marker) + "\"";
  }
  if (hazards.endsWithSeparatorStart) what += std::string(what.empty() ? "" : " and ") + "ends in \"-|\"";
  return "warning: \"" + path.native() + "\" " + what +
         "; a player that splits the container by searching for its marker texts may misread the show";
}

}  // namespace kvarbon
