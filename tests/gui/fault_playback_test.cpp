// SPDX-License-Identifier: GPL-3.0-or-later
// Playback under load: the show plays at 50 frames per second with repeat,
// through the real sound output, while every control is clicked, and an encode
// runs while it plays.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <cmath>
#include <functional>

#include "app/platform/sdl_sound_output.h"
#include "gui/fault_fixture.h"
#include "support/images.h"
#include "ui/frm_dialog.h"

namespace kvarbon::testing {
namespace {

// A 16-bit stereo tone of `frames` frames at 44.1 kHz.
Bytes ToneWav(std::size_t frames, double hertz) {
  Bytes wav = ToBytes("RIFF");
  const auto put = [&wav](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) wav.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFFU));
  };
  put(static_cast<std::uint32_t>(36 + frames * 4), 4);
  const ByteView rest = AsBytes("WAVEfmt ");
  wav.insert(wav.end(), rest.begin(), rest.end());
  for (const std::uint32_t value : {16U, 0x00020001U, 44100U, 44100U * 4, 0x00100004U}) put(value, 4);
  const ByteView data = AsBytes("data");
  wav.insert(wav.end(), data.begin(), data.end());
  put(static_cast<std::uint32_t>(frames * 4), 4);
  for (std::size_t i = 0; i < frames; ++i) {
    const auto sample =
        static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * hertz * static_cast<double>(i) / 44100));
    put(static_cast<std::uint16_t>(sample), 2);
    put(static_cast<std::uint16_t>(sample), 2);
  }
  return wav;
}

// Runs events until the playback clock has ticked `count` more times.
void WaitForTicks(const int& ticks, int count) {
  const int target = ticks + count;
  while (ticks < target) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

TEST(FaultPlayback, EveryControlWhilePlayingAndAnEncodeWhilePlaying) {
  // SDL's dummy driver: a real audio thread, no sound card.
  FaultShow show("show", std::make_unique<SdlSoundOutput>());
  const std::vector<QColor> colours = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
  for (int i = 0; i < 8; ++i) {
    const QColor colour = colours[static_cast<std::size_t>(i) % colours.size()];
    const std::string name = std::to_string(i + 1);
    if (i % 3 == 0) WriteFile(show.work / "pic" / (name + ".bmp"), SolidBmp(380 + i * 5, 280, colour));
    if (i % 3 == 1) WriteFile(show.work / "pic" / (name + ".jpg"), SolidJpeg(200, 400, colour));
    if (i % 3 == 2) WriteFile(show.work / "pic" / (name + ".gif"), SolidGif(30 + i, 20, colour));
  }
  for (int i = 0; i < 4; ++i) {
    WriteFile(show.work / "snd" / ("tone " + std::to_string(i) + ".wav"),
              ToneWav(2000 + i * 4000, 220.0 * (i + 1)));
  }
  show.Start();
  ASSERT_EQ(show.Load(), QStringList());
  FrmMain& w = *show.frm;

  // Sounds on every frame but the fifth.
  for (int frame = 1; frame <= 8; ++frame) {
    w.Slider1->setValue(frame);
    if (frame != 5) show.ClickSound(frame % 4);
  }
  w.Check1->click();
  w.VScroll1->setValue(50);
  ASSERT_EQ(w.Label5->text(), "50");
  ASSERT_EQ(show.state.FrameInterval, 20);
  int ticks = 0;
  QObject::connect(w.Timer1, &QTimer::timeout, [&ticks] { ++ticks; });
  w.Command2->click();
  ASSERT_EQ(w.Command2->text(), "||");

  // Each action leaves the clock playing, so that ticks keep coming.
  const std::vector<std::pair<const char*, std::function<void()>>> actions = {
      {"step forward", [&] { w.Command4[0]->click(); }},
      {"step back", [&] { w.Command4[1]->click(); }},
      {"pause and play",
       [&] {
         w.Command2->click();
         w.Command2->click();
       }},
      {"stop and play",
       [&] {
         w.Command6->click();
         w.Command2->click();
       }},
      {"clear the frame", [&] { w.Command5->click(); }},
      {"assign a sound", [&] { show.ClickSound(ticks % 4); }},
      {"audition",
       [&] {
         w.File2->setCurrentRow(ticks % 4);
         emit w.File2->itemDoubleClicked(w.File2->currentItem());
       }},
      {"speed down and up",
       [&] {
         w.VScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
         w.VScroll1->triggerAction(QAbstractSlider::SliderSingleStepSub);
       }},
      {"drag the slider",
       [&] {
         w.Slider1->setSliderDown(true);
         w.Slider1->setSliderPosition(1 + ticks % 8);
         w.Slider1->setSliderDown(false);
       }},
      {"repeat off and on",
       [&] {
         w.Check1->click();
         w.Check1->click();
       }},
      {"load slides again (disabled)", [&] { w.Command3->click(); }},
  };
  for (int round = 0; round < 4; ++round) {
    for (const auto& [name, action] : actions) {
      SCOPED_TRACE(name);
      action();
      WaitForTicks(ticks, 2);
      ASSERT_TRUE(w.Timer1->isActive());
      ASSERT_EQ(w.Command2->text(), "||");
      ASSERT_EQ(w.Label2->text(), QString::number(w.Slider1->value()));
      ASSERT_GE(show.state.CurrentFrame, 0);
      ASSERT_LE(show.state.CurrentFrame, 8);
    }
  }
  EXPECT_EQ(w.Label5->text(), "50");
  EXPECT_EQ(show.state.FrameInterval, 20);

  // The encode while playing. The clock runs at its fastest, so every
  // processing of events inside the encode runs ticks; once the progress
  // window has gone (the sounds are gathered) each tick also edits the
  // assignments, which must not reach the container: it holds the list
  // written when the encode started.
  const std::vector<std::string> atStart = show.state.SlideSoundTable;
  const Bytes expected = show.ExpectedContainer(atStart);
  w.Timer1->setInterval(0);
  int ticksInEncode = 0;
  int editsWhileGathering = 0;
  bool encoding = true;
  bool progressShown = false;
  QObject::connect(w.Timer1, &QTimer::timeout, [&] {
    if (!encoding) return;
    ++ticksInEncode;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr) {
      progressShown = progressShown || qobject_cast<FrmDialog*>(modal) != nullptr;
    } else if (progressShown) {
      ++editsWhileGathering;
      show.ClickSound(ticksInEncode % 4);
      w.Command1->click();  // disabled while the encode runs
    }
  });
  const QStringList messages = show.Encode();
  encoding = false;
  EXPECT_EQ(messages, QStringList({"Кодирование завершено успешно."}));
  EXPECT_TRUE(progressShown);
  EXPECT_GT(editsWhileGathering, 0);
  EXPECT_EQ(ReadFile(show.work / "Dest.zel"), expected);
  EXPECT_TRUE(show.Leftovers().empty());
  EXPECT_FALSE(w.Command1->isEnabled());
  EXPECT_TRUE(w.Timer1->isActive());

  w.Command6->click();
  EXPECT_FALSE(w.Timer1->isActive());
}

}  // namespace
}  // namespace kvarbon::testing
