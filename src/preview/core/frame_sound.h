// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/bytes.h"

namespace kvarbon {

// A table text read as a whole decimal number ("12", "-3") that fits the type;
// none for the empty text, spaces, other signs or characters, or overflow.
std::optional<std::int16_t> ParseInt16(std::string_view text) noexcept;
std::optional<std::int32_t> ParseInt32(std::string_view text) noexcept;

// A value taken as a 16-bit signed integer; none when it does not fit.
std::optional<std::int16_t> NarrowToInt16(std::int64_t value) noexcept;

// The element of SlideSoundTable that frame `frame` owns (frame v owns element
// v - 1); none when the table has no such element.
std::optional<std::size_t> FrameTableIndex(std::int64_t frame, std::size_t tableSize) noexcept;

// The picture holder that shows frame `frame`: the frame number, taken as a
// 16-bit signed integer, addresses the holder array; none when the number does
// not fit 16 bits or names no element.
std::optional<std::size_t> FrameHolderIndex(std::int64_t frame, std::size_t holderCount) noexcept;

// What the sound-name label does when frame `frame` is shown.
struct FrameSoundName {
  enum class Action { Keep, Clear, Show };
  Action action = Action::Keep;
  int position = -1;  // the sound list position whose entry is shown (Show only)
};

// Keep: the frame owns no table element, or its text names no entry of a
// sound list of `listCount` entries. Clear: the element is the empty text.
// Show: the element's text, read as a 16-bit position, names an entry.
FrameSoundName FrameSoundNameFor(const std::vector<std::string>& table, std::int64_t frame,
                                 int listCount) noexcept;

// The SoundBank element that starts when frame `frame` is shown: the element
// whose position the frame's table text gives, read as a 32-bit integer; none
// when the frame has no sound or the text names no element. The view points
// into `bank`.
std::optional<ByteView> FrameSoundFor(const std::vector<std::string>& table,
                                      const std::vector<Bytes>& bank, std::int64_t frame) noexcept;

// The sound at list position `position` of `bank` (an audition); none outside the bank.
std::optional<ByteView> SoundAt(const std::vector<Bytes>& bank, std::int64_t position) noexcept;

// The table text stored for a sound position: its decimal digits.
std::string SoundPositionText(std::int16_t position);

}  // namespace kvarbon
