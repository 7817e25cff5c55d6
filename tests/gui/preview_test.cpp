// SPDX-License-Identifier: GPL-3.0-or-later
// Frame display, the playback clock with its transport buttons, and the speed selector.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "gui/preview_fixture.h"
#include "support/gui_fixture.h"

namespace kvarbon::testing {
namespace {

const QRgb kBlack = qRgb(0, 0, 0);

// --- Frame display --------------------------------------------------------

TEST_F(PreviewTest, ChangeDrawsTheSlideNamesAndStartsItsSound) {
  state.SlideSoundTable[1] = "0";  // "0" is the first sound, not an empty entry
  frm->Slider1->setValue(2);
  EXPECT_EQ(Corner(), kSlideList[1].colour);
  EXPECT_EQ(frm->Label3->text(), "a.wav");
  EXPECT_EQ(frm->Label2->text(), "2");
  EXPECT_EQ(Played(), std::vector<int>{0});
  EXPECT_EQ(state.CurrentFrame, 0);  // the display never moves the clock
}

TEST_F(PreviewTest, EmptyEntryEmptiesTheNameAndLeavesTheSoundPlaying) {
  state.SlideSoundTable[0] = "2";
  frm->Slider1->setValue(2);  // frame 2 has no sound
  frm->Slider1->setValue(1);
  EXPECT_EQ(frm->Label3->text(), "c.wav");
  frm->Slider1->setValue(2);
  EXPECT_EQ(frm->Label3->text(), "");
  EXPECT_EQ(Played(), std::vector<int>{2});
}

TEST_F(PreviewTest, DragPaintsEachFrameButLabel2WaitsForRelease) {
  state.SlideSoundTable[2] = "1";
  state.SlideSoundTable[3] = "2";
  DragTo(3);
  EXPECT_EQ(Corner(), kSlideList[2].colour);
  EXPECT_EQ(frm->Label3->text(), "b.wav");
  EXPECT_EQ(frm->Label2->text(), "1");
  DragTo(4);
  EXPECT_EQ(Corner(), kSlideList[3].colour);
  EXPECT_EQ(frm->Label3->text(), "c.wav");
  EXPECT_EQ(frm->Label2->text(), "1");
  EXPECT_EQ(frm->Slider1->value(), 1);
  Release();
  EXPECT_EQ(frm->Label2->text(), "4");
  // Frame 4 painted by the scroll and again by the change: its sound started twice.
  EXPECT_EQ(Played(), (std::vector<int>{1, 2, 2}));
  EXPECT_EQ(sound.played[1].data, sound.played[2].data);
}

TEST_F(PreviewTest, SmallerSlideLeavesTheUncoveredPartOfTheLargerOne) {
  frm->Slider1->setValue(4);  // 60 x 40, yellow
  frm->Slider1->setValue(3);  // 20 x 10, blue
  const QRgb yellow = kSlideList[3].colour;
  const QRgb blue = kSlideList[2].colour;
  EXPECT_EQ(Pixel(kOffsetPx, kOffsetPx), blue);
  EXPECT_EQ(Pixel(kOffsetPx + 19, kOffsetPx + 9), blue);
  EXPECT_EQ(Pixel(kOffsetPx + 20, kOffsetPx), yellow);
  EXPECT_EQ(Pixel(kOffsetPx, kOffsetPx + 10), yellow);
  EXPECT_EQ(Pixel(kOffsetPx + 59, kOffsetPx + 39), yellow);
  EXPECT_EQ(Pixel(kOffsetPx + 60, kOffsetPx + 40), kBlack);
  EXPECT_EQ(Pixel(kOffsetPx - 1, kOffsetPx - 1), kBlack);
}

TEST_F(PreviewTest, BeforeLoadingNothingIsDrawnButTheSoundStillWorks) {
  frm->Slides().Clear();  // only holder 0, which holds no slide
  state.SlideSoundTable[2] = "1";
  frm->Label3->setText("-");
  frm->Slider1->setValue(2);
  EXPECT_EQ(frm->Label3->text(), "");
  frm->Slider1->setValue(3);
  EXPECT_EQ(frm->Label3->text(), "b.wav");
  EXPECT_EQ(Played(), std::vector<int>{1});
  const QImage& canvas = frm->Picture1->Canvas();
  for (int y = 0; y < canvas.height(); y += 7) {
    for (int x = 0; x < canvas.width(); x += 7) ASSERT_EQ(canvas.pixel(x, y), kBlack);
  }
}

TEST_F(PreviewTest, MissingElementsAndUnreadableTextsKeepTheNameAndStartNothing) {
  MessageCatcher messages;
  state.SlideSoundTable = {"x", "0", "7", "40000"};  // frame 5 owns no element
  frm->Slider1->setMaximum(6);                        // frames 5 and 6 have no holder either
  frm->Slider1->setValue(2);
  ASSERT_EQ(frm->Label3->text(), "a.wav");
  for (const int frame : {1, 3, 4, 5, 6}) {
    frm->Slider1->setValue(frame);
    EXPECT_EQ(frm->Label3->text(), "a.wav") << frame;
    EXPECT_EQ(frm->Label2->text(), QString::number(frame));
  }
  EXPECT_EQ(Corner(), kSlideList[3].colour);  // frames 5 and 6 drew nothing
  EXPECT_EQ(Played(), std::vector<int>{0});
  EXPECT_TRUE(messages.texts.isEmpty());
}

// --- Speed selector -------------------------------------------------------

TEST_F(PreviewTest, SpeedFollowsTheLabelText) {
  const std::vector<std::tuple<int, QString, int>> rows{
      {0, "1", 1000}, {10, "10", 100}, {20, "20", 50}, {30, "30", 33}, {40, "40", 25}, {50, "50", 20}};
  for (const auto& [value, label, interval] : rows) {
    frm->VScroll1->setValue(value);
    EXPECT_EQ(frm->Label5->text(), label);
    EXPECT_EQ(state.FrameInterval, interval) << value;
    EXPECT_EQ(frm->Timer1->interval(), interval) << value;
  }
}

TEST_F(PreviewTest, SpeedNotInTheTableKeepsTheRateButResetsTheTimer) {
  frm->VScroll1->setValue(30);
  frm->Command2->click();
  frm->Timer1->setInterval(7);
  frm->VScroll1->setValue(15);
  EXPECT_EQ(frm->Label5->text(), "15");
  EXPECT_EQ(state.FrameInterval, 33);
  EXPECT_EQ(frm->Timer1->interval(), 33);
  frm->VScroll1->setValue(0);  // a running clock takes the new rate at once
  EXPECT_EQ(frm->Timer1->interval(), 1000);
  EXPECT_TRUE(frm->Timer1->isActive());
}

}  // namespace
}  // namespace kvarbon::testing
