// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <ctime>
#include <filesystem>
#include <stdexcept>

#include "app/core/bytes.h"
#include "app/core/file_descriptor.h"
#include "show/core/container_reader.h"
#include "show/core/guarded_mapping.h"

namespace kvarbon {

// Where the bytes of a container's payloads come from when they are needed.
class PayloadSource {
 public:
  virtual ~PayloadSource() = default;
  // A copy of `payload`'s bytes. Throws ShowChanged, FileError.
  virtual Bytes Read(const MediaPayload& payload) const = 0;
  // A copy of `payload`'s bytes [from, from + size), cut at its end. Throws as Read.
  virtual Bytes ReadPart(const MediaPayload& payload, std::size_t from, std::size_t size) const = 0;
};

// The payloads of a container held in memory.
class MemoryPayloads final : public PayloadSource {
 public:
  explicit MemoryPayloads(ByteView container) : container_(container) {}
  Bytes Read(const MediaPayload& payload) const override;
  Bytes ReadPart(const MediaPayload& payload, std::size_t from, std::size_t size) const override;

 private:
  ByteView container_;
};

// The show file became shorter, or was written to, after it was opened.
// what() is "FILE: the file changed while it was being read".
class ShowChanged : public std::runtime_error {
 public:
  explicit ShowChanged(const std::filesystem::path& file);
};

// A show file kept open while it is played or exported. Its payloads are read
// with positioned reads into memory of the caller's, so a file cut short or
// rewritten meanwhile is reported (ShowChanged) rather than fatal. Its
// structure is read once from a GuardedMapping, which bounds the resident
// memory of that pass and survives a file cut short. Each read is checked
// against the length and modification time the file had when it was opened.
// A file renamed over it changes nothing: the open file is still read.
class ShowFile final : public PayloadSource {
 public:
  // Throws FileError naming `path` (also for anything but a regular file).
  explicit ShowFile(const std::filesystem::path& path);

  const std::filesystem::path& Path() const { return path_; }
  // The container's structure. Throws ShowChanged, FileError.
  ContainerContents ReadStructure() const;
  // The whole file mapped, for a pass over all its bytes. Throws FileError.
  GuardedMapping Map() const { return {file_.get(), static_cast<std::size_t>(size_), path_}; }
  // Throws ShowChanged when a read of `mapping` found part of the file gone, or
  // the file is no longer as it was opened.
  void CheckUnchanged(const GuardedMapping& mapping) const;
  Bytes Read(const MediaPayload& payload) const override;
  Bytes ReadPart(const MediaPayload& payload, std::size_t from, std::size_t size) const override;

 private:
  void CheckUnchanged() const;
  Bytes ReadAt(std::size_t offset, std::size_t size) const;

  std::filesystem::path path_;
  FileDescriptor file_;
  off_t size_ = 0;
  timespec modified_{};
};

}  // namespace kvarbon
