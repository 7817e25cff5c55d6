// SPDX-License-Identifier: GPL-3.0-or-later
// Slide holders keep only the part of each slide that can fall inside Picture1;
// what the user sees must not change by a single pixel for it.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <string>
#include <vector>

#include "support/gui_fixture.h"
#include "support/images.h"
#include "ui/display_surface.h"
#include "slides/core/twips.h"

namespace kvarbon {
namespace {

using testing::ShowFixture;
using testing::WriteFile;

// A picture in which every pixel differs from its neighbours, so a part taken
// from the wrong place, or drawn at the wrong place, cannot go unnoticed.
Bytes PatternFile(int width, int height, const char* format, int seed) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.setPixel(x, y, qRgb((x * 7 + seed * 31) & 0xFF, (y * 5 + seed * 17) & 0xFF, ((x ^ y) * 3 + seed) & 0xFF));
    }
  }
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format, 90);
  const auto* begin = reinterpret_cast<const std::byte*>(data.constData());
  return Bytes(begin, begin + data.size());
}

struct Slide {
  std::string name;  // names sort in frame order
  Bytes file;
};

// The picture a file decodes to when nothing is left out.
QImage DecodeWhole(const Bytes& file) {
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()),
                                            static_cast<qsizetype>(file.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(false);
  const QImage picture = reader.read();
  return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                           : QImage::Format_RGB32);
}

// Loads the slides, then shows frames in `order`; after loading and after each
// frame, Picture1 must hold exactly what drawing the whole pictures, one over
// the other at the slides' offsets, gives.
void ExpectSameAsWholePictures(const std::vector<Slide>& slides, const std::vector<int>& order) {
  ShowFixture show;
  for (const Slide& slide : slides) WriteFile(show.dir / "pic" / slide.name, slide.file);
  show.Start();
  show.frmMain->Command3->click();
  FrmMain& w = *show.frmMain;
  ASSERT_EQ(w.Slides().Size(), slides.size() + 1);

  const QImage& canvas = w.Picture1->Canvas();
  QImage expected(canvas.size(), QImage::Format_RGB32);
  expected.fill(Qt::black);
  const QPoint at(TwipsToNearestPixel(w.State().SlideOffsetX), TwipsToNearestPixel(w.State().SlideOffsetY));
  const auto drawWhole = [&](int frame) {
    const QImage whole = DecodeWhole(slides[static_cast<std::size_t>(frame - 1)].file);
    QPainter painter(&expected);
    painter.drawImage(at, whole);
  };

  drawWhole(1);
  EXPECT_TRUE(canvas == expected) << "after loading";
  for (int frame = 1; frame <= static_cast<int>(slides.size()); ++frame) {
    const SlideHolder holder = *w.Slides().Fetch(static_cast<std::size_t>(frame));
    const QImage whole = DecodeWhole(slides[static_cast<std::size_t>(frame - 1)].file);
    // The holder reports the whole picture's outer size but keeps at most the surface's worth.
    EXPECT_EQ(holder.outerWidthTwips, (whole.width() + 2 * kPictureBoxBorderPx) * kTwipsPerPixel) << frame;
    EXPECT_EQ(holder.outerHeightTwips, (whole.height() + 2 * kPictureBoxBorderPx) * kTwipsPerPixel) << frame;
    EXPECT_LE(holder.picture.width, canvas.width()) << frame;
    EXPECT_LE(holder.picture.height, canvas.height()) << frame;
  }
  for (const int frame : order) {
    w.Slider1->setValue(frame);
    drawWhole(frame);
    EXPECT_TRUE(canvas == expected) << "after frame " << frame;
  }
}

TEST(VisiblePart, AFirstSlideLargerThanTheDisplayAndSlidesOfEveryShape) {
  // 900 x 700 first: negative offsets, the slide hangs over every edge.
  ExpectSameAsWholePictures(
      {{"01.jpg", PatternFile(900, 700, "JPEG", 1)},
       {"02.jpg", PatternFile(120, 90, "JPEG", 2)},    // smaller: the earlier drawing shows around it
       {"03.bmp", PatternFile(1000, 500, "BMP", 3)},   // wider, not as tall
       {"04.jpg", PatternFile(200, 800, "JPEG", 4)},   // narrow and tall
       {"05.gif", testing::SolidGif(30, 30, QColor(10, 200, 30))},
       {"06.jpg", PatternFile(397, 293, "JPEG", 6)},   // odd sizes
       {"07.jpg", PatternFile(250, 250, "JPEG", 7)}},  // lies wholly outside the surface
      {2, 3, 4, 5, 6, 7, 1, 5, 2, 7, 3});
}

TEST(VisiblePart, AFirstSlideSmallerThanTheDisplayWithLargerSlidesAfterIt) {
  // 151 x 97 first: positive offsets, halves rounded to even twips.
  ExpectSameAsWholePictures({{"a.jpg", PatternFile(151, 97, "JPEG", 11)},
                             {"b.jpg", PatternFile(1300, 1000, "JPEG", 12)},
                             {"c.bmp", PatternFile(50, 40, "BMP", 13)},
                             {"d.jpg", PatternFile(16, 16, "JPEG", 14)},
                             {"e.bmp", PatternFile(401, 301, "BMP", 15)}},
                            {2, 3, 4, 5, 1, 4, 2});
}

TEST(VisiblePart, FirstSlidesTheSizeOfTheDisplayOrOnePixelOver) {
  // Exactly the drawing area (offsets 0), then one pixel larger each way (-8 twips from -7.5).
  for (const QSize first : {QSize(396, 296), QSize(397, 297)}) {
    ExpectSameAsWholePictures({{"1.jpg", PatternFile(first.width(), first.height(), "JPEG", 21)},
                               {"2.jpg", PatternFile(2000, 1500, "JPEG", 22)},
                               {"3.jpg", PatternFile(395, 297, "JPEG", 23)}},
                              {2, 3, 1, 3});
  }
}

}  // namespace
}  // namespace kvarbon
