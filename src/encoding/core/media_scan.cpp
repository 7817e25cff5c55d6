// SPDX-License-Identifier: GPL-3.0-or-later
#include "encoding/core/media_scan.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "app/core/file_copy.h"
#include "show/core/hazard_scan.h"

namespace kvarbon {

namespace {
// Files queued before Add waits.
constexpr std::size_t kQueued = 4;
}  // namespace

void WarnOnStderr(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

MediaScan::MediaScan(MediaWarning warn) : warn_(std::move(warn)) {
  if (!warn_) return;
  buffer_ = std::make_unique<std::byte[]>(kCopyChunk);
  try {
    thread_ = std::thread([this] { Serve(); });
  } catch (const std::system_error&) {
    // No thread to be had: Add scans on the caller's thread instead.
  }
}

MediaScan::~MediaScan() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void MediaScan::Add(std::shared_ptr<const FileDescriptor> file, std::uint64_t length, std::filesystem::path path,
                    MediaSection section) {
  if (!warn_) return;
  Job job{std::move(file), length, std::move(path), section};
  if (!thread_.joinable()) {
    const std::string line = Scan(job);
    if (!line.empty()) warn_(line);
    return;
  }
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queue_.size() < kQueued; });
  queue_.push_back(std::move(job));
  lock.unlock();
  changed_.notify_all();
}

void MediaScan::Report() {
  std::deque<std::string> lines;
  {
    const std::lock_guard lock(mutex_);
    lines.swap(lines_);
  }
  for (const std::string& line : lines) {
    if (!line.empty()) warn_(line);
  }
}

void MediaScan::Finish() {
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.empty() && !busy_; });
  }
  Report();
}

void MediaScan::Serve() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    const Job job = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    changed_.notify_all();
    // The scan only yields a warning: one it cannot make (memory runs out) is
    // left out rather than ending the process in the middle of an encode.
    std::string line;
    try {
      line = Scan(job);
    } catch (...) {
      line.clear();
    }
    lock.lock();
    lines_.push_back(std::move(line));
    busy_ = false;
    changed_.notify_all();
  }
}

std::string MediaScan::Scan(const Job& job) {
  // A read that fails here goes unreported: the copy reads the same bytes and
  // names any failure.
  HazardScanner scanner(job.section);
  std::uint64_t done = 0;
  while (done < job.length) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(job.length - done, kCopyChunk));
    const ssize_t got = ::pread(job.file->get(), buffer_.get(), want, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    scanner.Add({buffer_.get(), static_cast<std::size_t>(got)});
    done += static_cast<std::uint64_t>(got);
  }
  return HazardWarning(job.path, scanner.Hazards());
}

}  // namespace kvarbon
