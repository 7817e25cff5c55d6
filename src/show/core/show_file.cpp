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
  Bytes bytes;
  try {
    bytes = kvarbon::ReadAt(file_.get(), offset, size, path_);
  } catch (const FileError& error) {
    if (error.fault() == FileFault::kShrank) throw ShowChanged(path_);
    throw;
  }
  // Bytes read in full may still be new ones: the file must be as it was opened.
  CheckUnchanged();
  return bytes;
}

}  // namespace kvarbon
