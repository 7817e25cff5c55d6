// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace kvarbon {

// A new, empty temporary file beside `target` that becomes `target` only on
// Commit; otherwise it is removed when discarded or destroyed, so `target`
// never holds a partial file and nothing is left behind.
class TempOutput {
 public:
  // Throws FileError when the file cannot be created.
  explicit TempOutput(std::filesystem::path target);
  TempOutput(const TempOutput&) = delete;
  TempOutput& operator=(const TempOutput&) = delete;
  ~TempOutput();

  const std::filesystem::path& Path() const { return temp_; }
  // Renames the file to the target; throws FileError (and removes it) on failure.
  void Commit();
  void Discard() noexcept;

 private:
  std::filesystem::path target_;
  std::filesystem::path temp_;
  bool done_ = false;
};

}  // namespace kvarbon
