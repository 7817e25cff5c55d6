// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/core/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>

#include "app/core/file_descriptor.h"
#include "app/core/file_error.h"

namespace kvarbon {

namespace {

// Bytes handed to the kernel per write call. Each call fills new page-cache
// pages; the kernel sizes them by the call's length, and one call for a whole
// large file asks for the largest blocks of memory, which are the ones a
// virtual machine's host may have taken back and must fault in again. Calls of
// this size, as cat makes them, get recently used memory instead.
constexpr std::size_t kWriteSlice = std::size_t{128} << 10;

// Asks the kernel to back a large, still untouched buffer with memory in one
// call rather than with one page fault per page as it is first written. Only an
// optimisation: kernels without it (before 5.14), or a refusal, leave the pages
// to be faulted in as usual.
void PrefaultForWriting(std::byte* data, std::size_t size) {
#ifdef MADV_POPULATE_WRITE
  constexpr std::size_t kWorthIt = std::size_t{1} << 20;
  if (size < kWorthIt) return;
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) / page * page;
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
  (void)data;
  (void)size;
#endif
}

}  // namespace

std::uint64_t FileLength(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) ThrowFileError(kReadAction, path, errno);
  if (S_ISDIR(info.st_mode)) ThrowFileError(kReadAction, path, EISDIR);
  if (!S_ISREG(info.st_mode)) throw FileError(kReadAction, path, FileFault::kNotRegular);
  return static_cast<std::uint64_t>(info.st_size);
}

OpenedFile OpenForReading(const std::filesystem::path& path) {
  const std::uint64_t length = FileLength(path);
  // Non-blocking, so a file replaced by a FIFO after the length query cannot hang us.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) ThrowFileError(kReadAction, path, errno);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) ThrowFileError(kReadAction, path, errno);
  if (!S_ISREG(info.st_mode)) throw FileError(kReadAction, path, FileFault::kNotRegular);
  return {std::move(file), length};
}

Bytes ReadWholeFile(const std::filesystem::path& path) {
  const auto [file, length] = OpenForReading(path);
  Bytes bytes;
  bytes.reserve(length);
  PrefaultForWriting(bytes.data(), length);
  bytes.resize(length);
  std::uint64_t done = 0;
  while (done < length) {
    const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, 1u << 30));
    const ssize_t got = ::read(file.get(), bytes.data() + done, chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowFileError(kReadAction, path, errno);
    }
    if (got == 0) throw FileError(kReadAction, path, FileFault::kShrank);
    done += static_cast<std::uint64_t>(got);
  }
  return bytes;
}

Bytes ReadAt(int fd, std::uint64_t offset, std::size_t size, const std::filesystem::path& shownPath) {
  Bytes bytes(size);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(fd, bytes.data() + done, std::min<std::size_t>(size - done, 1u << 30),
                                static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowFileError(kReadAction, shownPath, errno);
    }
    if (got == 0) throw FileError(kReadAction, shownPath, FileFault::kShrank);
    done += static_cast<std::size_t>(got);
  }
  return bytes;
}

void WriteAt(int fd, std::uint64_t offset, ByteView bytes, const std::filesystem::path& shownPath) {
  while (!bytes.empty()) {
    const ssize_t written = ::pwrite(fd, bytes.data(), std::min<std::size_t>(bytes.size(), kWriteSlice),
                                     static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      ThrowFileError(kWriteAction, shownPath, errno);
    }
    if (written == 0) ThrowFileError(kWriteAction, shownPath, ENOSPC);
    bytes = bytes.subspan(static_cast<std::size_t>(written));
    offset += static_cast<std::uint64_t>(written);
  }
}

void WriteWholeFile(const std::filesystem::path& path, ByteView bytes) {
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (file.get() < 0) ThrowFileError(kWriteAction, path, errno);
  WriteAt(file.get(), 0, bytes, path);
  if (file.Close() != 0) ThrowFileError(kWriteAction, path, errno);
}

void RemoveFileIgnoringErrors(const std::filesystem::path& path) noexcept {
  ::unlink(path.c_str());
}

}  // namespace kvarbon
