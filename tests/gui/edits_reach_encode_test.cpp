// SPDX-License-Identifier: GPL-3.0-or-later
// What the user does in the preview is what the next encode writes.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

#include "support/gui_fixture.h"
#include "support/images.h"
#include "ui/file_list_box.h"

namespace kvarbon {
namespace {

using testing::MessageCatcher;
using testing::ReadFile;
using testing::ShowFixture;
using testing::SolidBmp;
using testing::WriteFile;

void ClickSound(FrmMain& w, int position) {
  w.File2->setCurrentRow(position);
  emit w.File2->itemClicked(w.File2->item(position));
}

TEST(EditsReachEncode, AssignmentsInNumericFrameOrderAndTheChosenRate) {
  ShowFixture show;
  for (int i = 1; i <= 11; ++i) {
    WriteFile(show.dir / "pic" / (std::to_string(i) + ".bmp"), SolidBmp(4, 3, QColor(i * 20, 0, 0)));
  }
  WriteFile(show.dir / "snd" / "a.wav", "A");
  WriteFile(show.dir / "snd" / "b.wav", "BB");
  show.Start();
  FrmMain& w = *show.frmMain;
  w.Command3->click();

  w.Slider1->setValue(10);
  ClickSound(w, 1);
  w.Slider1->setValue(2);
  ClickSound(w, 1);
  ClickSound(w, 0);  // replaces the first choice
  w.Slider1->setValue(5);
  ClickSound(w, 1);
  w.Command5->click();  // and cleared again
  w.Slider1->setValue(11);
  ClickSound(w, 0);
  w.File2->setCurrentRow(1);
  emit w.File2->itemDoubleClicked(w.File2->item(1));  // an audition changes nothing
  w.VScroll1->setValue(10);

  MessageCatcher messages;
  w.Command1->click();
  ASSERT_EQ(messages.texts, QStringList({"Кодирование завершено успешно."}));
  EXPECT_EQ(ReadFile(show.dir / "sound.ini"), ToBytes("2=0\r\n10=1\r\n11=0\r\n"));
  const Bytes container = ReadFile(show.dir / "Dest.zel");
  EXPECT_EQ(AsText(container).substr(0, 35), "speed100\\speedini2=0;10=1;11=0;\\ini");
  EXPECT_NE(AsText(container).find("soundA-|-BB-|-\\soundvideo"), std::string_view::npos);
}

}  // namespace
}  // namespace kvarbon
