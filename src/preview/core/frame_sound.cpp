// SPDX-License-Identifier: GPL-3.0-or-later
#include "preview/core/frame_sound.h"

#include <charconv>
#include <limits>

namespace kvarbon {

namespace {

template <typename Int>
std::optional<Int> ParseWhole(std::string_view text) noexcept {
  Int value{};
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || stop != end) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::int16_t> ParseInt16(std::string_view text) noexcept {
  return ParseWhole<std::int16_t>(text);
}

std::optional<std::int32_t> ParseInt32(std::string_view text) noexcept {
  return ParseWhole<std::int32_t>(text);
}

std::optional<std::int16_t> NarrowToInt16(std::int64_t value) noexcept {
  if (value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(value);
}

std::optional<std::size_t> FrameTableIndex(std::int64_t frame, std::size_t tableSize) noexcept {
  if (frame < 1 || static_cast<std::uint64_t>(frame - 1) >= tableSize) return std::nullopt;
  return static_cast<std::size_t>(frame - 1);
}

std::optional<std::size_t> FrameHolderIndex(std::int64_t frame, std::size_t holderCount) noexcept {
  const std::optional<std::int16_t> index = NarrowToInt16(frame);
  if (!index || *index < 0 || static_cast<std::size_t>(*index) >= holderCount) return std::nullopt;
  return static_cast<std::size_t>(*index);
}

FrameSoundName FrameSoundNameFor(const std::vector<std::string>& table, std::int64_t frame,
                                 int listCount) noexcept {
  const std::optional<std::size_t> index = FrameTableIndex(frame, table.size());
  if (!index) return {};
  const std::string& text = table[*index];
  if (text.empty()) return {FrameSoundName::Action::Clear, -1};
  const std::optional<std::int16_t> position = ParseInt16(text);
  if (!position || *position < 0 || *position >= listCount) return {};
  return {FrameSoundName::Action::Show, *position};
}

std::optional<ByteView> FrameSoundFor(const std::vector<std::string>& table,
                                      const std::vector<Bytes>& bank, std::int64_t frame) noexcept {
  const std::optional<std::size_t> index = FrameTableIndex(frame, table.size());
  if (!index) return std::nullopt;
  const std::string& text = table[*index];
  if (text.empty()) return std::nullopt;
  const std::optional<std::int32_t> position = ParseInt32(text);
  if (!position) return std::nullopt;
  return SoundAt(bank, *position);
}

std::optional<ByteView> SoundAt(const std::vector<Bytes>& bank, std::int64_t position) noexcept {
  if (position < 0 || static_cast<std::uint64_t>(position) >= bank.size()) return std::nullopt;
  return ByteView(bank[static_cast<std::size_t>(position)]);
}

std::string SoundPositionText(std::int16_t position) { return std::to_string(position); }

}  // namespace kvarbon
