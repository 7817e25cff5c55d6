// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kvarbon {

// Runs one step of a handler that skips failing statements and reports
// nothing (the display and the clock): a failure ends that step only.
template <typename Step>
void Skipping(Step&& step) noexcept {
  try {
    step();
  } catch (...) {  // skipped without a word: the next step runs
  }
}

}  // namespace kvarbon
