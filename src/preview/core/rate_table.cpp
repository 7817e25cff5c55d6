// SPDX-License-Identifier: GPL-3.0-or-later
#include "preview/core/rate_table.h"

#include <array>
#include <utility>

namespace kvarbon {

std::string SpeedLabelText(int scrollValue) {
  return scrollValue == 0 ? std::string("1") : std::to_string(scrollValue);
}

std::optional<std::int16_t> FrameIntervalForLabel(std::string_view labelText) {
  static constexpr std::array<std::pair<std::string_view, std::int16_t>, 6> kRates{{
      {"50", 20}, {"40", 25}, {"30", 33}, {"20", 50}, {"10", 100}, {"1", 1000}}};
  for (const auto& [label, interval] : kRates) {
    if (label == labelText) return interval;
  }
  return std::nullopt;
}

std::string SelectSpeed(int scrollValue, std::int16_t& FrameInterval) {
  std::string label = SpeedLabelText(scrollValue);
  if (const std::optional<std::int16_t> interval = FrameIntervalForLabel(label)) FrameInterval = *interval;
  return label;
}

}  // namespace kvarbon
