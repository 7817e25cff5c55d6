// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/core/file_copy.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "app/core/file_error.h"
#include "app/core/file_io.h"

namespace kvarbon {

void FileCopier::Copy(CopyEnd from, CopyEnd to, std::uint64_t length) {
  std::uint64_t done = 0;
  if (mode_ == Mode::kKernelFirst) {
    // A refusal (another file system, a kernel without it), a failure or an
    // early end stops the kernel copy; the buffer copy then carries on from
    // there, and a real failure shows in it, named on the right side.
    while (done < length) {
      loff_t in = static_cast<loff_t>(from.offset + done);
      loff_t out = static_cast<loff_t>(to.offset + done);
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, std::uint64_t{1} << 30));
      const ssize_t copied = ::copy_file_range(from.fd, &in, to.fd, &out, want, 0);
      if (copied < 0 && errno == EINTR) continue;
      if (copied <= 0) break;
      done += static_cast<std::uint64_t>(copied);
    }
  }
  if (done < length && !buffer_) buffer_ = std::make_unique<std::byte[]>(kCopyChunk);
  while (done < length) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, kCopyChunk));
    const ssize_t got = ::pread(from.fd, buffer_.get(), want, static_cast<off_t>(from.offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowFileError(kReadAction, from.shownPath, errno);
    }
    if (got == 0) throw FileError(kReadAction, from.shownPath, FileFault::kShrank);
    WriteAt(to.fd, to.offset + done, {buffer_.get(), static_cast<std::size_t>(got)}, to.shownPath);
    done += static_cast<std::uint64_t>(got);
  }
}

}  // namespace kvarbon
