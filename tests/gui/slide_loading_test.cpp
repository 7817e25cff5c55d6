// SPDX-License-Identifier: GPL-3.0-or-later
// "Загрузка слайдов": the progress window's "loading" job and the command around it.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include "support/gui_fixture.h"
#include "support/images.h"
#include "ui/display_surface.h"
#include "ui/file_list_box.h"
#include "ui/frm_dialog.h"

namespace kvarbon {
namespace {

using testing::MessageCatcher;
using testing::ProgressRecorder;
using testing::ShowFixture;
using testing::SolidBmp;
using testing::SolidGif;
using testing::SolidJpeg;
using testing::WriteFile;

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255);

QRgb Pixel(const FrmMain& window, int x, int y) { return window.Picture1->Canvas().pixel(x, y); }

TEST(LoadSlides, FewerThanTwoSlidesAreRefusedWithTheMessageEveryTime) {
  for (int slides = 0; slides < 2; ++slides) {
    ShowFixture show;
    if (slides == 1) WriteFile(show.dir / "pic" / "only.bmp", SolidBmp(10, 10, kRed));
    show.Start();
    MessageCatcher messages;
    show.frmMain->Command3->click();
    show.frmMain->Command3->click();
    EXPECT_EQ(messages.texts, QStringList({"Слайдов не найдено.", "Слайдов не найдено."}));
    EXPECT_TRUE(show.frmMain->Command3->isEnabled());
    EXPECT_FALSE(show.frmMain->Command1->isEnabled());
    EXPECT_EQ(show.frmMain->Slides().Size(), 1u);
  }
}

TEST(LoadSlides, TwoSlidesLoadAndSwitchTheButtons) {
  ShowFixture show;
  WriteFile(show.dir / "pic" / "1.bmp", SolidBmp(396, 296, kRed));
  WriteFile(show.dir / "pic" / "2.jpg", SolidJpeg(100, 50, kGreen));
  show.Start();
  ProgressRecorder progress;
  show.frmMain->Command3->click();

  FrmMain& w = *show.frmMain;
  ASSERT_EQ(w.Slides().Size(), 3u);
  EXPECT_FALSE(w.Slides().Fetch(0)->HasPicture());
  EXPECT_EQ(w.Slider1->maximum(), 2);
  EXPECT_FALSE(w.Command3->isEnabled());
  EXPECT_TRUE(w.Command1->isEnabled());
  ASSERT_EQ(progress.showings.size(), 1u);
  EXPECT_EQ(progress.showings[0].caption, "Загрузка слайдов...");
  // The bar starts at 0, so setting it to 0 changes nothing; it ends at 1 of 2.
  EXPECT_EQ(progress.showings[0].values, (std::vector<std::pair<int, int>>{{1, 2}}));
  // A first slide exactly the size of the display's drawing area: offsets 0, 0.
  EXPECT_EQ(w.State().SlideOffsetX, 0);
  EXPECT_EQ(w.State().SlideOffsetY, 0);
  EXPECT_EQ(Pixel(w, 0, 0), kRed.rgb());
  EXPECT_EQ(Pixel(w, 395, 295), kRed.rgb());
}

TEST(LoadSlides, FirstSlideIsCentredWithHalvesRoundedToEven) {
  ShowFixture show;
  // 397 x 293 pixels: outer 401 x 297 against 400 x 300, i.e. -15 and 45 twips.
  WriteFile(show.dir / "pic" / "a.gif", SolidGif(397, 293, kBlue));
  WriteFile(show.dir / "pic" / "b.bmp", SolidBmp(50, 60, kRed));
  WriteFile(show.dir / "pic" / "c.jpg", SolidJpeg(500, 400, kGreen));
  show.Start();
  show.frmMain->Command3->click();
  FrmMain& w = *show.frmMain;
  EXPECT_EQ(w.State().SlideOffsetX, -8);  // -7.5
  EXPECT_EQ(w.State().SlideOffsetY, 22);  // 22.5
  EXPECT_EQ(w.Slider1->maximum(), 3);
  EXPECT_EQ(w.Slides().Fetch(1)->outerWidthTwips, 401 * 15);
  EXPECT_EQ(w.Slides().Fetch(3)->outerHeightTwips, 404 * 15);
  // Drawn one pixel down (22 twips): the top row stays black, the next is blue.
  EXPECT_EQ(Pixel(w, 200, 0), QColor(Qt::black).rgb());
  EXPECT_EQ(Pixel(w, 200, 1), kBlue.rgb());
  EXPECT_EQ(Pixel(w, 0, 150), kBlue.rgb());
}

TEST(LoadSlides, ALargerFirstSlideGivesNegativeOffsetsAndIsClipped) {
  ShowFixture show;
  QImage big(800, 600, QImage::Format_RGB32);
  big.fill(kRed);
  big.setPixel(400, 300, kGreen.rgb());  // marks the centre
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  big.save(&buffer, "BMP");
  const auto* begin = reinterpret_cast<const std::byte*>(data.constData());
  WriteFile(show.dir / "pic" / "1.bmp", Bytes(begin, begin + data.size()));
  WriteFile(show.dir / "pic" / "2.bmp", SolidBmp(10, 10, kBlue));
  show.Start();
  show.frmMain->Command3->click();
  FrmMain& w = *show.frmMain;
  EXPECT_EQ(w.State().SlideOffsetX, -3030);  // outer 804 x 604: (400 - 804) * 15 / 2
  EXPECT_EQ(w.State().SlideOffsetY, -2280);
  // The picture's centre lands on the centre of the 396 x 296 drawing area.
  EXPECT_EQ(Pixel(w, 198, 148), kGreen.rgb());
  EXPECT_EQ(Pixel(w, 0, 0), kRed.rgb());
  EXPECT_EQ(Pixel(w, 395, 295), kRed.rgb());
}

TEST(ProgressWindow, RunsTheJobItIsGivenAndSaysItRan) {
  ShowFixture show;
  show.Start();
  ProgressRecorder progress;
  FrmDialog frmDialog([](ProgressSink& sink) {
    sink.SetMaximum(3);
    sink.SetText("<b>x</b>");
    sink.SetValue(2);
  });
  EXPECT_TRUE(frmDialog.ShowModal());
  ASSERT_EQ(progress.showings.size(), 1u);
  EXPECT_EQ(frmDialog.PB->maximum(), 3);
  EXPECT_EQ(frmDialog.PB->value(), 2);
  EXPECT_EQ(frmDialog.Label1->text(), "<b>x</b>");
}

}  // namespace
}  // namespace kvarbon
