// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/core/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "app/core/file_error.h"
#include "app/core/file_io.h"

namespace kvarbon {

MappedFile::MappedFile(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowFileError(FileAction::kRead, path, errno);
  struct stat status {};
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
    void* mapping = ::mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapping != MAP_FAILED) {
      mapping_ = mapping;
      mappedSize_ = static_cast<std::size_t>(status.st_size);
      view_ = ByteView(static_cast<const std::byte*>(mapping), mappedSize_);
    }
  }
  ::close(fd);
  if (mapping_ == nullptr) {
    copy_ = ReadWholeFile(path);
    view_ = copy_;
  }
}

MappedFile::~MappedFile() {
  if (mapping_ != nullptr) ::munmap(mapping_, mappedSize_);
}

}  // namespace kvarbon
