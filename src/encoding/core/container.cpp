#include "encoding/core/container.h"

#include <cstdio>

#include "app/core/file_io.h"
#include "app/core/in_order_jobs.h"
#include "inspect/marker_scan.h"

namespace kvarbon {

namespace {
constexpr std::string_view kBetweenSoundAndVideo = "\\soundvideo";
constexpr std::string_view kVideoEnd = "\\video";
}  // namespace

void WarnOnStderr(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

namespace {

// One media file as it goes into a section: its bytes followed by "-|-".
struct Payload {
  Bytes bytes;
  std::string warning;
};

Payload ReadPayload(const std::filesystem::path& path, bool scanForMarkers) {
  Payload payload{ReadWholeFile(path, kPayloadSeparator.size()), {}};
  if (scanForMarkers) payload.warning = MarkerWarning(path, payload.bytes);
  // The separator goes into the same piece: one allocation per file at most.
  const ByteView separator = AsBytes(kPayloadSeparator);
  payload.bytes.insert(payload.bytes.end(), separator.begin(), separator.end());
  return payload;
}

}  // namespace

void GatherPayloadsInto(const FileListSource& list, ByteChain& section,
                        const std::function<void(int)>& afterEachFile, const MediaWarning& warn) {
  RunInOrder(
      list.Count(), WorkerThreads(), [&list](int position) { return list.PathOf(position); },
      [scan = static_cast<bool>(warn)](const std::filesystem::path& path) { return ReadPayload(path, scan); },
      [&](int position, Payload payload) {
        if (!payload.warning.empty()) warn(payload.warning);
        section.Append(std::move(payload.bytes));
        if (afterEachFile) afterEachFile(position);
      });
}

ByteChain GatherPayloads(const FileListSource& list, const std::function<void(int)>& afterEachFile,
                         const MediaWarning& warn) {
  ByteChain section;
  GatherPayloadsInto(list, section, afterEachFile, warn);
  return section;
}

Container::Container(std::int16_t FrameInterval, const std::string& IniSection,
                     const ByteChain& SoundSection, const ByteChain& VideoSection)
    : head_("speed" + std::to_string(FrameInterval) + "\\speed" + "ini" + IniSection + "\\ini" +
            "sound"),
      sound_(SoundSection),
      video_(VideoSection) {}

std::vector<ByteView> Container::Pieces() const {
  std::vector<ByteView> pieces;
  pieces.reserve(sound_.Pieces().size() + video_.Pieces().size() + 3);
  pieces.push_back(AsBytes(head_));
  for (const Bytes& piece : sound_.Pieces()) pieces.emplace_back(piece);
  pieces.push_back(AsBytes(kBetweenSoundAndVideo));
  for (const Bytes& piece : video_.Pieces()) pieces.emplace_back(piece);
  pieces.push_back(AsBytes(kVideoEnd));
  return pieces;
}

std::uint64_t Container::Size() const {
  return head_.size() + sound_.Size() + kBetweenSoundAndVideo.size() + video_.Size() +
         kVideoEnd.size();
}

Bytes Container::ToBytes() const {
  Bytes all;
  all.reserve(Size());
  for (const ByteView piece : Pieces()) all.insert(all.end(), piece.begin(), piece.end());
  return all;
}

}  // namespace kvarbon
