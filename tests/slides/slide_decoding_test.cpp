// SPDX-License-Identifier: GPL-3.0-or-later
// Slides decoded by the platform's decoder: the part of a JPEG decoded with
// libjpeg-turbo against Qt's reader, and frames that came back from the slide
// store's compact form against a direct decode.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <optional>
#include <vector>

#include "slides/core/slide_store.h"
#include "slides/platform/qt_slide_decoder.h"
#include "support/images.h"
#include "support/same_holder.h"
#include "support/temp_dir.h"

namespace kvarbon::testing {
namespace {

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
