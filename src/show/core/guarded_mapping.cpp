// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/core/guarded_mapping.h"

#include <sys/mman.h>

#include <cerrno>

#include "app/core/file_error.h"

namespace kvarbon {

GuardedMapping::Mapped::Mapped(int descriptor, std::size_t bytes, const std::filesystem::path& path) : size(bytes) {
  if (size == 0) return;  // nothing to map (mmap refuses a length of 0)
  address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0);
  if (address == MAP_FAILED) {
    address = nullptr;
    ThrowFileError(FileAction::kRead, path, errno);
  }
}

GuardedMapping::Mapped::~Mapped() {
  if (address != nullptr) ::munmap(address, size);
}

GuardedMapping::GuardedMapping(int descriptor, std::size_t size, const std::filesystem::path& path)
    : mapped_(descriptor, size, path),
      guard_(mapped_.address, mapped_.size),
      trimmer_(size == 0 ? std::jthread()
                         : std::jthread([this](const std::stop_token& stop) { TrimUntilStopped(stop); })) {}

void GuardedMapping::TrimUntilStopped(const std::stop_token& stop) {
  std::unique_lock lock(trimming_);
  while (!wake_.wait_for(lock, stop, kTrimEvery, [&] { return stop.stop_requested(); })) {
    // Never fails on a mapping of ours; the pages are read again from the page cache.
    static_cast<void>(::madvise(mapped_.address, mapped_.size, MADV_DONTNEED));
  }
}

}  // namespace kvarbon
