// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/core/bus_error_guard.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>

namespace kvarbon {
namespace {

// One guarded range. A signal handler can reach nothing but globals, so the
// ranges live in a small fixed table of lock-free atomics. Guards are added
// and removed under `registering`; the handler never locks. `sequence` is odd
// while a slot is being written, so the handler skips a slot that changes
// under it: a range being added or removed is one no read is using.
struct Slot {
  std::atomic<std::uint64_t> sequence{0};
  std::atomic<std::uintptr_t> begin{0};
  std::atomic<std::uintptr_t> end{0};
  std::atomic<bool> tripped{false};
  bool used = false;  // only under `registering`

  void Set(std::uintptr_t from, std::uintptr_t to) {
    const std::uint64_t at = sequence.load(std::memory_order_relaxed);
    sequence.store(at + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    begin.store(from, std::memory_order_relaxed);
    end.store(to, std::memory_order_relaxed);
    tripped.store(false, std::memory_order_relaxed);
    sequence.store(at + 2, std::memory_order_release);
  }

  // Called from the signal handler.
  bool Covers(std::uintptr_t address) const {
    const std::uint64_t before = sequence.load(std::memory_order_acquire);
    if (before % 2 != 0) return false;
    const std::uintptr_t from = begin.load(std::memory_order_relaxed);
    const std::uintptr_t to = end.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    return sequence.load(std::memory_order_relaxed) == before && address >= from && address < to;
  }
};

static_assert(std::atomic<std::uint64_t>::is_always_lock_free && std::atomic<std::uintptr_t>::is_always_lock_free &&
                  std::atomic<bool>::is_always_lock_free,
              "the signal handler reads the table without locks");

constexpr std::size_t kMostRanges = 16;
std::array<Slot, kMostRanges> slots;
std::mutex registering;
// Set once, before the handler is installed.
struct sigaction previousAction {};
std::uintptr_t pageSize = 0;

void OnBusError(int signal, siginfo_t* info, void* context) {
  const int savedErrno = errno;
  if (info != nullptr && info->si_code == BUS_ADRERR) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& slot : slots) {
      if (!slot.Covers(address)) continue;
      // Private zeros over the vanished page and the rest of the range (a file
      // cut short has lost everything after it too), in one mapping rather
      // than one per page; the read is retried on return.
      const std::uintptr_t page = address & ~(pageSize - 1);
      const std::uintptr_t end = (slot.end.load(std::memory_order_relaxed) + pageSize - 1) & ~(pageSize - 1);
      if (::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1,
                 0) == MAP_FAILED) {
        break;
      }
      slot.tripped.store(true, std::memory_order_relaxed);
      errno = savedErrno;
      return;
    }
  }
  if ((previousAction.sa_flags & SA_SIGINFO) != 0) {
    previousAction.sa_sigaction(signal, info, context);
  } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
    previousAction.sa_handler(signal);
  } else {
    // As without this handler: the signal, still blocked here, ends the program on return.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
  }
  errno = savedErrno;
}

// Called under `registering`.
void InstallHandler() {
  static bool installed = false;
  if (installed) return;
  pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  struct sigaction action {};
  action.sa_sigaction = OnBusError;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  if (::sigaction(SIGBUS, &action, &previousAction) != 0) {
    throw std::runtime_error("cannot handle SIGBUS: " + std::to_string(errno));
  }
  installed = true;
}

}  // namespace

BusErrorGuard::BusErrorGuard(const void* begin, std::size_t size) {
  const std::scoped_lock lock(registering);
  InstallHandler();
  for (slot_ = 0; slot_ < slots.size(); ++slot_) {
    if (slots[slot_].used) continue;
    slots[slot_].used = true;
    const auto from = reinterpret_cast<std::uintptr_t>(begin);
    slots[slot_].Set(from, from + size);
    return;
  }
  throw std::runtime_error("more than " + std::to_string(kMostRanges) + " file mappings are guarded at once");
}

BusErrorGuard::~BusErrorGuard() {
  const std::scoped_lock lock(registering);
  slots[slot_].Set(0, 0);
  slots[slot_].used = false;
}

bool BusErrorGuard::Tripped() const { return slots[slot_].tripped.load(std::memory_order_relaxed); }

}  // namespace kvarbon
