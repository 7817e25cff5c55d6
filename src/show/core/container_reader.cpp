// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/core/container_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>

#include "show/core/marker_scan.h"
#include "show/core/zel_format.h"

namespace kvarbon {
namespace {

constexpr std::string_view kSeparator = kPayloadSeparator;
constexpr std::string_view kVideoEnd = kVideoEndTag;

bool HasText(ByteView bytes, std::size_t at, std::string_view text) {
  return at <= bytes.size() && text.size() <= bytes.size() - at &&
         std::memcmp(bytes.data() + at, text.data(), text.size()) == 0;
}

// The first `text` that starts at or after `from` and ends by `limit`.
std::optional<std::size_t> Find(ByteView bytes, std::string_view text, std::size_t from, std::size_t limit) {
  if (limit > bytes.size() || from > limit) return std::nullopt;
  const ByteView needle = AsBytes(text);
  const auto last = bytes.begin() + static_cast<std::ptrdiff_t>(limit);
  const auto found =
      std::search(bytes.begin() + static_cast<std::ptrdiff_t>(from), last, needle.begin(), needle.end());
  if (found == last) return std::nullopt;
  return static_cast<std::size_t>(found - bytes.begin());
}

bool IsDigit(std::byte b) { return b >= std::byte{'0'} && b <= std::byte{'9'}; }

bool IsIniByte(std::byte b) { return IsDigit(b) || b == std::byte{'='} || b == std::byte{';'}; }

std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  quoted += text;
  quoted += '"';
  return quoted;
}

// A few bytes at `at`, as text and in hex.
std::string DescribeFound(ByteView bytes, std::size_t at) {
  if (at >= bytes.size()) return "the end of the file";
  constexpr std::size_t kShown = 8;
  const std::size_t count = std::min(kShown, bytes.size() - at);
  std::string text;
  std::string hex;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned value = std::to_integer<unsigned>(bytes[at + i]);
    text += (value >= 0x20 && value < 0x7F) ? static_cast<char>(value) : '.';
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02X", value);
    if (i > 0) hex += ' ';
    hex += digits;
  }
  const std::string more = count < bytes.size() - at ? " ..." : "";
  return Quoted(text) + " (" + hex + more + ")";
}

// Decimal digits as a number; very long numbers stay at a ceiling no count reaches.
std::uint64_t ParseNumber(std::string_view digits) {
  constexpr std::uint64_t kCeiling = 1'000'000'000'000;
  std::uint64_t value = 0;
  for (const char digit : digits) value = std::min(kCeiling, value * 10 + static_cast<unsigned>(digit - '0'));
  return value;
}

