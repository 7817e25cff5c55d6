// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>

#include "app/core/bytes.h"
#include "app/core/file_error.h"
#include "app/core/file_descriptor.h"

namespace kvarbon {

// The actions a FileError names.
inline constexpr FileAction kReadAction = FileAction::kRead;
inline constexpr FileAction kWriteAction = FileAction::kWrite;

// Length of a regular file in bytes, asked of the file system by name.
// Throws FileError (also for a directory, a FIFO or any other non-regular file).
std::uint64_t FileLength(const std::filesystem::path& path);

// A regular file opened for reading, with its length as asked by name just
// before it was opened.
struct OpenedFile {
  FileDescriptor file;
  std::uint64_t length = 0;
};
// Throws FileError (also for anything but a regular file).
OpenedFile OpenForReading(const std::filesystem::path& path);

// Reads a regular file whole: its length is taken first, then exactly that many
// bytes are read from offset 0. Throws FileError if the file cannot be opened or
// read, or if it turns out shorter than its length.
Bytes ReadWholeFile(const std::filesystem::path& path);

// Creates (or truncates) `path` and writes `bytes` into it.
void WriteWholeFile(const std::filesystem::path& path, ByteView bytes);

// Reads exactly `size` bytes of `fd` from `offset` with positioned reads; a
// failure names `shownPath`, and a file that ends sooner is FileFault::kShrank.
Bytes ReadAt(int fd, std::uint64_t offset, std::size_t size, const std::filesystem::path& shownPath);

// Writes `bytes` into `fd` at `offset`; a failure names `shownPath`.
void WriteAt(int fd, std::uint64_t offset, ByteView bytes, const std::filesystem::path& shownPath);

// Deletes a file; every failure (including a missing file) is ignored.
void RemoveFileIgnoringErrors(const std::filesystem::path& path) noexcept;

}  // namespace kvarbon
