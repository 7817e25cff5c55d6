// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

namespace kvarbon {

// Keeps reads of a file mapping alive when the file is cut short meanwhile.
// Such a read would raise SIGBUS and end the program; while a guard covers
// the range, the process's SIGBUS handler instead puts a page of zeros where
// the file's page was, notes that the guard tripped, and lets the read go on.
// It does not jump anywhere, so it is safe on any thread. A SIGBUS outside
// every guarded range goes to the handler that was there before, or ends the
// program as it would have.
class BusErrorGuard {
 public:
  // Guards [begin, begin + size), which must be mapped read-only for as long as
  // the guard lives. Throws std::runtime_error when too many ranges are guarded.
  BusErrorGuard(const void* begin, std::size_t size);
  ~BusErrorGuard();
  BusErrorGuard(const BusErrorGuard&) = delete;
  BusErrorGuard& operator=(const BusErrorGuard&) = delete;

  // Whether a read in the range found the file gone there and was given zeros.
  bool Tripped() const;

 private:
  std::size_t slot_;
};

}  // namespace kvarbon
