// SPDX-License-Identifier: GPL-3.0-or-later
// The slide store: its bounded cache, the worker ahead of the playhead, its
// cache file's life and its fallback to memory. (The compact form against
// real decodes: slide_decoding_test.cpp.)
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "slides/core/slide_store.h"
#include "support/same_holder.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace kvarbon::testing {
namespace {

namespace fs = std::filesystem;

// A holder whose every pixel tells which slide and which pixel it is.
SlideHolder Numbered(int slide, int width = 16, int height = 8) {
  SlideHolder holder;
  holder.picture.width = width;
  holder.picture.height = height;
  for (int i = 0; i < width * height; ++i) holder.picture.pixels.push_back(0xFF000000u | (slide << 16) | i);
  holder.outerWidthTwips = (width + 4) * 15;
  holder.outerHeightTwips = (height + 4) * 15;
  holder.keptLeft = slide;
  holder.keptTop = 2 * slide;
  return holder;
}

// The cache files in `folder`.
std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  if (fs::is_directory(folder)) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  }
  return names;
}

TEST(SlideStore, KeepsOnlyWhatTheBudgetHoldsAndRefillsFromTheCompactForm) {
  TempDir dir;
  const std::size_t frameBytes = 16 * 8 * 4;
  SlideStore store({.cacheBytes = frameBytes * 5 / 2, .framesAhead = 0, .folder = dir.path()});
  for (int slide = 1; slide <= 4; ++slide) store.Add(Numbered(slide));
  ASSERT_EQ(store.Size(), 5u);
  EXPECT_FALSE(store.Fetch(0)->HasPicture());
  for (int slide = 1; slide <= 4; ++slide) ExpectSame(*store.Fetch(slide), Numbered(slide));
  EXPECT_EQ(store.CachedFrames(), 2u);
  EXPECT_LE(store.CachedBytes(), frameBytes * 5 / 2);
  // Slide 1 was evicted first; it comes back exactly, and slide 3 makes way.
  const std::shared_ptr<const SlideHolder> again = store.Fetch(1);
  ExpectSame(*again, Numbered(1));
  EXPECT_EQ(store.CachedFrames(), 2u);
  EXPECT_EQ(store.Fetch(4).get(), store.Fetch(4).get());  // still cached: the same frame
  EXPECT_FALSE(store.InMemory());
  EXPECT_GT(fs::file_size(store.FilePath()), 0u);

  // Ahead of the playhead: a fetch has the worker unpack the next frames.
  SlideStore ahead({.cacheBytes = frameBytes * 10, .framesAhead = 3, .folder = dir.path()});
  for (int slide = 1; slide <= 6; ++slide) ahead.Add(Numbered(slide));
  ahead.Fetch(5);
  for (int wait = 0; wait < 500 && ahead.CachedFrames() < 4; ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(ahead.CachedFrames(), 4u);  // 5, then 6, 1 and 2 past the end
}

TEST(SlideStore, RemovesAKilledProcesssCacheFileAtTheNextStartAndKeepsALiveOnes) {
  TempDir dir;
  const fs::path folder = dir / "cache";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SlideStore store({.framesAhead = 0, .folder = folder});
    store.Add(Numbered(1));
    ::raise(SIGKILL);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  const std::vector<std::string> left = FilesIn(folder);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_NE(left[0].find(std::to_string(child)), std::string::npos) << left[0];

  fs::path live;
  {
    SlideStore running({.framesAhead = 0, .folder = folder});
    running.Add(Numbered(1));
    live = running.FilePath();
    const SlideStore next({.framesAhead = 0, .folder = folder});  // a second start
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{live.filename()});
  }
  EXPECT_TRUE(FilesIn(folder).empty());  // an ordinary end removes its own file
}

TEST(SlideStore, FallsBackToMemoryWhenTheCacheFolderCannotBeWritten) {
  TempDir dir;
  WriteFile(dir / "not-a-folder", "x");
  const ScopedEnv cache("XDG_CACHE_HOME", (dir / "not-a-folder").native());
  EXPECT_EQ(CacheFolder(), dir / "not-a-folder" / "kvarbon");
  SlideStore store({.cacheBytes = 1, .framesAhead = 0, .folder = {}});
  store.Add(Numbered(1));
  store.Add(Numbered(2));
  EXPECT_TRUE(store.InMemory());
  EXPECT_TRUE(store.FilePath().empty());
  const std::optional<std::string> notice = store.TakeNotice();
  ASSERT_TRUE(notice.has_value());
  EXPECT_NE(notice->find("not-a-folder/kvarbon»"), std::string::npos) << *notice;
  EXPECT_NE(notice->find("Слайды хранятся в оперативной памяти"), std::string::npos) << *notice;
  EXPECT_FALSE(store.TakeNotice().has_value());  // said once
  ExpectSame(*store.Fetch(2), Numbered(2));
  ExpectSame(*store.Fetch(1), Numbered(1));
}

}  // namespace
}  // namespace kvarbon::testing
