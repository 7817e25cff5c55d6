// SPDX-License-Identifier: GPL-3.0-or-later
#include "slides/core/slide_store.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "app/core/file_error.h"
#include "app/core/file_io.h"

namespace kvarbon {

namespace {

constexpr const char* kInMemory = "Слайды хранятся в оперативной памяти";

// The name the cache files are made for: ".slides.tmp-<pid>-<n>" in the folder.
std::filesystem::path FileTarget(const std::filesystem::path& folder) { return folder / "slides"; }

}  // namespace

std::filesystem::path CacheFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && std::filesystem::path(cache).is_absolute()) return std::filesystem::path(cache) / "kvarbon";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::filesystem::path(home) / ".cache" / "kvarbon";
  return {};
}

SlideStore::SlideStore(SlideStoreOptions options)
    : options_(std::move(options)), folder_(options_.folder.empty() ? CacheFolder() : options_.folder) {
  records_.emplace_back();  // holder 0: never a picture
  if (!folder_.empty()) RemoveStaleTemporaryFiles(FileTarget(folder_));
}

SlideStore::~SlideStore() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (worker_.joinable()) worker_.join();
}

void SlideStore::FallBack(const std::string& notice) {
  const std::lock_guard lock(mutex_);
  inMemory_ = true;
  if (!notice_) notice_ = notice;
}

void SlideStore::OpenFile() {
  triedFile_ = true;
  if (folder_.empty()) return FallBack(std::string("Папка для кэша не найдена: не заданы ни XDG_CACHE_HOME, ни HOME. ") + kInMemory);
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  if (error) return FallBack(FileError(FileAction::kCreateFolder, folder_, error.value(), kInMemory).what());
  try {
    auto file = std::make_unique<TemporaryFile>(FileTarget(folder_));
    const std::lock_guard lock(mutex_);
    file_ = std::move(file);
  } catch (const FileError& failure) {
    FallBack(FileError(FileAction::kWrite, failure.path(), failure.error(), kInMemory).what());
  }
}

bool SlideStore::WriteToFile(const Bytes& bytes, std::uint64_t at) {
  try {
    WriteAt(file_->fd(), at, bytes, file_->Path());
    return true;
  } catch (const FileError& failure) {
    FallBack(FileError(FileAction::kWrite, failure.path(), failure.error(), kInMemory).what());
    return false;
  }
}

void SlideStore::Add(const SlideHolder& holder) { Add(PackSlide(holder)); }

void SlideStore::Add(PackedSlide packed) {
  if (!triedFile_) OpenFile();
  Record record{packed.shape, 0, static_cast<std::uint32_t>(packed.bytes.size()), false};
  // Only the adding thread writes the file and moves its end.
  if (!inMemory_ && file_ && WriteToFile(packed.bytes, fileEnd_)) {
    record.at = fileEnd_;
    record.inFile = true;
    fileEnd_ += packed.bytes.size();
  }
  const std::lock_guard lock(mutex_);
  if (!record.inFile) {
    record.at = memoryPacks_.size();
    memoryPacks_.push_back(std::move(packed.bytes));
  }
  packedBytes_ += record.size;
  records_.push_back(record);
}

void SlideStore::Clear() {
  const std::lock_guard lock(mutex_);
  ++generation_;
  records_.resize(1);
  memoryPacks_.clear();
  cache_.clear();
  uses_.clear();
  cachedBytes_ = 0;
  packedBytes_ = 0;
  lastFetched_ = aheadOf_ = 0;
  // Emptying the file only gives its space back early: without it, slides
  // are appended after the old ones, which go with the file.
  if (file_ && ::ftruncate(file_->fd(), 0) == 0) fileEnd_ = 0;
}

std::size_t SlideStore::Size() const {
  const std::lock_guard lock(mutex_);
  return records_.size();
}

std::shared_ptr<const SlideHolder> SlideStore::Unpack(const Record& record) const {
  if (record.shape.width <= 0 || record.shape.height <= 0) {
    return std::make_shared<const SlideHolder>(UnpackSlide(record.shape, {}));
  }
  Bytes bytes;
  if (record.inFile) {
    // Read back into a buffer of our own: a mapping of a file that another
    // process truncates would end this one.
    bytes = ReadAt(file_->fd(), record.at, record.size, file_->Path());
  } else {
    const std::lock_guard lock(mutex_);
    if (record.at >= memoryPacks_.size()) throw std::out_of_range("Слайда нет в хранилище");
    bytes = memoryPacks_[record.at];
  }
  return std::make_shared<const SlideHolder>(UnpackSlide(record.shape, bytes));
}

