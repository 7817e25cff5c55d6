// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace kvarbon {

// Bytes per call where copied bytes pass through this process.
inline constexpr std::size_t kCopyChunk = std::size_t{128} << 10;

// One side of a copy: an open file, an offset in it, and the path a failure names.
struct CopyEnd {
  int fd;
  std::uint64_t offset;
  const std::filesystem::path& shownPath;
};

// Copies byte ranges between open files: inside the kernel (copy_file_range)
// where it will, else through one buffer of kCopyChunk bytes, made on first use
// and reused by every later copy.
class FileCopier {
 public:
  enum class Mode { kKernelFirst, kBufferOnly };
  explicit FileCopier(Mode mode = Mode::kKernelFirst) : mode_(mode) {}

  // Copies `length` bytes. A failing read, or a source that ends early, throws a
  // FileError naming from.shownPath; a failing write names to.shownPath.
  void Copy(CopyEnd from, CopyEnd to, std::uint64_t length);

 private:
  Mode mode_;
  std::unique_ptr<std::byte[]> buffer_;
};

}  // namespace kvarbon
