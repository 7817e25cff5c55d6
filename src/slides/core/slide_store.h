// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "app/core/temporary_file.h"
#include "slides/core/slide_packing.h"
#include "slides/core/slide_source.h"

namespace kvarbon {

struct SlideStoreOptions {
  // The decoded frames kept ready, in bytes of pixels, whatever the show's size.
  std::size_t cacheBytes = std::size_t{96} << 20;
  // Frames unpacked ahead of the last one fetched, in the direction it moved
  // (fewer when they would fill more than half the cache). 0: none.
  int framesAhead = 12;
  // The folder of the cache file; empty: the program's folder under
  // $XDG_CACHE_HOME, else ~/.cache (CacheFolder()).
  std::filesystem::path folder;
};

// The loaded slides. Each is kept in its compact form (PackSlide) in one cache
// file, or in memory when the file cannot be written; in memory there is only a
// small record per slide. Frames are unpacked into a cache of a fixed size in
// bytes, least recently used first out, on the thread that fetches them or,
// ahead of the last fetched frame, on a worker thread of the store's own.
//
// The cache file is a TemporaryFile named after "slides" in the folder, so it
// carries the process id: it goes when the store does, and a store created
// after a process was killed removes that process's files (a live process's
// stay). Adding is done by one thread; fetching may run beside it.
class SlideStore final : public SlideSource {
 public:
  explicit SlideStore(SlideStoreOptions options = {});
  SlideStore(const SlideStore&) = delete;
  SlideStore& operator=(const SlideStore&) = delete;
  ~SlideStore() override;

  // Appends a holder (packed here, or on a worker with PackSlide beforehand).
  // A cache file that cannot be created or written leaves the store in
  // memory from then on; Notice() says so.
  void Add(const SlideHolder& holder);
  void Add(PackedSlide packed);
  // Back to holder 0 alone.
  void Clear();

  std::size_t Size() const override;
  std::shared_ptr<const SlideHolder> Fetch(std::size_t index) override;

  // The message for the user after the store fell back to memory, once; then empty.
  std::optional<std::string> TakeNotice();
  bool InMemory() const;
  // The cache file (empty before the first slide, or in memory).
  std::filesystem::path FilePath() const;
  std::uint64_t PackedBytes() const;
  std::size_t CachedBytes() const;
  std::size_t CachedFrames() const;

 private:
  struct Record {
    SlideShape shape;
    std::uint64_t at = 0;  // offset in the file, or index in memoryPacks_
    std::uint32_t size = 0;
    bool inFile = false;
  };
  struct Cached {
    std::shared_ptr<const SlideHolder> holder;
    std::list<std::size_t>::iterator use;
  };

  void OpenFile();
  bool WriteToFile(const Bytes& bytes, std::uint64_t at);
  void FallBack(const std::string& notice);
  std::shared_ptr<const SlideHolder> Unpack(const Record& record) const;
  std::shared_ptr<const SlideHolder> Lookup(std::size_t index);  // holds mutex_
  void Insert(std::size_t index, std::shared_ptr<const SlideHolder> holder, std::uint64_t generation);
  void Ahead(std::size_t index);
  void Serve();

  const SlideStoreOptions options_;
  std::filesystem::path folder_;
  mutable std::mutex mutex_;
  std::vector<Record> records_;
  std::vector<Bytes> memoryPacks_;
  std::unique_ptr<TemporaryFile> file_;
  std::uint64_t fileEnd_ = 0;
  std::uint64_t packedBytes_ = 0;
  bool triedFile_ = false;
  bool inMemory_ = false;
  std::optional<std::string> notice_;
  std::uint64_t generation_ = 0;

  std::unordered_map<std::size_t, Cached> cache_;
  std::list<std::size_t> uses_;  // most recent first
  std::size_t cachedBytes_ = 0;

  // The worker: the frame to work ahead of and the direction, renewed by every fetch.
  std::size_t lastFetched_ = 0;
  std::size_t aheadOf_ = 0;
  int direction_ = 1;
  std::uint64_t request_ = 0;
  bool stopping_ = false;
  std::condition_variable wake_;
  std::thread worker_;
};

// The folder of the program's cache files: "kvarbon" under $XDG_CACHE_HOME when
// that is an absolute path, else under $HOME/.cache; empty without either.
std::filesystem::path CacheFolder();

}  // namespace kvarbon