std::shared_ptr<const SlideHolder> SlideStore::Lookup(std::size_t index) {
  const auto found = cache_.find(index);
  if (found == cache_.end()) return nullptr;
  uses_.splice(uses_.begin(), uses_, found->second.use);
  return found->second.holder;
}

void SlideStore::Insert(std::size_t index, std::shared_ptr<const SlideHolder> holder, std::uint64_t generation) {
  const std::size_t bytes = holder->picture.pixels.size() * sizeof(std::uint32_t);
  // Evicted frames are freed after the lock is let go, so a fetch never waits for that.
  std::vector<std::shared_ptr<const SlideHolder>> evicted;
  const std::lock_guard lock(mutex_);
  if (generation != generation_ || cache_.count(index) != 0 || bytes > options_.cacheBytes) return;
  while (cachedBytes_ + bytes > options_.cacheBytes && !uses_.empty()) {
    const auto oldest = cache_.find(uses_.back());
    cachedBytes_ -= oldest->second.holder->picture.pixels.size() * sizeof(std::uint32_t);
    evicted.push_back(std::move(oldest->second.holder));
    cache_.erase(oldest);
    uses_.pop_back();
  }
  uses_.push_front(index);
  cache_.emplace(index, Cached{std::move(holder), uses_.begin()});
  cachedBytes_ += bytes;
}

std::shared_ptr<const SlideHolder> SlideStore::Fetch(std::size_t index) {
  Record record;
  std::uint64_t generation = 0;
  std::shared_ptr<const SlideHolder> holder;
  {
    const std::lock_guard lock(mutex_);
    if (index >= records_.size()) throw std::out_of_range("Слайда нет в хранилище");
    holder = Lookup(index);
    record = records_[index];
    generation = generation_;
  }
  if (!holder) {
    holder = Unpack(record);
    Insert(index, holder, generation);
  }
  if (index > 0) Ahead(index);
  return holder;
}

void SlideStore::Ahead(std::size_t index) {
  if (options_.framesAhead <= 0) return;
  {
    const std::lock_guard lock(mutex_);
    const std::size_t slides = records_.size() - 1;
    // Forward, also over the wrap from the last frame to the first; back only
    // when the frame is before the last one fetched.
    if (lastFetched_ == slides && index == 1) {
      direction_ = 1;
    } else if (index != lastFetched_) {
      direction_ = index > lastFetched_ ? 1 : -1;
    }
    lastFetched_ = aheadOf_ = index;
    ++request_;
  }
  if (!worker_.joinable()) worker_ = std::thread([this] { Serve(); });
  wake_.notify_one();
}

void SlideStore::Serve() {
  std::unique_lock lock(mutex_);
  std::uint64_t seen = 0;
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || request_ != seen; });
    if (stopping_) return;
    seen = request_;
    const std::size_t slides = records_.size() - 1;
    if (aheadOf_ == 0 || aheadOf_ > slides) continue;
    const std::size_t frameBytes = std::max<std::size_t>(records_[aheadOf_].shape.PixelBytes(), 1);
    const std::size_t ahead = std::min({static_cast<std::size_t>(options_.framesAhead),
                                        options_.cacheBytes / 2 / frameBytes, slides - 1});
    std::size_t at = aheadOf_;
    const int direction = direction_;
    const std::uint64_t generation = generation_;
    for (std::size_t k = 0; k < ahead && !stopping_ && request_ == seen && generation == generation_; ++k) {
      at = direction > 0 ? at % slides + 1 : (at <= 1 ? slides : at - 1);
      if (Lookup(at)) continue;
      const Record record = records_[at];
      lock.unlock();
      try {
        Insert(at, Unpack(record), generation);
      } catch (...) {
        // Left for the fetch, which reports it where it is shown.
      }
      lock.lock();
    }
  }
}

std::optional<std::string> SlideStore::TakeNotice() {
  const std::lock_guard lock(mutex_);
  return std::exchange(notice_, std::nullopt);
}

bool SlideStore::InMemory() const {
  const std::lock_guard lock(mutex_);
  return inMemory_;
}

std::filesystem::path SlideStore::FilePath() const {
  const std::lock_guard lock(mutex_);
  return file_ ? file_->Path() : std::filesystem::path();
}

std::uint64_t SlideStore::PackedBytes() const {
  const std::lock_guard lock(mutex_);
  return packedBytes_;
}

std::size_t SlideStore::CachedBytes() const {
  const std::lock_guard lock(mutex_);
  return cachedBytes_;
}

std::size_t SlideStore::CachedFrames() const {
  const std::lock_guard lock(mutex_);
  return cache_.size();
}

}  // namespace kvarbon
