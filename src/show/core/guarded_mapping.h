// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <mutex>
#include <thread>

#include "app/core/bytes.h"
#include "show/core/bus_error_guard.h"

namespace kvarbon {

// An open file mapped read-only for one pass over its bytes, such as reading a
// container's structure, which wants them all in one view.
// - Resident memory stays small whatever the file's size: the pages of a
//   private file mapping that was never written can be dropped at any time and
//   come back from the page cache when read again, so a thread drops them all
//   every few milliseconds while the mapping lives. What stays resident is
//   about what was read since the last drop. A thread needs no hook in the
//   reader, whose passes each cover a payload of any size in one call.
// - A file cut short meanwhile does not end the program: reads past its new
//   end see zeros (BusErrorGuard) and Changed() says so.
// - A file renamed over the path changes nothing: the open file is mapped.
class GuardedMapping {
 public:
  // How often the resident pages are dropped.
  static constexpr std::chrono::milliseconds kTrimEvery{4};

  // Maps the first `size` bytes of the open file `descriptor`. Throws FileError
  // naming `path`.
  GuardedMapping(int descriptor, std::size_t size, const std::filesystem::path& path);
  GuardedMapping(const GuardedMapping&) = delete;
  GuardedMapping& operator=(const GuardedMapping&) = delete;

  ByteView Bytes() const { return {static_cast<const std::byte*>(mapped_.address), mapped_.size}; }
  // Whether a read found part of the file gone (and saw zeros there).
  bool Changed() const { return guard_.Tripped(); }

 private:
  struct Mapped {
    void* address = nullptr;
    std::size_t size = 0;
    Mapped(int descriptor, std::size_t size, const std::filesystem::path& path);
    Mapped(const Mapped&) = delete;
    Mapped& operator=(const Mapped&) = delete;
    ~Mapped();
  };

  void TrimUntilStopped(const std::stop_token& stop);

  // Destroyed in reverse: the trimmer stops, then the guard, then the mapping.
  Mapped mapped_;
  BusErrorGuard guard_;
  std::mutex trimming_;
  std::condition_variable_any wake_;
  std::jthread trimmer_;
};

}  // namespace kvarbon
