// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "app/core/file_descriptor.h"
#include "show/core/zel_format.h"

namespace kvarbon {

// Receives one line about a media file whose bytes a player may misread.
using MediaWarning = std::function<void(const std::string&)>;
// Writes the line on stderr.
void WarnOnStderr(const std::string& line);

// Reads media files a second time, on a thread of its own, and names through
// `warn` each one whose bytes would mislead a reader that splits the container
// by searching: the copy into the container runs on without waiting for it.
// Lines come out in the order the files were handed over, on the thread that
// calls Report or Finish. Without `warn` nothing is read.
class MediaScan {
 public:
  explicit MediaScan(MediaWarning warn);
  MediaScan(const MediaScan&) = delete;
  MediaScan& operator=(const MediaScan&) = delete;
  // Stops; files not scanned yet go unreported.
  ~MediaScan();

  // Queues the first `length` bytes of `file` as a payload of `section`. Waits
  // while a few files are queued already, so few descriptors stay open.
  void Add(std::shared_ptr<const FileDescriptor> file, std::uint64_t length, std::filesystem::path path,
           MediaSection section);
  // Passes on the lines of the files scanned so far.
  void Report();
  // Waits until every file handed over is scanned, then reports.
  void Finish();

 private:
  struct Job {
    std::shared_ptr<const FileDescriptor> file;
    std::uint64_t length;
    std::filesystem::path path;
    MediaSection section;
  };
  void Serve();
  std::string Scan(const Job& job);

  MediaWarning warn_;
  std::unique_ptr<std::byte[]> buffer_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> queue_;
  std::deque<std::string> lines_;  // one per scanned file, empty when it is clean
  bool busy_ = false;              // the thread holds a job taken from the queue
  bool stopping_ = false;
  std::thread thread_;  // last: started once everything it uses exists
};

}  // namespace kvarbon
