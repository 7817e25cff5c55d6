#include "app/core/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <string>

#include "app/core/file_error.h"

namespace kvarbon {

namespace {

// Owns one file descriptor.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports the close's own failure (a delayed write error).
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

constexpr FileAction kReadAction = FileAction::kRead;
constexpr FileAction kWriteAction = FileAction::kWrite;

// Bytes handed to the kernel per write call. Each call fills new page-cache
// pages; the kernel sizes them by the call's length, and one call for a whole
// large file asks for the largest blocks of memory, which are the ones a
// virtual machine's host may have taken back and must fault in again. Calls of
// this size, as cat makes them, get recently used memory instead.
constexpr std::size_t kWriteSlice = std::size_t{128} << 10;

void WriteAll(int fd, const std::vector<ByteView>& pieces, const std::filesystem::path& shownPath) {
  // Gathered writes of up to kWriteSlice bytes and IOV_MAX pieces each,
  // resumed after partial writes.
  std::size_t piece = 0;
  std::size_t offsetInPiece = 0;
  std::vector<iovec> batch;
  while (piece < pieces.size()) {
    if (pieces[piece].size() == offsetInPiece) {
      ++piece;
      offsetInPiece = 0;
      continue;
    }
    batch.clear();
    std::size_t batchBytes = 0;
    for (std::size_t i = piece; i < pieces.size() && batch.size() < IOV_MAX && batchBytes < kWriteSlice; ++i) {
      const std::size_t skip = (i == piece) ? offsetInPiece : 0;
      const std::size_t length = std::min(pieces[i].size() - skip, kWriteSlice - batchBytes);
      if (length == 0) continue;
      batch.push_back({const_cast<std::byte*>(pieces[i].data() + skip), length});
      batchBytes += length;
    }
    const ssize_t written = ::writev(fd, batch.data(), static_cast<int>(batch.size()));
    if (written < 0) {
      if (errno == EINTR) continue;
      ThrowFileError(kWriteAction, shownPath, errno);
    }
    if (written == 0) ThrowFileError(kWriteAction, shownPath, ENOSPC);
    auto remaining = static_cast<std::size_t>(written);
    while (remaining > 0 && piece < pieces.size()) {
      const std::size_t left = pieces[piece].size() - offsetInPiece;
      const std::size_t step = std::min(left, remaining);
      offsetInPiece += step;
      remaining -= step;
      if (offsetInPiece == pieces[piece].size()) {
        ++piece;
        offsetInPiece = 0;
      }
    }
  }
}

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

std::filesystem::path TemporaryPathBeside(const std::filesystem::path& path) {
  static std::atomic<unsigned> counter{0};
  const std::string name = "." + path.filename().native() + ".tmp-" + std::to_string(::getpid()) +
                           "-" + std::to_string(counter++);
  return path.parent_path() / name;
}

}  // namespace

std::uint64_t FileLength(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) ThrowFileError(kReadAction, path, errno);
  if (S_ISDIR(info.st_mode)) ThrowFileError(kReadAction, path, EISDIR);
  if (!S_ISREG(info.st_mode)) throw FileError(kReadAction, path, FileFault::kNotRegular);
  return static_cast<std::uint64_t>(info.st_size);
}

Bytes ReadWholeFile(const std::filesystem::path& path, std::size_t spareCapacity) {
  const std::uint64_t length = FileLength(path);
  // Non-blocking, so a file replaced by a FIFO after the length query cannot hang us.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) ThrowFileError(kReadAction, path, errno);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) ThrowFileError(kReadAction, path, errno);
  if (!S_ISREG(info.st_mode)) throw FileError(kReadAction, path, FileFault::kNotRegular);

  Bytes bytes;
  bytes.reserve(length + spareCapacity);
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

void WriteWholeFile(const std::filesystem::path& path, ByteView bytes) {
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (file.get() < 0) ThrowFileError(kWriteAction, path, errno);
  WriteAll(file.get(), {bytes}, path);
  if (file.Close() != 0) ThrowFileError(kWriteAction, path, errno);
}

void WriteFileAtomically(const std::filesystem::path& path, const std::vector<ByteView>& pieces) {
  std::filesystem::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = TemporaryPathBeside(path);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) ThrowFileError(kWriteAction, path, errno);
  }
  if (fd < 0) ThrowFileError(kWriteAction, path, EEXIST);
  FileDescriptor file(fd);
  try {
    // No fsync: forcing a large container to the disk before the rename would
    // cost several times the write itself. The rename still keeps a partial
    // file from ever standing under `path`; only a power failure before the
    // kernel has written the pages back (about half a minute) can lose it.
    WriteAll(file.get(), pieces, path);
    if (file.Close() != 0) ThrowFileError(kWriteAction, path, errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0) ThrowFileError(kWriteAction, path, errno);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
}

void RemoveFileIgnoringErrors(const std::filesystem::path& path) noexcept {
  ::unlink(path.c_str());
}

}  // namespace kvarbon
