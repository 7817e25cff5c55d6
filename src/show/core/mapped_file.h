// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

#include "app/core/bytes.h"

namespace kvarbon {

// A file's bytes mapped read-only into memory: the pages come from the file
// as they are read and can be dropped again, so a large show does not stay
// resident. A regular file that cannot be mapped (an empty one) is read whole;
// anything else (a pipe) is refused as not a regular file.
class MappedFile {
 public:
  // Throws FileError naming `path`.
  explicit MappedFile(const std::filesystem::path& path);
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  ByteView View() const { return view_; }

 private:
  void* mapping_ = nullptr;
  std::size_t mappedSize_ = 0;
  Bytes copy_;
  ByteView view_;
};

}  // namespace kvarbon
