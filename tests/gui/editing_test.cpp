// SPDX-License-Identifier: GPL-3.0-or-later
// Attaching a sound to the frame under the slider, clearing it, auditioning.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "gui/preview_fixture.h"
#include "support/gui_fixture.h"

namespace kvarbon::testing {
namespace {

class EditingTest : public PreviewTest {
 protected:
  // A click on entry `row` of the sound list, as the list reports it.
  void ClickSound(int row) {
    frm->File2->setCurrentRow(row);
    emit frm->File2->itemClicked(frm->File2->item(row));
  }
  void DoubleClickSound(int row) {
    frm->File2->setCurrentRow(row);
    emit frm->File2->itemDoubleClicked(frm->File2->item(row));
  }
};

TEST_F(EditingTest, ClickStoresThePositionAndShowsTheNameOnly) {
  frm->Slider1->setValue(3);
  const QImage before = frm->Picture1->Canvas().copy();
  sound.played.clear();
  state.CurrentFrame = 2;
  ClickSound(0);
  EXPECT_EQ(state.SlideSoundTable, (std::vector<std::string>{"", "", "0", "", ""}));
  EXPECT_EQ(frm->Label3->text(), "a.wav");
  EXPECT_TRUE(sound.played.empty());
  EXPECT_EQ(frm->Picture1->Canvas(), before);
  EXPECT_EQ(state.CurrentFrame, 2);

  ClickSound(2);  // another sound on the same frame replaces it
  EXPECT_EQ(state.SlideSoundTable[2], "2");
  EXPECT_EQ(frm->Label3->text(), "c.wav");
}

TEST_F(EditingTest, SameSoundOnSeveralFramesIsWhatTheDisplayPlays) {
  frm->Slider1->setValue(1);
  ClickSound(1);
  frm->Command4[0]->click();
  frm->Command4[0]->click();  // frame 3
  ClickSound(1);
  EXPECT_EQ(state.SlideSoundTable, (std::vector<std::string>{"1", "", "1", "", ""}));
  sound.played.clear();
  frm->Slider1->setValue(2);
  EXPECT_EQ(frm->Label3->text(), "");
  frm->Slider1->setValue(3);
  EXPECT_EQ(frm->Label3->text(), "b.wav");
  frm->Slider1->setValue(1);
  EXPECT_EQ(Played(), (std::vector<int>{1, 1}));
}

TEST_F(EditingTest, ClearEmptiesTheFrameAndTheName) {
  frm->Slider1->setValue(2);
  ClickSound(0);  // "0", the first sound: a sound, unlike the empty text
  frm->Slider1->setValue(1);
  frm->Slider1->setValue(2);
  EXPECT_EQ(frm->Label3->text(), "a.wav");
  EXPECT_EQ(Played(), std::vector<int>{0});

  frm->Command5->click();
  EXPECT_EQ(frm->Label3->text(), "");
  EXPECT_EQ(state.SlideSoundTable[1], "");
  EXPECT_EQ(frm->File2->SelectedPosition(), 0);
  EXPECT_EQ(Played(), std::vector<int>{0});  // a playing sound is left alone
  frm->Slider1->setValue(1);
  frm->Slider1->setValue(2);
  EXPECT_EQ(Played(), std::vector<int>{0});

  frm->Label3->setText("-");
  frm->Command5->click();  // a frame without a sound
  EXPECT_EQ(frm->Label3->text(), "");
  EXPECT_EQ(state.SlideSoundTable, std::vector<std::string>(kSlides + 1));
}

TEST_F(EditingTest, AuditionPlaysTheSoundAndChangesNothing) {
  frm->Slider1->setValue(2);
  state.SlideSoundTable[1] = "0";
  frm->Label3->setText("x");
  DoubleClickSound(2);
  ASSERT_EQ(Played(), std::vector<int>{2});
  EXPECT_EQ(sound.played[0].data, state.SoundBank[2].data());
  EXPECT_EQ(sound.played[0].size, state.SoundBank[2].size());
  EXPECT_EQ(state.SlideSoundTable[1], "0");
  EXPECT_EQ(frm->Label3->text(), "x");
}

TEST_F(EditingTest, NoSelectionOrNoElementLeavesTheTableAlone) {
  MessageCatcher messages;
  frm->Label3->setText("x");
  frm->File2_Click();  // nothing selected
  frm->File2_DblClick();
  EXPECT_EQ(frm->Label3->text(), "x");
  EXPECT_EQ(state.SlideSoundTable, std::vector<std::string>(kSlides + 1));
  EXPECT_TRUE(sound.played.empty());

  state.SlideSoundTable = {"1", "1"};  // frame 4 owns no element
  frm->Slider1->setValue(4);
  ClickSound(2);
  EXPECT_EQ(frm->Label3->text(), "c.wav");  // the name is shown first
  frm->Command5->click();
  EXPECT_EQ(frm->Label3->text(), "");
  EXPECT_EQ(state.SlideSoundTable, (std::vector<std::string>{"1", "1"}));
  EXPECT_TRUE(messages.texts.isEmpty());
}

}  // namespace
}  // namespace kvarbon::testing
