// SPDX-License-Identifier: GPL-3.0-or-later
// Inputs the fuzz targets found failing, kept so that they stay fixed.
#include <gtest/gtest.h>

#include <QPushButton>
#include <climits>

#include "app/core/file_error.h"
#include "slides/core/twips.h"
#include "slides/platform/qt_slide_decoder.h"
#include "support/gui_fixture.h"
#include "support/images.h"
#include "support/temp_dir.h"

namespace kvarbon {
namespace {

// A BMP header whose sides are 0x6B6B6B6B pixels each: the size named in the
// error message was computed in an integer that overflowed.
TEST(FuzzRegression, SlideWhoseHeaderSidesOverflowAProduct) {
  using namespace std::string_literals;
  Bytes bmp = ToBytes("BM:\0\0\0\0\0\0\0" "6\0\0\0"s);
  const Bytes sides(12, std::byte{0x6B});  // header size, width and height
  bmp.insert(bmp.end(), sides.begin(), sides.end());
  try {
    DecodeSlide(bmp, "pic/slide.bmp");
    FAIL() << "decoded";
  } catch (const InputError& error) {
    const std::string text = error.what();
    EXPECT_NE(text.find("pic/slide.bmp"), std::string::npos) << text;
    EXPECT_NE(text.find("1802201963 × 1802201963 пикселей"), std::string::npos) << text;
  }
}

// A BMP one pixel high and 201326593 wide: its outer width in twips overflowed
// a 32-bit integer when the loading job placed it as the first slide, before
// decoding it. It now stops at the largest 32-bit value.
TEST(FuzzRegression, SlideWhoseOuterWidthInTwipsOverflows) {
  using namespace std::string_literals;
  const Bytes bmp = ToBytes("BM:\0\0\0\0\0\0\0" "6\0\0\0" "(\0\0\0" "\x01\0\0\x0C" "\x01\0\0\0"
                            "\x01\0\x18\0" "\0\0\0\0" "\0\x04\0\0" "\0\xC4\x0E\0" "\0\xC4\x0E\0"
                            "\0\0\0\0" "\0\0\0\0" "\0\0\0\0\0\0"s);
  EXPECT_EQ(SlideOuterTwips(201326593), INT32_MAX);
  EXPECT_EQ(SlideOuterTwips(0), 60);
  for (const bool keepPart : {false, true}) {
    SCOPED_TRACE(keepPart);
    try {
      const SlideHolder holder =
          keepPart ? DecodeSlide(bmp, "pic/wide.bmp", PixelRect{0, 0, 396, 296})
                   : DecodeSlide(bmp, "pic/wide.bmp");
      EXPECT_EQ(holder.outerWidthTwips, INT32_MAX);
      EXPECT_EQ(holder.outerHeightTwips, 75);
    } catch (const InputError& error) {
      EXPECT_NE(std::string(error.what()).find("pic/wide.bmp"), std::string::npos) << error.what();
    }
  }

  testing::ShowFixture show;
  testing::WriteFile(show.dir / "pic" / "1 wide.bmp", bmp);
  testing::WriteFile(show.dir / "pic" / "2.bmp", testing::SolidBmp(4, 4, Qt::red));
  show.Start();
  std::vector<int> ended;
  show.frmMain->EndProcess = [&ended](int status) { ended.push_back(status); };
  testing::MessageCatcher messages;
  show.frmMain->Command3->click();
  if (!messages.texts.isEmpty()) {
    EXPECT_TRUE(messages.texts[0].contains("1 wide.bmp")) << messages.texts[0].toStdString();
  } else {
    EXPECT_EQ(show.frmMain->Slides().Size(), 3U);
  }
}

}  // namespace
}  // namespace kvarbon
