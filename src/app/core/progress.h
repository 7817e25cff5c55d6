// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace kvarbon {

// What a long job reports to the progress window that runs it: one line of
// text and a bar. Yield lets the window process pending events (repaints,
// timer ticks) between steps.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void SetText(const std::string& text) = 0;
  virtual void SetMaximum(int maximum) = 0;
  virtual void SetValue(int value) = 0;
  virtual void Yield() = 0;
};

// A job the progress window runs while it is shown.
using ProgressJob = std::function<void(ProgressSink&)>;

// Where a command shows a job: runs it in the progress window and returns
// whether it ran. A failure of the job is rethrown once the window has gone.
// It may not run at all, when the window's modal loop ends before it starts
// (a quit request): the command then claims and writes nothing.
using ProgressWindow = std::function<bool(const ProgressJob&)>;

}  // namespace kvarbon
