#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <exception>
#include <future>
#include <thread>
#include <utility>

namespace kvarbon {

// How many decoding threads the slide loading uses: every core, at least two
// (so reading the next file overlaps a decode even on one core), at most four
// (each job in flight holds a whole file).
inline std::size_t SlideDecodeThreads() {
  return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 2, 4);
}

// Runs items 0 to count - 1 through three steps: `prepare(i)` on the calling
// thread in order (reading a file), `work(prepared)` on its own thread with at
// most `threads` of them running at once (decoding), and `take(i, result)` back
// on the calling thread, again strictly in order (handing the result over).
// The calling thread waits while the workers run; it processes no events.
//
// A failure in any step ends the run as a one-by-one loop would: every item
// before the failing one is taken first, then the failure is rethrown, and no
// later item is taken. Work still running is waited for before returning.
template <typename Prepare, typename Work, typename Take>
void RunInOrder(int count, std::size_t threads, Prepare&& prepare, Work&& work, Take&& take) {
  using Prepared = decltype(prepare(0));
  using Result = decltype(work(std::declval<Prepared>()));
  threads = std::max<std::size_t>(threads, 1);

  // Oldest first. Futures from std::async wait for their thread when destroyed,
  // so leaving by an exception never abandons a running job.
  std::deque<std::future<Result>> running;
  int taken = 0;
  const auto takeOldest = [&] {
    std::future<Result> oldest = std::move(running.front());
    running.pop_front();
    take(taken++, oldest.get());
  };

  for (int i = 0; i < count; ++i) {
    while (running.size() >= threads) takeOldest();
    try {
      running.push_back(std::async(std::launch::async, work, prepare(i)));
    } catch (...) {
      // Reported in its place: after the items already under way.
      std::promise<Result> failed;
      failed.set_exception(std::current_exception());
      running.push_back(failed.get_future());
      break;
    }
  }
  while (!running.empty()) takeOldest();
}

}  // namespace kvarbon
