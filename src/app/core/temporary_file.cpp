// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/core/temporary_file.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <string>
#include <string_view>
#include <system_error>

#include "app/core/file_error.h"
#include "app/core/file_io.h"

namespace kvarbon {

namespace {

std::string NamePrefix(const std::filesystem::path& target) { return "." + target.filename().native() + ".tmp-"; }

// The process id in a name made by TemporaryFile for `prefix`, or 0.
pid_t ProcessOf(std::string_view name, std::string_view prefix) {
  if (name.substr(0, prefix.size()) != prefix) return 0;
  name.remove_prefix(prefix.size());
  pid_t pid = 0;
  const auto [pidEnd, pidError] = std::from_chars(name.data(), name.data() + name.size(), pid);
  if (pidError != std::errc() || pid <= 0 || pidEnd == name.data() + name.size() || *pidEnd != '-') return 0;
  unsigned counter = 0;
  const auto [end, error] = std::from_chars(pidEnd + 1, name.data() + name.size(), counter);
  if (error != std::errc() || end != name.data() + name.size() || end == pidEnd + 1) return 0;
  return pid;
}

// fsync; a file system that offers no syncing (EINVAL) has nothing to force.
bool ForceToDisk(int fd) { return ::fsync(fd) == 0 || errno == EINVAL; }

// Forces the entry of `target` in its folder to the disk. Throws FileError naming `target`.
void ForceFolderEntry(const std::filesystem::path& target) {
  const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
  const FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() < 0 || !ForceToDisk(directory.get())) ThrowFileError(kWriteAction, target, errno);
}

}  // namespace

TemporaryFile::TemporaryFile(std::filesystem::path target) : target_(std::move(target)) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100 && file_.get() < 0; ++attempt) {
    path_ = target_.parent_path() / (NamePrefix(target_) + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    file_ = FileDescriptor(::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file_.get() < 0 && errno != EEXIST) ThrowFileError(kWriteAction, target_, errno);
  }
  if (file_.get() < 0) ThrowFileError(kWriteAction, target_, EEXIST);
}

TemporaryFile::~TemporaryFile() { Discard(); }

void TemporaryFile::Discard() noexcept {
  if (committed_) return;
  committed_ = true;  // gone either way: never removed twice, never committed
  ::unlink(path_.c_str());
}

void TemporaryFile::Commit() {
  if (!ForceToDisk(file_.get())) ThrowFileError(kWriteAction, target_, errno);
  if (file_.Close() != 0) ThrowFileError(kWriteAction, target_, errno);
  if (::rename(path_.c_str(), target_.c_str()) != 0) ThrowFileError(kWriteAction, target_, errno);
  committed_ = true;
  ForceFolderEntry(target_);
}

void RemoveStaleTemporaryFiles(const std::filesystem::path& target) noexcept {
  const std::string prefix = NamePrefix(target);
  std::error_code error;
  std::filesystem::directory_iterator it(target.parent_path().empty() ? "." : target.parent_path(), error);
  for (const std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
    const pid_t pid = ProcessOf(it->path().filename().native(), prefix);
    // Only a process that is gone: kill(pid, 0) fails with ESRCH for no other reason.
    if (pid > 0 && ::kill(pid, 0) == -1 && errno == ESRCH) ::unlink(it->path().c_str());
  }
}

}  // namespace kvarbon
