// SPDX-License-Identifier: GPL-3.0-or-later
// Jobs run on worker threads but are prepared and taken strictly in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/core/in_order_jobs.h"

namespace kvarbon {
namespace {

// Events one job can wait for and another can signal, so that jobs are made
// to finish out of order rather than hoped to.
class Events {
 public:
  void Signal(int event) {
    {
      const std::lock_guard lock(mutex_);
      happened_.push_back(event);
    }
    changed_.notify_all();
  }
  void WaitFor(int event) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return std::find(happened_.begin(), happened_.end(), event) != happened_.end(); });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<int> happened_;
};

TEST(RunInOrder, TakesEveryResultInOrderOnTheCallingThreadWhateverOrderTheyFinishIn) {
  const std::thread::id caller = std::this_thread::get_id();
  Events events;
  std::vector<int> prepared, taken;
  std::atomic<int> onCaller{0};
  RunInOrder(
      9, 2,
      [&](int i) {
        if (std::this_thread::get_id() == caller) ++onCaller;
        prepared.push_back(i);
        return i;
      },
      [&](int i) {
        if (std::this_thread::get_id() == caller) ++onCaller;
        if (i == 0) events.WaitFor(1);  // item 1 finishes first
        if (i == 1) events.Signal(1);
        return std::to_string(i * 10);
      },
      [&](int i, std::string result) {
        if (std::this_thread::get_id() == caller) ++onCaller;
        EXPECT_EQ(result, std::to_string(i * 10));
        taken.push_back(i);
      });
  const std::vector<int> inOrder{0, 1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(prepared, inOrder);
  EXPECT_EQ(taken, inOrder);
  EXPECT_EQ(onCaller.load(), 18);  // prepare and take only; the work ran elsewhere
}

TEST(RunInOrder, NeverRunsMoreJobsAtOnceThanAsked) {
  for (const std::size_t threads : {1u, 2u, 3u}) {
    std::atomic<int> now{0}, most{0};
    RunInOrder(
        12, threads, [](int i) { return i; },
        [&](int i) {
          const int running = ++now;
          int seen = most.load();
          while (running > seen && !most.compare_exchange_weak(seen, running)) {
          }
          std::this_thread::yield();
          --now;
          return i;
        },
        [](int, int) {});
    EXPECT_LE(most.load(), static_cast<int>(threads));
  }
}

TEST(RunInOrder, AFailureIsReportedAfterEveryEarlierItemAndNothingLaterIsTaken) {
  enum class Where { kPrepare, kWork };
  for (const Where where : {Where::kPrepare, Where::kWork}) {
    Events events;
    std::vector<int> taken;
    std::vector<int> prepared;
    // Item 5 fails, and later ones would too; item 4 finishes only after item 5 has failed.
    try {
      RunInOrder(
          10, 3,
          [&](int i) {
            prepared.push_back(i);
            if (where == Where::kPrepare && i >= 5) {
              events.Signal(5);
              throw std::runtime_error("prepare " + std::to_string(i));
            }
            return i;
          },
          [&](int i) {
            if (i == 4) events.WaitFor(5);
            if (where == Where::kWork && i >= 5) {
              events.Signal(5);
              throw std::runtime_error("work " + std::to_string(i));
            }
            return i;
          },
          [&](int i, int) { taken.push_back(i); });
      ADD_FAILURE() << "no failure reported";
    } catch (const std::runtime_error& failure) {
      EXPECT_EQ(std::string(failure.what()), where == Where::kPrepare ? "prepare 5" : "work 5");
    }
    EXPECT_EQ(taken, (std::vector<int>{0, 1, 2, 3, 4}));
    // A failed preparation stops the preparing at once.
    if (where == Where::kPrepare) {
      EXPECT_EQ(prepared.back(), 5);
    }
  }
}

TEST(RunInOrder, AFailingTakeStopsTheRunAndWaitsForTheJobsStillRunning) {
  std::atomic<int> started{0}, finished{0};
  std::vector<int> taken;
  EXPECT_THROW(RunInOrder(
                   40, 3, [](int i) { return i; },
                   [&](int i) {
                     ++started;
                     std::this_thread::yield();
                     ++finished;
                     return i;
                   },
                   [&](int i, int) {
                     if (i == 2) throw std::logic_error("take");
                     taken.push_back(i);
                   }),
               std::logic_error);
  EXPECT_EQ(taken, (std::vector<int>{0, 1}));
  // Nothing is left running, and not every item was started.
  EXPECT_EQ(finished.load(), started.load());
  EXPECT_LT(started.load(), 40);
}

TEST(RunInOrder, WithoutWorkersEveryStepRunsOnTheCallingThreadOneItemAtATime) {
  const std::thread::id caller = std::this_thread::get_id();
  std::vector<std::string> steps;
  EXPECT_THROW(RunInOrder(
                   5, 0,
                   [&](int i) {
                     steps.push_back("prepare " + std::to_string(i));
                     return i;
                   },
                   [&](int i) {
                     EXPECT_EQ(std::this_thread::get_id(), caller);
                     if (i == 2) throw std::runtime_error("item 2");
                     steps.push_back("work " + std::to_string(i));
                     return i * 10;
                   },
                   [&](int i, int result) {
                     steps.push_back("take " + std::to_string(i) + "=" + std::to_string(result));
                   }),
               std::runtime_error);
  EXPECT_EQ(steps, (std::vector<std::string>{"prepare 0", "work 0", "take 0=0", "prepare 1", "work 1", "take 1=10",
                                             "prepare 2"}));
}

TEST(RunInOrder, NoItemsRunsNothing) {
  int calls = 0;
  RunInOrder(
      0, 2, [&](int i) { return ++calls + i; }, [&](int i) { return ++calls + i; },
      [&](int, int) { ++calls; });
  RunInOrder(
      -1, 2, [&](int i) { return ++calls + i; }, [&](int i) { return ++calls + i; },
      [&](int, int) { ++calls; });
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace kvarbon
