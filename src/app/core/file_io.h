#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "app/core/bytes.h"

namespace kvarbon {

// Length of a regular file in bytes, asked of the file system by name.
// Throws FileError (also for a directory, a FIFO or any other non-regular file).
std::uint64_t FileLength(const std::filesystem::path& path);

// Reads a regular file whole: its length is taken first, then exactly that many
// bytes are read from offset 0. Throws FileError if the file cannot be opened or
// read, or if it turns out shorter than its length. `spareCapacity` bytes are
// reserved beyond the end, so a caller can append without reallocating.
Bytes ReadWholeFile(const std::filesystem::path& path, std::size_t spareCapacity = 0);

// Creates (or truncates) `path` and writes `bytes` into it.
void WriteWholeFile(const std::filesystem::path& path, ByteView bytes);

// Writes the pieces, in order, as the whole content of `path`. The bytes go to a
// temporary file beside `path` that is renamed over it only once complete, so
// `path` never holds a partial file. The data is not forced to the disk (no
// fsync): it gets there with the kernel's ordinary writeback. On failure the
// temporary file is removed and a FileError naming the failing path is thrown.
void WriteFileAtomically(const std::filesystem::path& path, const std::vector<ByteView>& pieces);

// Deletes a file; every failure (including a missing file) is ignored.
void RemoveFileIgnoringErrors(const std::filesystem::path& path) noexcept;

}  // namespace kvarbon
