// SPDX-License-Identifier: GPL-3.0-or-later
// Slides are decoded on several threads; what the job hands over stays in slide order.
#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <string>

#include "support/gui_fixture.h"
#include "support/images.h"

namespace kvarbon {
namespace {

using testing::MessageCatcher;
using testing::ProgressRecorder;
using testing::ShowFixture;
using testing::SolidBmp;
using testing::SolidJpeg;
using testing::WriteFile;

QColor ColourOf(int slide) { return QColor((slide * 40) % 256, 255 - (slide * 20) % 256, (slide * 90) % 256); }

std::string NameOf(int slide) { return (slide < 10 ? "0" : "") + std::to_string(slide); }

TEST(LoadingOrder, ManySlidesOfMixedFormatsAndSizesLandInTheirOwnHolders) {
  constexpr int kSlides = 17;
  ShowFixture show;
  for (int i = 1; i <= kSlides; ++i) {
    // Large and small slides alternate, so later ones often finish first.
    const int width = (i % 3 == 0) ? 1200 : 8 + i;
    const int height = (i % 3 == 0) ? 900 : 6 + i;
    if (i % 2 == 0) {
      WriteFile(show.dir / "pic" / (NameOf(i) + ".bmp"), SolidBmp(width, height, ColourOf(i)));
    } else {
      WriteFile(show.dir / "pic" / (NameOf(i) + ".jpg"), SolidJpeg(width, height, ColourOf(i)));
    }
  }
  show.Start();
  ProgressRecorder progress;
  show.frmMain->Command3->click();

  FrmMain& w = *show.frmMain;
  ASSERT_EQ(w.Slides().Size(), kSlides + 1u);
  EXPECT_EQ(w.Slider1->maximum(), kSlides);
  for (int i = 1; i <= kSlides; ++i) {
    const SlideHolder holder = *w.Slides().Fetch(static_cast<std::size_t>(i));
    const int width = (i % 3 == 0) ? 1200 : 8 + i;
    EXPECT_EQ(holder.outerWidthTwips, (width + 4) * 15) << i;
    ASSERT_TRUE(holder.HasPicture()) << i;
    // Solid pictures: JPEG keeps a solid colour within a step or two.
    const QColor kept = QColor::fromRgba(holder.picture.Pixel(holder.picture.width / 2, holder.picture.height / 2));
    EXPECT_NEAR(kept.red(), ColourOf(i).red(), 3) << i;
    EXPECT_NEAR(kept.green(), ColourOf(i).green(), 3) << i;
    EXPECT_NEAR(kept.blue(), ColourOf(i).blue(), 3) << i;
  }
  // The bar steps through 1 .. n - 1 in order (0, its start, changes nothing).
  ASSERT_EQ(progress.showings.size(), 1u);
  std::vector<std::pair<int, int>> expected;
  for (int i = 1; i < kSlides; ++i) expected.emplace_back(i, kSlides);
  EXPECT_EQ(progress.showings[0].values, expected);
}

TEST(LoadingOrder, OfSeveralBrokenSlidesTheFirstIsReportedAfterEverySlideBeforeIt) {
  ShowFixture show;
  for (int i = 1; i <= 9; ++i) {
    // The first broken one has a Cyrillic name: the message must name it whole.
    const std::string name = NameOf(i) + (i == 5 ? " битый.jpg" : ".jpg");
    if (i == 5 || i == 7) {
      WriteFile(show.dir / "pic" / name, "broken " + std::to_string(i));
    } else {
      // Slides before the broken one are large, so they finish after it fails.
      WriteFile(show.dir / "pic" / name, SolidJpeg(i < 5 ? 1600 : 10, i < 5 ? 1200 : 10, ColourOf(i)));
    }
  }
  show.Start();
  std::vector<int> ended;
  show.frmMain->EndProcess = [&](int status) { ended.push_back(status); };
  ProgressRecorder progress;
  MessageCatcher messages;
  show.frmMain->Command3->click();

  EXPECT_EQ(ended, std::vector<int>{1});
  ASSERT_EQ(messages.texts.size(), 1);
  EXPECT_TRUE(messages.texts[0].contains("05 битый.jpg")) << messages.texts[0].toStdString();
  // Slides 1 to 4 were handed over, nothing after them.
  EXPECT_EQ(show.frmMain->Slides().Size(), 5u);
  ASSERT_EQ(progress.showings.size(), 1u);
  EXPECT_EQ(progress.showings[0].values, (std::vector<std::pair<int, int>>{{1, 9}, {2, 9}, {3, 9}}));
  EXPECT_TRUE(show.frmMain->Command3->isEnabled());
  EXPECT_FALSE(show.frmMain->Command1->isEnabled());
}

TEST(LoadingOrder, AFirstSlideThatCannotBeDecodedIsReportedBeforeAnyOtherIsRead) {
  ShowFixture show;
  WriteFile(show.dir / "pic" / "1.jpg", "not a picture");
  WriteFile(show.dir / "pic" / "2.jpg", SolidJpeg(10, 10, ColourOf(2)));
  show.Start();
  std::vector<int> ended;
  show.frmMain->EndProcess = [&](int status) { ended.push_back(status); };
  MessageCatcher messages;
  show.frmMain->Command3->click();
  EXPECT_EQ(ended, std::vector<int>{1});
  ASSERT_EQ(messages.texts.size(), 1);
  EXPECT_TRUE(messages.texts[0].contains("1.jpg")) << messages.texts[0].toStdString();
  EXPECT_EQ(show.frmMain->Slides().Size(), 1u);
}

}  // namespace
}  // namespace kvarbon
