// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "app/core/bytes.h"

namespace kvarbon::testing {

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& relative) const { return path_ / relative; }

 private:
  std::filesystem::path path_;
};

// Writes a file (creating its parent folders).
void WriteFile(const std::filesystem::path& path, const Bytes& bytes);
void WriteFile(const std::filesystem::path& path, std::string_view bytes);
// Reads a whole file (for expectations).
Bytes ReadFile(const std::filesystem::path& path);
// Bytes from a list of values, for expectations written out by hand.
Bytes HexBytes(std::initializer_list<unsigned> values);

}  // namespace kvarbon::testing
