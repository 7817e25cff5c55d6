// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

#include "app/core/file_descriptor.h"

namespace kvarbon {

// A new file beside `target`, named "." + target's name + ".tmp-<pid>-<n>", that
// becomes `target` by rename once it is complete and on the disk. Until then it
// is removed when dropped, so a failure leaves nothing behind; a process killed
// in between leaves it, for RemoveStaleTemporaryFiles to find. Failures throw
// FileError naming `target`.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::filesystem::path target);
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile();

  int fd() const { return file_.get(); }
  // Where the file lies until it is committed, for writers that open it by name.
  const std::filesystem::path& Path() const { return path_; }
  const std::filesystem::path& Target() const { return target_; }
  // Forces the file's bytes to the disk, closes it, renames it over the target
  // and forces the folder's new entry to the disk, so that once Commit returns
  // the target survives a power cut. The bytes may have been written through
  // another descriptor of the same file (a writer that opened Path()). A failure
  // to force the file leaves the target as it was; a failure to force the
  // folder leaves the new target in place, but not known to be on the disk.
  void Commit();
  // Removes the file now (before a process ends without running destructors).
  void Discard() noexcept;

 private:
  std::filesystem::path target_;
  std::filesystem::path path_;
  FileDescriptor file_;
  bool committed_ = false;
};

// Removes the temporary files of `target` (as TemporaryFile names them) whose
// process no longer exists. A live process's files are left alone, and every
// failure is ignored.
void RemoveStaleTemporaryFiles(const std::filesystem::path& target) noexcept;

}  // namespace kvarbon