// "1 slide", "2 slides".
std::string Count(std::size_t count, const std::string& noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string NameOf(PayloadSection section, int number) {
  return (section == PayloadSection::kSound ? "sound " : "slide ") + std::to_string(number);
}

// A payload as the splitter found it, with the one doubt only the splitter sees.
struct Piece {
  MediaPayload payload;
  bool mayEndLater = false;  // its separator overlaps a second "-|-" it could end at
};

class Reader {
 public:
  Reader(ByteView bytes, ContainerContents& out) : bytes_(bytes), out_(out) {}

  void Read() {
    std::size_t at = 0;
    if (!ReadSpeed(at) || !ReadIni(at) || !ExpectTag(at, kSoundTag)) return;
    if (!ReadMedia(at)) return;
    CheckAssignments();
  }

 private:
  bool Fail(std::size_t at, std::string expected) {
    out_.error = ContainerError{at, std::move(expected), DescribeFound(bytes_, at)};
    return false;
  }

  void Problem(std::size_t at, std::string subject, std::string text) {
    out_.problems.push_back({at, std::move(subject), std::move(text)});
  }

  bool ExpectTag(std::size_t& at, std::string_view tag) {
    if (!HasText(bytes_, at, tag)) {
      Fail(at, "the opening tag " + Quoted(tag));
      out_.error->notAContainer = at == 0;
      return false;
    }
    at += tag.size();
    return true;
  }

  std::size_t SkipWhile(std::size_t at, bool (*accepts)(std::byte)) const {
    while (at < bytes_.size() && accepts(bytes_[at])) ++at;
    return at;
  }

  bool ReadSpeed(std::size_t& at) {
    if (!ExpectTag(at, kSpeedTag)) return false;
    out_.speedOffset = at;
    const std::size_t end = SkipWhile(at, IsDigit);
    if (end == at) return Fail(at, "the frame interval in decimal digits");
    out_.speedText = std::string(AsText(bytes_.subspan(at, end - at)));
    if (!HasText(bytes_, end, kSpeedEndTag)) {
      return Fail(end, "the closing tag \"\\speed\" after the frame interval's digits");
    }
    constexpr std::uint64_t kMostInterval = 32767;
    const std::uint64_t interval = ParseNumber(out_.speedText);
    if (interval > kMostInterval) {
      Problem(at, "speed", Quoted(out_.speedText) + " is not a 16-bit frame interval");
    } else {
      out_.frameInterval = static_cast<int>(interval);
      if (interval == 0) Problem(at, "speed", "a frame interval of 0 ms has no playback rate");
    }
    at = end + kSpeedEndTag.size();
    return true;
  }

  bool ReadIni(std::size_t& at) {
    if (!ExpectTag(at, kIniTag)) return false;
    out_.iniOffset = at;
    // The payload holds only digits, "=" and ";", so it ends at the first other byte.
    const std::size_t end = SkipWhile(at, IsIniByte);
    out_.iniText = std::string(AsText(bytes_.subspan(at, end - at)));
    if (!HasText(bytes_, end, kIniEndTag)) {
      return Fail(end, "an assignment (frame number, \"=\", sound position, \";\") or the closing tag \"\\ini\"");
    }
    std::size_t entry = at;
    while (entry < end) {
      const std::optional<std::size_t> semicolon = Find(bytes_, ";", entry, end);
      if (!semicolon) return Fail(end, "\";\" ending the assignment at offset " + std::to_string(entry));
      const std::string_view text = AsText(bytes_.subspan(entry, *semicolon - entry));
      const std::size_t equals = text.find('=');
      const bool wellFormed = equals != std::string_view::npos && equals > 0 && equals + 1 < text.size() &&
                              text.find('=', equals + 1) == std::string_view::npos;
      if (!wellFormed) {
        return Fail(entry, "an assignment: frame number, \"=\", sound position, \";\"");
      }
      out_.entries.push_back({entry, std::string(text), ParseNumber(text.substr(0, equals)),
                              ParseNumber(text.substr(equals + 1))});
      entry = *semicolon + 1;
    }
    at = end + kIniEndTag.size();
    return true;
  }

  bool ReadMedia(std::size_t at) {
    const std::size_t soundStart = at;
    const std::size_t shortest = soundStart + kBetweenSections.size() + kVideoEnd.size();
    if (bytes_.size() < shortest) return Fail(bytes_.size(), "the closing tag \"\\video\" ending the file");
    const std::size_t videoEnd = bytes_.size() - kVideoEnd.size();
    if (!HasText(bytes_, videoEnd, kVideoEnd)) return Fail(videoEnd, "the closing tag \"\\video\" ending the file");

    // Where the sound section may end: "\soundvideo" right after a separator, or
    // right after the opening tag when there are no sounds.
    std::vector<std::size_t> soundEnds;
    for (std::optional<std::size_t> found = Find(bytes_, kBetweenSections, soundStart, videoEnd); found;
         found = Find(bytes_, kBetweenSections, *found + 1, videoEnd)) {
      if (*found == soundStart || (*found >= soundStart + kSeparator.size() &&
                                   HasText(bytes_, *found - kSeparator.size(), kSeparator))) {
        soundEnds.push_back(*found);
      }
    }
    const std::string soundEndText = "the closing tag \"\\sound\" and the opening tag \"video\"";
    std::vector<Piece> sounds;
    if (soundEnds.empty()) {
      // Walk anyway, so the error points at the payload that runs out.
      SplitPayloads(soundStart, videoEnd, [](std::size_t) { return false; }, soundEndText, sounds);
      if (!out_.error) Fail(soundStart, "sound payloads, each followed by \"-|-\", then " + soundEndText);
      return false;
    }
    const std::optional<std::size_t> soundEnd = SplitPayloads(
        soundStart, soundEnds.back(),
        [&](std::size_t position) { return std::binary_search(soundEnds.begin(), soundEnds.end(), position); },
        soundEndText, sounds);
    out_.soundOffset = soundStart;
    if (!soundEnd) return false;
    out_.soundSize = *soundEnd - soundStart;

    const std::size_t videoStart = *soundEnd + kBetweenSections.size();
    out_.videoOffset = videoStart;
    out_.videoSize = videoEnd - videoStart;
    std::vector<Piece> slides;
    const bool videoRead = SplitPayloads(
        videoStart, videoEnd, [&](std::size_t position) { return position == videoEnd; },
        "the closing tag \"\\video\"", slides).has_value();

    Settle(sounds, PayloadSection::kSound, NeededSounds());
    if (!videoRead) {
      Publish(sounds, out_.sounds);
      return false;
    }
    Settle(slides, PayloadSection::kVideo, NeededSlides());
    CheckSoundEnd(*soundEnd, soundEnds, sounds, slides);
    Publish(sounds, out_.sounds);
    Publish(slides, out_.slides);
    for (const std::vector<MediaPayload>* section : {&out_.sounds, &out_.slides}) {
      for (const MediaPayload& payload : *section) ReportMarkers(payload);
    }
    return true;
  }

  // Splits payloads, each followed by "-|-", from `begin` until a payload would
  // start where `isEnd` says the section ends. No separator may run past
  // `limit`. Returns the section's end, or nullopt after an error.
  std::optional<std::size_t> SplitPayloads(std::size_t begin, std::size_t limit,
                                           const std::function<bool(std::size_t)>& isEnd,
                                           const std::string& sectionEndText, std::vector<Piece>& pieces) {
    std::size_t at = begin;
    while (!isEnd(at)) {
      if (at >= limit) {
        Fail(at, sectionEndText);
        return std::nullopt;
      }
      Piece piece;
      MediaPayload& payload = piece.payload;
      const ByteView rest = bytes_.subspan(at, limit - at);
      payload.offset = at;
      payload.format = DetectFormat(rest);
      const std::vector<DeclaredLength> lengths = DeclaredLengths(rest);
      for (const DeclaredLength& declared : lengths) {
        if (declared.length + kSeparator.size() <= rest.size() &&
            HasText(rest, static_cast<std::size_t>(declared.length), kSeparator)) {
          payload.size = static_cast<std::size_t>(declared.length);
          payload.end = PayloadEnd::kDeclaredLength;
          payload.lengthSource = declared.source;
          break;
        }
      }
      if (payload.end != PayloadEnd::kDeclaredLength && !SplitAtSeparator(piece, limit, isEnd, lengths)) {
        Fail(at, "\"-|-\" after the payload that starts here, or " + sectionEndText);
        return std::nullopt;
      }
      at = payload.offset + payload.size + kSeparator.size();
      pieces.push_back(std::move(piece));
    }
    return at;
  }

  // Ends the payload at the next "-|-". Returns false when there is none.
  bool SplitAtSeparator(Piece& piece, std::size_t limit, const std::function<bool(std::size_t)>& isEnd,
                        const std::vector<DeclaredLength>& lengths) {
    MediaPayload& payload = piece.payload;
    payload.end = PayloadEnd::kSeparator;
    const std::optional<std::size_t> first = Find(bytes_, kSeparator, payload.offset, limit);
    if (!first) return false;
    if (!lengths.empty()) {
      payload.notes.push_back("its " + std::string(lengths.front().source) + " gives " +
                              std::to_string(lengths.front().length) + " bytes, but no \"-|-\" follows there");
    }
    // "-|-|-": the payload may end in "-|", so a later separator of the run may be its own.
    std::size_t last = *first;
    while (last + 2 + kSeparator.size() <= limit && HasText(bytes_, last + 2, kSeparator)) last += 2;
    std::size_t chosen = *first;
    if (last != *first) {
      const std::string run = "its separator at offset " + std::to_string(*first) +
                              " overlaps another \"-|-\" (\"-|-|-\")";
      if (isEnd(last + kSeparator.size())) {
        chosen = last;
        payload.notes.push_back(run + "; the section's end settles that it ends in \"-|\"");
      } else {
        piece.mayEndLater = true;
        payload.notes.push_back(run + ": it may end " + std::to_string(last - *first) + " bytes later");
      }
    }
    payload.size = chosen - payload.offset;
    return true;
  }

  std::size_t NeededSounds() const {
    std::uint64_t needed = 0;
    for (const IniEntry& entry : out_.entries) needed = std::max(needed, entry.sound + 1);
    return static_cast<std::size_t>(needed);
  }

  std::size_t NeededSlides() const {
    std::uint64_t needed = 0;
    for (const IniEntry& entry : out_.entries) needed = std::max(needed, entry.frame);
    return static_cast<std::size_t>(needed);
  }

  // Numbers the payloads and decides which are sure. A payload split at a
  // separator may really run on through it into the next payload; that is
  // ruled out when the next payload's own length confirms where it starts, or
  // when the assignments need every payload found (one fewer would not do).
  void Settle(std::vector<Piece>& pieces, PayloadSection section, std::size_t needed) {
    const int firstNumber = section == PayloadSection::kSound ? 0 : 1;
    const std::size_t count = pieces.size();
    std::optional<std::size_t> firstUnsure;
    for (std::size_t i = 0; i < count; ++i) {
      MediaPayload& payload = pieces[i].payload;
      payload.section = section;
      payload.number = firstNumber + static_cast<int>(i);
      const bool nextConfirmed = i + 1 < count && pieces[i + 1].payload.end == PayloadEnd::kDeclaredLength;
      const bool endSure = payload.end == PayloadEnd::kDeclaredLength ||
                           (!pieces[i].mayEndLater && (i + 1 == count || nextConfirmed || count <= needed));
      if (firstUnsure) {
        payload.certain = false;
        payload.notes.push_back("its start and number depend on the unsure end of " +
                                NameOf(section, firstNumber + static_cast<int>(*firstUnsure)));
      }
      if (endSure) continue;
      payload.certain = false;
      const std::size_t separatorAt = payload.offset + payload.size;
      const std::string noun = section == PayloadSection::kSound ? "sounds" : "slides";
      const std::string why =
          pieces[i].mayEndLater
              ? "its separator overlaps another \"-|-\", so it may end 2 bytes later"
              : "no declared length ends there or starts the next payload, and the assignments need only " +
                    std::to_string(needed) + " of the " + std::to_string(count) + " " + noun +
                    ", so it may run on into the next";
      if (!pieces[i].mayEndLater) payload.notes.push_back("its end is not sure: it may run on into the next payload");
      Problem(separatorAt, NameOf(section, payload.number),
              "its end at the \"-|-\" at offset " + std::to_string(separatorAt) + " is not sure: " + why);
      if (!firstUnsure) firstUnsure = i;
    }
    if (firstUnsure && *firstUnsure + 1 < count) {
      const int from = firstNumber + static_cast<int>(*firstUnsure) + 1;
      const int to = firstNumber + static_cast<int>(count) - 1;
      const std::string plural = section == PayloadSection::kSound ? "sounds " : "slides ";
      Problem(pieces[*firstUnsure + 1].payload.offset,
              from == to ? NameOf(section, from) : plural + std::to_string(from) + " to " + std::to_string(to),
              "their starts and numbers depend on the unsure end of " +
                  NameOf(section, firstNumber + static_cast<int>(*firstUnsure)));
    }
    for (Piece& piece : pieces) {
      const ByteView payloadBytes = PayloadBytes(bytes_, piece.payload);
      piece.payload.markers = FindMarkers(payloadBytes);
      const std::size_t end = piece.payload.offset + piece.payload.size;
      if (EndMisleads(payloadBytes)) {
        Problem(end - 2, NameOf(section, piece.payload.number),
                "it ends in \"-|\", so with its separator it reads \"-|-|-\" at offset " +
                    std::to_string(end - 2) + ": a reader that splits at the first \"-|-\" cuts it short");
      }
    }
  }

  // The sound section ends at the first "\soundvideo" reached; a later one
  // could be its real end if the last sound runs on through the first.
  void CheckSoundEnd(std::size_t soundEnd, const std::vector<std::size_t>& soundEnds, std::vector<Piece>& sounds,
                     std::vector<Piece>& slides) {
    std::string later;
    for (const std::size_t end : soundEnds) {
      if (end > soundEnd) later += (later.empty() ? "" : ", ") + std::to_string(end);
    }
    if (later.empty()) return;
    if (!sounds.empty() && sounds.back().payload.end == PayloadEnd::kDeclaredLength) return;
    const std::string why = "\"-|-\\soundvideo\" also occurs at offset " + later + ", and " +
                            (sounds.empty() ? std::string("nothing shows the section is empty")
                                            : "the last sound declares no length that settles it");
    Problem(soundEnd, "sound section", "its end at offset " + std::to_string(soundEnd) + " is not sure: " + why);
    if (!sounds.empty()) {
      sounds.back().payload.certain = false;
      sounds.back().payload.notes.push_back("it may run on to a later end of the sound section");
    }
    for (Piece& slide : slides) {
      slide.payload.certain = false;
      slide.payload.notes.push_back("the video section's start depends on the unsure end of the sound section");
    }
  }

  static void Publish(std::vector<Piece>& pieces, std::vector<MediaPayload>& payloads) {
    for (Piece& piece : pieces) payloads.push_back(std::move(piece.payload));
  }

  // Marker texts in a payload that mislead a reader searching forward from it:
  // the separator, and the tags that end its section or start a later one.
  void ReportMarkers(const MediaPayload& payload) {
    const MediaSection section =
        payload.section == PayloadSection::kSound ? MediaSection::kSound : MediaSection::kVideo;
    std::string found;
    std::optional<std::size_t> firstAt;
    for (const MarkerHit& hit : payload.markers) {
      if (!MarkerMisleads(hit.marker, section)) continue;
      const std::size_t at = payload.offset + hit.first;
      if (!firstAt) firstAt = at;
      found += (found.empty() ? "" : ", ") + Quoted(hit.marker) + " at offset " + std::to_string(at);
      if (hit.count > 1) found += " (" + std::to_string(hit.count) + " times)";
    }
    if (!firstAt) return;
    std::string text = "its bytes contain " + found +
                       ": a reader that splits the container by searching for these texts misreads it";
    if (payload.certain) {
      text += payload.end == PayloadEnd::kDeclaredLength
                  ? "; here it was split by its " + std::string(payload.lengthSource)
                  : "; here its bounds are still settled";
    }
    Problem(*firstAt, PayloadName(payload), std::move(text));
  }

  void CheckAssignments() {
    std::set<std::uint64_t> framesSeen;
    std::uint64_t lastFrame = 0;
    for (const IniEntry& entry : out_.entries) {
      const std::string subject = "ini entry " + entry.text;
      if (entry.frame == 0) {
        Problem(entry.offset, subject, "frame numbers count from 1");
      } else if (entry.frame > out_.slides.size()) {
        Problem(entry.offset, subject,
                "names frame " + std::to_string(entry.frame) + ", but the video section holds " +
                    Count(out_.slides.size(), "slide"));
      }
      if (entry.sound >= out_.sounds.size()) {
        Problem(entry.offset, subject,
                "names sound " + std::to_string(entry.sound) + ", but the sound section holds " +
                    Count(out_.sounds.size(), "sound") + ", numbered from 0");
      }
      if (!framesSeen.insert(entry.frame).second) {
        Problem(entry.offset, subject, "frame " + std::to_string(entry.frame) + " is assigned twice");
      } else if (entry.frame != 0 && entry.frame < lastFrame) {
        Problem(entry.offset, subject, "frames are not in ascending order");
      }
      lastFrame = std::max(lastFrame, entry.frame);
    }
  }

  ByteView bytes_;
  ContainerContents& out_;
};

}  // namespace

std::string PayloadName(const MediaPayload& payload) { return NameOf(payload.section, payload.number); }

std::string ContainerError::Describe() const {
  return "offset " + std::to_string(offset) + ": expected " + expected + ", found " + found;
}

std::string MalformedContainerMessage(const std::filesystem::path& file, const ContainerError& error) {
  if (error.notAContainer) return file.native() + ": not a ZEL show (it does not begin with " + Quoted(kSpeedTag) + ")";
  return file.native() + ": malformed container: " + error.Describe();
}

ContainerContents ReadContainer(ByteView container) {
  ContainerContents contents;
  contents.size = container.size();
  Reader(container, contents).Read();
  std::stable_sort(contents.problems.begin(), contents.problems.end(),
                   [](const ContainerProblem& a, const ContainerProblem& b) { return a.offset < b.offset; });
  return contents;
}

}  // namespace kvarbon
