// SPDX-License-Identifier: GPL-3.0-or-later
// zel-play: the shared state filled from a container, the window driven by
// its keys, and where its errors are shown.

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <string>

#include "play/core/play_state.h"
#include "play/error_box.h"
#include "play/play_window.h"
#include "support/images.h"
#include "support/media_samples.h"
#include "support/recording_sound_output.h"

namespace kvarbon {
namespace {

using testing::Put;

// Two sounds and three slides: red, green, blue.
Bytes Show(std::string_view speed, std::string_view ini) {
  return testing::ZelContainer(speed, ini, {testing::Wav("\x80\x90"), testing::Wav("\x70")},
                               {testing::SolidBmp(16, 8, Qt::red), testing::SolidBmp(16, 8, Qt::green),
                                testing::SolidBmp(16, 8, Qt::blue)});
}

TEST(PlayState, TheTablesAreFilledAsTheAuthoringToolHoldsThem) {
  const Bytes show = Show("20", "1=1;3=0;9=0;");
  const ContainerContents contents = ReadContainer(show);
  SharedState state;
  ASSERT_EQ(FillSharedState(MemoryPayloads(show), contents, state), std::nullopt);
  EXPECT_EQ(state.FrameInterval, 20);
  EXPECT_EQ(state.SlideSoundTable, (std::vector<std::string>{"1", "", "0", ""}));
  ASSERT_EQ(state.SoundBank.size(), 3u);
  EXPECT_EQ(state.SoundBank[1], testing::Wav("\x70"));
  EXPECT_TRUE(state.SoundBank[2].empty());

  const Bytes stalled = Show("0", "");
  const std::optional<std::string> problem = FillSharedState(MemoryPayloads(stalled), ReadContainer(stalled), state);
  ASSERT_TRUE(problem);
  EXPECT_NE(problem->find("offset 5"), std::string::npos) << *problem;
}

void Press(QWidget& window, int key) {
  QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(&window, &event);
}

void RunFor(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST(PlayWindow, PlaysOnceAndTheKeysPauseStepRewindAndClose) {
  const Bytes show = Show("20", "1=1;3=0;");
  const ContainerContents contents = ReadContainer(show);
  SharedState state;
  const MemoryPayloads payloads(show);
  ASSERT_EQ(FillSharedState(payloads, contents, state), std::nullopt);
  testing::RecordingSoundOutput sound;
  PlayWindow window(payloads, contents, state, sound, "show.zel");
  window.show();

  // Frame 1 and its sound at once.
  window.PlayFromStart();
  EXPECT_EQ(window.FrameShown(), 1);
  ASSERT_FALSE(sound.played.empty());
  EXPECT_EQ(sound.played.back().data, state.SoundBank[1].data());

  // Once through: the last frame stays, and its sound was the last to start.
  RunFor(200);
  EXPECT_EQ(window.FrameShown(), 3);
  EXPECT_EQ(sound.played.size(), 2u);
  EXPECT_EQ(sound.played.back().data, state.SoundBank[0].data());
  RunFor(60);
  EXPECT_EQ(sound.played.size(), 2u);  // no further ticks

  // Space at the end plays again from frame 1; Space again pauses.
  Press(window, Qt::Key_Space);
  EXPECT_EQ(window.FrameShown(), 1);
  EXPECT_EQ(sound.played.back().data, state.SoundBank[1].data());
  Press(window, Qt::Key_Space);
  const int paused = window.FrameShown();
  RunFor(60);
  EXPECT_EQ(window.FrameShown(), paused);

  Press(window, Qt::Key_Home);
  EXPECT_EQ(window.FrameShown(), 1);
  Press(window, Qt::Key_Right);
  Press(window, Qt::Key_Right);
  Press(window, Qt::Key_Right);  // stays on the last frame
  EXPECT_EQ(window.FrameShown(), 3);
  Press(window, Qt::Key_Left);
  EXPECT_EQ(window.FrameShown(), 2);

  Press(window, Qt::Key_F11);
  EXPECT_TRUE(window.windowState() & Qt::WindowFullScreen);
  Press(window, Qt::Key_Escape);
  EXPECT_FALSE(window.windowState() & Qt::WindowFullScreen);
  EXPECT_TRUE(window.isVisible());
  Press(window, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
}

TEST(ZelPlay, ErrorsGoToAMessageBoxOnlyWhenStandardErrorIsNoTerminal) {
  int terminal = -1;
  int terminalSide = -1;
  ASSERT_EQ(openpty(&terminal, &terminalSide, nullptr, nullptr, nullptr), 0);
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  EXPECT_FALSE(ErrorBoxWanted(terminalSide, "xcb"));
  EXPECT_TRUE(ErrorBoxWanted(pipeEnds[1], "xcb"));
  EXPECT_FALSE(ErrorBoxWanted(pipeEnds[1], "offscreen"));
  for (const int fd : {terminal, terminalSide, pipeEnds[0], pipeEnds[1]}) close(fd);
}

}  // namespace
}  // namespace kvarbon
