// SPDX-License-Identifier: GPL-3.0-or-later
// The soak: a show plays with repeat at 50 frames per second through the real
// sound output for a long time, and its resident memory must stay flat after
// the first minute, with nothing printed. A long check, not part of the suite:
// run it with scripts/soak.sh, which sets
//   KVARBON_SOAK_SHOW     the working directory of the show (e.g. demo/)
//   KVARBON_SOAK_SECONDS  how long to play (default 1200)
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/platform/sdl_sound_output.h"
#include "support/gui_fixture.h"
#include "ui/file_list_box.h"

namespace kvarbon::testing {
namespace {

long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Sends the process's stderr to a file while it lives, and gives back what was written.
class StderrCapture {
 public:
  explicit StderrCapture(std::filesystem::path file) : file_(std::move(file)) {
    std::fflush(stderr);
    saved_ = ::dup(2);
    std::FILE* sink = std::fopen(file_.c_str(), "w");
    ::dup2(::fileno(sink), 2);
    std::fclose(sink);
  }
  ~StderrCapture() { Stop(); }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  std::string Stop() {
    if (saved_ >= 0) {
      std::fflush(stderr);
      ::dup2(saved_, 2);
      ::close(saved_);
      saved_ = -1;
    }
    const Bytes written = ReadFile(file_);
    return std::string(AsText(written));
  }

 private:
  std::filesystem::path file_;
  int saved_ = -1;
};

// Qt's warnings since the handler below was installed (a plain function must count them).
std::atomic<int>& QtWarnings() {
  static std::atomic<int> count{0};
  return count;
}

TEST(Soak, ShowPlaysWithRepeatAtFiftyFramesPerSecond) {
  const char* showDir = std::getenv("KVARBON_SOAK_SHOW");
  if (showDir == nullptr) GTEST_SKIP() << "set KVARBON_SOAK_SHOW to the show's working directory";
  const char* secondsText = std::getenv("KVARBON_SOAK_SECONDS");
  const long seconds = secondsText != nullptr ? std::atol(secondsText) : 1200;
  constexpr long kSettleSeconds = 60;
  constexpr long kSampleSeconds = 10;

  SharedState state;
  SdlSoundOutput audio;
  ASSERT_TRUE(audio.HasDevice());
  SlideStore slides;
  FrmMain w(state, audio, slides, showDir);
  std::vector<int> ended;
  w.EndProcess = [&ended](int status) { ended.push_back(status); };
  w.Form_Load();
  w.show();
  {
    MessageCatcher messages;
    w.Command3->click();
    ASSERT_TRUE(messages.texts.isEmpty()) << messages.texts.join("\n").toStdString();
  }
  ASSERT_TRUE(ended.empty());
  const int frames = w.Slider1->maximum();
  const int sounds = w.File2->count();
  ASSERT_GT(sounds, 0);
  // A sound on every frame, through the list.
  for (int frame = 1; frame <= frames; ++frame) {
    w.Slider1->setValue(frame);
    w.File2->setCurrentRow((frame - 1) % sounds);
    emit w.File2->itemClicked(w.File2->currentItem());
  }
  w.Check1->click();
  w.VScroll1->setValue(50);
  ASSERT_EQ(state.FrameInterval, 20);

  TempDir scratch;
  StderrCapture captured(scratch / "stderr.txt");
  QtWarnings() = 0;
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString&) {
        if (type != QtDebugMsg && type != QtInfoMsg) ++QtWarnings();
      });

  long ticks = 0;
  QObject::connect(w.Timer1, &QTimer::timeout, [&ticks] { ++ticks; });
  struct Sample {
    long second;
    long residentKiB;
    long ticks;
  };
  std::vector<Sample> samples;
  const auto start = std::chrono::steady_clock::now();
  const auto elapsed = [&start] {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
  };
  QTimer sampler;
  sampler.setInterval(static_cast<int>(kSampleSeconds * 1000));
  QObject::connect(&sampler, &QTimer::timeout, [&] { samples.push_back({elapsed(), ResidentKiB(), ticks}); });
  samples.push_back({0, ResidentKiB(), 0});
  sampler.start();
  w.Command2->click();
  while (elapsed() < seconds) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  w.Command6->click();
  sampler.stop();
  samples.push_back({elapsed(), ResidentKiB(), ticks});

  qInstallMessageHandler(previous);
  const std::string printed = captured.Stop();

  // The figures, one line a minute and the last.
  std::printf("%8s %14s %10s %12s\n", "second", "resident KiB", "ticks", "ticks/s");
  long lastPrinted = -kSettleSeconds;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const Sample& s = samples[i];
    if (s.second - lastPrinted < kSettleSeconds && i + 1 != samples.size()) continue;
    lastPrinted = s.second;
    std::printf("%8ld %14ld %10ld %12.1f\n", s.second, s.residentKiB, s.ticks,
                s.second > 0 ? static_cast<double>(s.ticks) / static_cast<double>(s.second) : 0.0);
  }
  long settled = -1;
  long highest = 0;
  for (const Sample& s : samples) {
    if (s.second < kSettleSeconds) continue;
    if (settled < 0) settled = s.residentKiB;
    highest = std::max(highest, s.residentKiB);
  }
  ASSERT_GE(settled, 0) << "the soak must run longer than a minute";
  std::printf("resident after the first minute: %ld KiB; highest later: %ld KiB; growth: %ld KiB\n", settled,
              highest, highest - settled);

  constexpr long kAllowedGrowthKiB = 1024;
  EXPECT_LE(highest - settled, kAllowedGrowthKiB);
  EXPECT_EQ(printed, "");
  EXPECT_EQ(QtWarnings(), 0);
  EXPECT_TRUE(ended.empty());
}

}  // namespace
}  // namespace kvarbon::testing
