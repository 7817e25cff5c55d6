// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <future>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace kvarbon {

// How many worker threads reading and decoding media use: one per core, at
// least two (so one file's work overlaps another's even on one core), at most
// four (each item in flight holds a whole file).
inline std::size_t WorkerThreads() {
  return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 2, 4);
}

// Runs items 0 to count - 1 through three steps: `prepare(i)` on the calling
// thread in order, `work(prepared)` on one of `threads` worker threads (reading
// or decoding a file), and `take(i, result)` back on the calling thread, again
// strictly in order (handing the result over). At most two items per worker
// are prepared ahead of the one being taken, which bounds the memory they hold.
// The calling thread waits while the workers run; RunInOrder itself processes
// no events (`take` may).
//
// A failure in any step ends the run as a one-by-one loop would: every item
// before the failing one is taken first, then the failure is rethrown, and no
// later item is taken. Items not yet started are dropped; work already running
// is waited for before returning.
template <typename Prepare, typename Work, typename Take>
void RunInOrder(int count, std::size_t threads, Prepare&& prepare, Work&& work, Take&& take) {
  using Prepared = decltype(prepare(0));
  using Result = decltype(work(std::declval<Prepared>()));
  struct Job {
    Prepared input;
    std::promise<Result> result;
  };
  if (count <= 0) return;
  // With no worker thread (none asked for, or none could be started) every
  // step runs here, one item after another.
  const auto runHere = [&] {
    for (int i = 0; i < count; ++i) take(i, work(prepare(i)));
  };
  if (threads == 0) return runHere();

  // The workers live for the whole run: long-lived threads keep their share of
  // a busy machine, where a new thread per item would queue behind others.
  struct Pool {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> queue;
    bool closing = false;
    std::vector<std::thread> workers;

    ~Pool() {
      {
        const std::lock_guard lock(mutex);
        closing = true;
      }
      wake.notify_all();
      for (std::thread& worker : workers) worker.join();
    }
  } pool;
  const auto serve = [&pool, &work] {
    for (;;) {
      std::unique_lock lock(pool.mutex);
      pool.wake.wait(lock, [&pool] { return pool.closing || !pool.queue.empty(); });
      if (pool.closing) return;
      Job job = std::move(pool.queue.front());
      pool.queue.pop_front();
      lock.unlock();
      try {
        job.result.set_value(work(std::move(job.input)));
      } catch (...) {
        job.result.set_exception(std::current_exception());
      }
    }
  };
  for (std::size_t w = 0; w < threads; ++w) {
    try {
      pool.workers.emplace_back(serve);
    } catch (...) {
      break;  // fewer workers will do
    }
  }
  if (pool.workers.empty()) return runHere();

  // Results of the items handed out and not yet taken, oldest first.
  std::deque<std::future<Result>> pending;
  int taken = 0;
  const auto takeOldest = [&] {
    std::future<Result> oldest = std::move(pending.front());
    pending.pop_front();
    take(taken++, oldest.get());
  };
  const std::size_t ahead = 2 * threads;
  for (int i = 0; i < count; ++i) {
    while (pending.size() >= ahead) takeOldest();
    try {
      Job job{prepare(i), {}};
      pending.push_back(job.result.get_future());
      {
        const std::lock_guard lock(pool.mutex);
        pool.queue.push_back(std::move(job));
      }
      pool.wake.notify_one();
    } catch (...) {
      // Reported in its place: after the items already under way.
      std::promise<Result> failed;
      failed.set_exception(std::current_exception());
      pending.push_back(failed.get_future());
      break;
    }
  }
  while (!pending.empty()) takeOldest();
}

}  // namespace kvarbon
