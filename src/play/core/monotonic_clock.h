// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

namespace kvarbon {

// A time source that never goes back: the steady clock in the player, a clock
// moved by hand in tests.
class MonotonicClock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  virtual ~MonotonicClock() = default;
  virtual TimePoint Now() const = 0;
};

class SteadyClock final : public MonotonicClock {
 public:
  TimePoint Now() const override { return std::chrono::steady_clock::now(); }
};

}  // namespace kvarbon
