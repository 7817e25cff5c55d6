// SPDX-License-Identifier: GPL-3.0-or-later
// The slide store: its bounded cache, its cache file's life, its fallback to
// memory, and the exactness of the compact form.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "slides/core/slide_store.h"
#include "slides/platform/qt_slide_decoder.h"
#include "support/images.h"
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

void ExpectSame(const SlideHolder& actual, const SlideHolder& expected) {
  EXPECT_EQ(actual.outerWidthTwips, expected.outerWidthTwips);
  EXPECT_EQ(actual.outerHeightTwips, expected.outerHeightTwips);
  EXPECT_EQ(actual.keptLeft, expected.keptLeft);
  EXPECT_EQ(actual.keptTop, expected.keptTop);
  EXPECT_EQ(actual.picture.width, expected.picture.width);
  EXPECT_EQ(actual.picture.height, expected.picture.height);
  EXPECT_TRUE(actual.picture.pixels == expected.picture.pixels);
}

// The cache files in `folder`.
std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  if (fs::is_directory(folder)) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  }
  return names;
}

// Sets an environment variable while it lives.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

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

// A 32-bit BMP with an alpha mask: every alpha level over changing colours.
Bytes TransparentBmp(int width, int height) {
  Bytes out;
  const auto put = [&out](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::byte>(value >> (8 * i)));
  };
  const std::uint32_t pixelBytes = static_cast<std::uint32_t>(width * height * 4);
  out.push_back(std::byte{'B'});
  out.push_back(std::byte{'M'});
  put(14 + 108 + pixelBytes, 4);
  put(0, 4);
  put(14 + 108, 4);
  put(108, 4);  // BITMAPV4HEADER
  put(static_cast<std::uint32_t>(width), 4);
  put(static_cast<std::uint32_t>(height), 4);
  put(1, 2);
  put(32, 2);
  put(3, 4);  // bit fields
  put(pixelBytes, 4);
  put(2835, 4);
  put(2835, 4);
  put(0, 4);
  put(0, 4);
  for (std::uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) put(mask, 4);
  put(0x73524742, 4);  // sRGB
  for (int i = 0; i < 12; ++i) put(0, 4);
  for (int i = 0; i < width * height; ++i) put(static_cast<std::uint32_t>(i * 2654435761u), 4);
  return out;
}

// A photograph-like JPEG: noise over a gradient.
Bytes NoisyJpeg(int width, int height, bool progressive = false) {
  QImage image(width, height, QImage::Format_RGB32);
  std::uint32_t seed = 1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      image.setPixel(x, y, qRgb((x + (seed >> 28)) & 0xFF, (y + (seed >> 24)) & 0xFF, (x * y + (seed >> 20)) & 0xFF));
    }
  }
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setQuality(90);
  writer.setProgressiveScanWrite(progressive);
  EXPECT_TRUE(writer.write(image));
  const auto* begin = reinterpret_cast<const std::byte*>(data.constData());
  return Bytes(begin, begin + data.size());
}

TEST(SlideStore, AFrameFromTheCompactFormIsPixelIdenticalToADirectDecode) {
  TempDir dir;
  struct Case {
    const char* name;
    Bytes file;
    std::optional<PixelRect> keep;
  };
  const std::vector<Case> cases{
      {"transparent.bmp", TransparentBmp(64, 48), PixelRect{3, 5, 50, 40}},
      {"blue.gif", SolidGif(30, 20, QColor(0, 0, 255)), std::nullopt},
      {"photo.jpg", NoisyJpeg(640, 480), PixelRect{100, 90, 396, 296}},
  };
  SlideStore store({.framesAhead = 0, .folder = dir.path()});
  std::vector<SlideHolder> direct;
  for (const Case& c : cases) {
    direct.push_back(DecodeSlide(c.file, c.name, c.keep));
    store.Add(direct.back());
  }
  // The BMP really is transparent, with colour left in its translucent pixels.
  bool translucent = false;
  for (std::uint32_t pixel : direct[0].picture.pixels) translucent |= (pixel >> 24) != 0 && (pixel >> 24) != 0xFF;
  EXPECT_TRUE(translucent);
  for (std::size_t k = 0; k < cases.size(); ++k) {
    SCOPED_TRACE(cases[k].name);
    ExpectSame(*store.Fetch(k + 1), direct[k]);
  }
}

// The visible part of a JPEG, which the decoder takes from libjpeg-turbo for a
// plain file and from Qt's reader otherwise, against Qt's decode of the whole.
TEST(SlideDecoding, TheVisiblePartOfAJpegIsWhatQtDecodesThere) {
  // Plain, progressive, and plain but cut short (which goes to Qt's reader).
  for (const int kind : {0, 1, 2}) {
    const bool progressive = kind == 1;
    Bytes file = NoisyJpeg(333, 250, progressive);
    if (kind == 2) file.resize(file.size() * 3 / 5);
    const QImage whole = QImage::fromData(reinterpret_cast<const uchar*>(file.data()), static_cast<int>(file.size()))
                             .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(whole.size(), QSize(333, 250));
    for (const PixelRect part : {PixelRect{0, 0, 333, 250}, PixelRect{0, 0, 40, 30}, PixelRect{1, 1, 7, 5},
                                 PixelRect{101, 77, 150, 101}, PixelRect{290, 200, 43, 50}, PixelRect{17, 249, 300, 1}}) {
      SCOPED_TRACE(::testing::Message() << part.x << "," << part.y << " " << part.width << "x" << part.height
                                      << " kind " << kind);
      const SlideHolder holder = DecodeSlide(file, "photo.jpg", part);
      ASSERT_EQ(holder.picture.width, part.width);
      ASSERT_EQ(holder.picture.height, part.height);
      EXPECT_EQ(holder.keptLeft, part.x);
      EXPECT_EQ(holder.keptTop, part.y);
      int differing = 0;
      for (int y = 0; y < part.height; ++y) {
        for (int x = 0; x < part.width; ++x) differing += holder.picture.Pixel(x, y) != (whole.pixel(part.x + x, part.y + y) | 0xFF000000u);
      }
      EXPECT_EQ(differing, 0);
    }
  }
}

}  // namespace
}  // namespace kvarbon::testing
