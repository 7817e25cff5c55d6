// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/core/show_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "app/core/file_error.h"
#include "app/core/file_io.h"

namespace kvarbon {

Bytes MemoryPayloads::Read(const MediaPayload& payload) const {
  const ByteView bytes = PayloadBytes(container_, payload);
  return {bytes.begin(), bytes.end()};
}

namespace {

// The part [from, from + size) of a payload of `total` bytes that exists.
std::size_t PartSize(std::size_t total, std::size_t from, std::size_t size) {
  return from >= total ? 0 : std::min(size, total - from);
}

}  // namespace

Bytes MemoryPayloads::ReadPart(const MediaPayload& payload, std::size_t from, std::size_t size) const {
  const ByteView bytes = PayloadBytes(container_, payload);
  const ByteView part = bytes.subspan(std::min(from, bytes.size()), PartSize(bytes.size(), from, size));
  return {part.begin(), part.end()};
}

ShowChanged::ShowChanged(const std::filesystem::path& file)
    : std::runtime_error(file.native() + ": the file changed while it was being read") {}

ShowFile::ShowFile(const std::filesystem::path& path) : path_(path) {
  file_ = OpenForReading(path).file;
  struct stat status {};
  if (::fstat(file_.get(), &status) != 0) ThrowFileError(FileAction::kRead, path, errno);
  size_ = status.st_size;
  modified_ = status.st_mtim;
}

ContainerContents ShowFile::ReadStructure() const {
  const GuardedMapping mapping = Map();
  ContainerContents contents = ReadContainer(mapping.Bytes());
  CheckUnchanged(mapping);
  return contents;
}

void ShowFile::CheckUnchanged(const GuardedMapping& mapping) const {
  if (mapping.Changed()) throw ShowChanged(path_);
  CheckUnchanged();
}

void ShowFile::CheckUnchanged() const {
  struct stat status {};
  if (::fstat(file_.get(), &status) != 0) ThrowFileError(FileAction::kRead, path_, errno);
  if (status.st_size != size_ || status.st_mtim.tv_sec != modified_.tv_sec ||
      status.st_mtim.tv_nsec != modified_.tv_nsec) {
    throw ShowChanged(path_);
  }
}

Bytes ShowFile::Read(const MediaPayload& payload) const { return ReadAt(payload.offset, payload.size); }

Bytes ShowFile::ReadPart(const MediaPayload& payload, std::size_t from, std::size_t size) const {
  return ReadAt(payload.offset + std::min(from, payload.size), PartSize(payload.size, from, size));
}

Bytes ShowFile::ReadAt(std::size_t offset, std::size_t size) const {
  if (offset > static_cast<std::size_t>(size_) || size > static_cast<std::size_t>(size_) - offset) {
    throw ShowChanged(path_);
  }
  Bytes bytes(size);
  std::size_t done = 0;
  while (done < size) {
    constexpr std::size_t kMostPerCall = std::size_t{1} << 30;
    const ssize_t got = ::pread(file_.get(), bytes.data() + done, std::min(size - done, kMostPerCall),
                                static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ThrowFileError(FileAction::kRead, path_, errno);
    if (got == 0) throw ShowChanged(path_);
    done += static_cast<std::size_t>(got);
  }
  // Bytes read in full may still be new ones: the file must be as it was opened.
  CheckUnchanged();
  return bytes;
}

}  // namespace kvarbon
