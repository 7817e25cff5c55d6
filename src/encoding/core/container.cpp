#include "encoding/core/container.h"

#include <cstdio>
#include <optional>

#include "app/core/file_io.h"
#include "app/core/in_order_jobs.h"

namespace kvarbon {

void WarnOnStderr(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

namespace {

// One media file as it goes into a section: its bytes followed by "-|-".
struct Payload {
  Bytes bytes;
  std::string warning;
};

Payload ReadPayload(const std::filesystem::path& path, std::optional<MediaSection> scanAs) {
  Payload payload{ReadWholeFile(path, kPayloadSeparator.size()), {}};
  if (scanAs) payload.warning = HazardWarning(path, FindHazards(payload.bytes, *scanAs));
  // The separator goes into the same piece: one allocation per file at most.
  const ByteView separator = AsBytes(kPayloadSeparator);
  payload.bytes.insert(payload.bytes.end(), separator.begin(), separator.end());
  return payload;
}

}  // namespace

void GatherPayloadsInto(const FileListSource& list, MediaSection kind, ByteChain& section,
                        const std::function<void(int)>& afterEachFile, const MediaWarning& warn) {
  RunInOrder(
      list.Count(), WorkerThreads(), [&list](int position) { return list.PathOf(position); },
      [scan = warn ? std::optional(kind) : std::nullopt](const std::filesystem::path& path) {
        return ReadPayload(path, scan);
      },
      [&](int position, Payload payload) {
        if (!payload.warning.empty()) warn(payload.warning);
        section.Append(std::move(payload.bytes));
        if (afterEachFile) afterEachFile(position);
      });
}

ByteChain GatherPayloads(const FileListSource& list, MediaSection kind, const std::function<void(int)>& afterEachFile,
                         const MediaWarning& warn) {
  ByteChain section;
  GatherPayloadsInto(list, kind, section, afterEachFile, warn);
  return section;
}

Container::Container(std::int16_t FrameInterval, const std::string& IniSection,
                     const ByteChain& SoundSection, const ByteChain& VideoSection)
    : head_(std::string(kSpeedTag) + std::to_string(FrameInterval) + std::string(kSpeedEndTag) +
            std::string(kIniTag) + IniSection + std::string(kIniEndTag) + std::string(kSoundTag)),
      sound_(SoundSection),
      video_(VideoSection) {}

std::vector<ByteView> Container::Pieces() const {
  std::vector<ByteView> pieces;
  pieces.reserve(sound_.Pieces().size() + video_.Pieces().size() + 3);
  pieces.push_back(AsBytes(head_));
  for (const Bytes& piece : sound_.Pieces()) pieces.emplace_back(piece);
  pieces.push_back(AsBytes(kBetweenSections));
  for (const Bytes& piece : video_.Pieces()) pieces.emplace_back(piece);
  pieces.push_back(AsBytes(kVideoEndTag));
  return pieces;
}

std::uint64_t Container::Size() const {
  return head_.size() + sound_.Size() + kBetweenSections.size() + video_.Size() +
         kVideoEndTag.size();
}

Bytes Container::ToBytes() const {
  Bytes all;
  all.reserve(Size());
  for (const ByteView piece : Pieces()) all.insert(all.end(), piece.begin(), piece.end());
  return all;
}

}  // namespace kvarbon
