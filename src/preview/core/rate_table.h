// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kvarbon {

// Speed selector: the frames-per-second label text for a scroll bar value
// ("1" for 0, else the value's decimal digits).
std::string SpeedLabelText(int scrollValue);

// The clock period in milliseconds for a frames-per-second label text, looked
// up exactly; no value for a text the table does not hold.
std::optional<std::int16_t> FrameIntervalForLabel(std::string_view labelText);

// A new position of the speed bar: returns the label text it shows, and sets
// FrameInterval to the label's rate; a text the table lacks (a value between
// the steps) leaves the rate as it was.
std::string SelectSpeed(int scrollValue, std::int16_t& FrameInterval);

}  // namespace kvarbon
