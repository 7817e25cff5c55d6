// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/temp_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "app/core/file_error.h"
#include "app/core/file_io.h"

namespace kvarbon {

TempOutput::TempOutput(std::filesystem::path target) : target_(std::move(target)) {
  // ".NAME.XXXXXX" in the target's directory, so the rename stays on one file system.
  const std::filesystem::path pattern = target_.parent_path() / ("." + target_.filename().native() + ".XXXXXX");
  std::vector<char> name(pattern.native().begin(), pattern.native().end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) ThrowFileError(FileAction::kWrite, target_, errno);
  temp_ = std::filesystem::path(std::string(name.data()));
  // mkstemp gives 0600; the finished file gets the usual permissions.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);
}

TempOutput::~TempOutput() { Discard(); }

void TempOutput::Commit() {
  if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
    const int error = errno;
    Discard();
    ThrowFileError(FileAction::kWrite, target_, error);
  }
  done_ = true;
}

void TempOutput::Discard() noexcept {
  if (done_) return;
  done_ = true;
  RemoveFileIgnoringErrors(temp_);
}

}  // namespace kvarbon
