// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kvarbon {

// Patterns of the two lists.
inline constexpr std::string_view kSlidePattern = "*.bmp;*.jpg;*.gif";
inline constexpr std::string_view kSoundPattern = "*.wav";

// The most entries a list may hold: counts are 16-bit signed values.
inline constexpr int kMaxListEntries = 32767;

// A directory listing filtered by a pattern, read by position.
//
// Entries are the bare file names (bytes, exactly as the file system has them)
// of the regular files whose names match one of the ";"-separated patterns,
// compared without regard to ASCII letter case. Names starting with "." are
// hidden. The order is by name as a person reads it: runs of digits compare by
// their numeric value ("2.jpg" before "10.jpg"), letters without regard to case,
// and exact byte order breaks any remaining tie. The entries are read once, when
// the directory is set, and never change afterwards.
class FileListSource {
 public:
  explicit FileListSource(std::string pattern);

  // Lists `directory`. Throws FileError if it cannot be listed and InputError
  // if more than kMaxListEntries files match.
  void SetDirectory(const std::filesystem::path& directory);

  const std::filesystem::path& Directory() const { return directory_; }
  const std::string& Pattern() const { return pattern_; }
  int Count() const { return static_cast<int>(entries_.size()); }
  // Entry text at `position`; throws std::out_of_range for a position that names no entry.
  const std::string& Entry(int position) const;
  // Directory / entry text.
  std::filesystem::path PathOf(int position) const;

 private:
  std::string pattern_;
  std::filesystem::path directory_;
  std::vector<std::string> entries_;
};

// Whether `name` matches one of the ";"-separated patterns ("*" any run, "?" one
// byte), ASCII letters compared without case.
bool MatchesPattern(std::string_view name, std::string_view patterns);

// The list order described above: true if `a` comes before `b`.
bool NameOrderLess(std::string_view a, std::string_view b);

// The names of the files of `directory` a list can hold, those `wanted` takes:
// regular files (links followed), not hidden, unsorted. Throws FileError if it
// cannot be listed.
std::vector<std::string> ListedNames(const std::filesystem::path& directory,
                                     const std::function<bool(std::string_view)>& wanted);

}  // namespace kvarbon
