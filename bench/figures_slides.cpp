// SPDX-License-Identifier: GPL-3.0-or-later
// The figures of the slides: loading them, painting a frame, playing them.
#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QMetaObject>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>
#include <thread>

#include "app/core/file_io.h"
#include "bench/figures.h"
#include "ui/display_surface.h"

namespace kvarbon::bench {

namespace fs = std::filesystem;

namespace {

constexpr int kSlides = 100;
constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// The baseline: every file read and decoded whole, one after another, by the same reader.
void DecodeAllFully(const fs::path& pic) {
  for (int i = 1; i <= kSlides; ++i) {
    DecodeWhole(ReadWholeFile(pic / NumberedJpegName(i, 3)), kWidth, kHeight);
  }
}

// Timer events of one object, as they arrive, before the object handles them.
class TickRecorder : public QObject {
 public:
  TickRecorder(QObject* timer, int wanted, std::function<void()> onLast)
      : wanted_(wanted), onLast_(std::move(onLast)) {
    timer->installEventFilter(this);
  }
  std::vector<Clock::time_point> ticks;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Timer && static_cast<int>(ticks.size()) < wanted_) {
      ticks.push_back(Clock::now());
      if (static_cast<int>(ticks.size()) == wanted_) QMetaObject::invokeMethod(this, onLast_, Qt::QueuedConnection);
    }
    return false;
  }

 private:
  int wanted_;
  std::function<void()> onLast_;
};

}  // namespace

Figure LoadingFigure(const Context& context, std::unique_ptr<Show>& loaded) {
  const fs::path dir = context.work / "loading";
  std::fprintf(stderr, "loading: writing %d JPEG slides of %d x %d\n", kSlides, kWidth, kHeight);
  fs::create_directories(dir / "pic");
  fs::create_directories(dir / "snd");
  WriteCameraJpegs(dir / "pic", kSlides, 3, 4000, kWidth, kHeight);
  WriteWholeFile(dir / "snd" / "a.wav", NoiseWav(44100 * 4, 5000));
  std::uint64_t fileBytes = 0;
  for (int i = 1; i <= kSlides; ++i) fileBytes += FileLength(dir / "pic" / NumberedJpegName(i, 3));

  TimeShell("cat pic/* > /dev/null", dir);  // warm
  DecodeAllFully(dir / "pic");               // warm the decoder too
  MessageWatch messages;
  std::vector<double> loadTimes, fullTimes, retainedPerSlide, faults, loadCpuTimes, fullCpuTimes;
  double keptPerSlide = 0;
  for (int round = 0; round < context.rounds; ++round) {
    const Clock::time_point fullStart = Clock::now();
    const double fullCpu = CpuSeconds();
    DecodeAllFully(dir / "pic");
    fullTimes.push_back(SecondsBetween(fullStart, Clock::now()));
    fullCpuTimes.push_back(CpuSeconds() - fullCpu);

    loaded.reset();
    auto show = std::make_unique<Show>(dir, *context.sound);
    show->window->Form_Load();
    show->window->show();
    QCoreApplication::processEvents();
    const std::uint64_t before = TrimmedResidentBytes();
    const long faultsBefore = MinorFaults();
    const double cpuBefore = CpuSeconds();
    const Clock::time_point start = Clock::now();
    show->window->Command3->click();
    const Clock::time_point end = Clock::now();
    loadCpuTimes.push_back(CpuSeconds() - cpuBefore);
    faults.push_back(static_cast<double>(MinorFaults() - faultsBefore));
    const std::uint64_t after = ResidentBytes();
    if (messages.count != 0 || show->window->Slides().Size() != kSlides + 1) {
      throw std::runtime_error("loading failed: " + messages.text.toStdString());
    }
    loadTimes.push_back(SecondsBetween(start, end));
    retainedPerSlide.push_back(static_cast<double>(after - before) / kSlides);
    keptPerSlide = static_cast<double>(show->window->Slides().PackedBytes()) / kSlides;
    loaded = std::move(show);
  }

  const double load = Median(loadTimes), full = Median(fullTimes);
  const double ratio = load / full;
  const double retained = Median(retainedPerSlide) / (1024.0 * 1024.0);
  return {"loading",
          Format("kvarbon %.2f s | ", load) + Format("full decode %.2f s", full) +
              Format(" | %.1f MiB of JPEG; per slide: ", static_cast<double>(fileBytes) / (1024.0 * 1024.0)) +
              Format("%.2f MiB resident, ", retained) + Format("%.3f MiB packed", keptPerSlide / (1024.0 * 1024.0)) +
              Format("; %.0f page faults", Median(faults)) + Format("; processor time %.2f s", Median(loadCpuTimes)) +
              Format(" against %.2f s", Median(fullCpuTimes)),
          Format("ratio %.2f, ", ratio) + Format("%.2f MiB/slide", retained), "<= 0.6, <= 1 MiB",
          ratio <= 0.6 && retained <= 1.0};
}

// The loaded show: frames of 4000 x 3000 slides on the 400 x 300 display,
// every other one with a sound.
Figure PaintFigure(Show& loaded) {
  FrmMain& w = *loaded.window;
  // Assigned as a char: GCC 12 misreports assigning the literal "0" (-Wrestrict).
  for (std::size_t k = 0; k + 1 < loaded.state.SlideSoundTable.size(); k += 2) loaded.state.SlideSoundTable[k] = '0';
  const int frames = static_cast<int>(w.Slides().Size()) - 1;
  const int calls = 3000;
  std::vector<double> paint, whole;
  for (int k = 0; k < calls; ++k) {
    const int frame = 1 + (k * 37) % frames;
    {
      const QSignalBlocker quiet(w.Slider1);
      w.Slider1->setValue(frame);
    }
    const Clock::time_point start = Clock::now();
    w.PaintFrame();
    paint.push_back(SecondsBetween(start, Clock::now()) * 1000.0);
  }
  // The same frames through the slider, with the label and the repaint of the window.
  for (int k = 0; k < calls / 3; ++k) {
    const int frame = 1 + (k * 37) % frames;
    const Clock::time_point start = Clock::now();
    w.Slider1->setValue(frame == w.Slider1->value() ? frame % frames + 1 : frame);
    QCoreApplication::processEvents();
    whole.push_back(SecondsBetween(start, Clock::now()) * 1000.0);
  }
  const double median = Median(paint);
  return {"paint",
          Format("PaintFrame median of %.0f calls", calls) +
              Format(" (slider change with label and window repaint: %.3f ms)", Median(whole)),
          Format("median %.3f ms", median), "<= 1 ms", median <= 1.0};
}

// 500 frames at 50 frames per second, through the real clock.
Figure PlaybackFigure(Show& loaded) {
  constexpr int kFrames = 500;
  FrmMain& w = *loaded.window;
  const int slides = static_cast<int>(w.Slides().Size()) - 1;
  for (int i = slides + 1; i <= kFrames; ++i) w.Slides().Add(*w.Slides().Fetch(static_cast<std::size_t>((i - 1) % slides + 1)));
  loaded.state.SlideSoundTable.assign(kFrames + 1, std::string());
  for (std::size_t k = 0; k < kFrames; k += 10) loaded.state.SlideSoundTable[k] = '0';
  w.Slider1->setMaximum(kFrames);
  w.Command6_Click();          // frame 1, clock at 0
  w.VScroll1->setValue(50);    // 50 frames per second
  if (loaded.state.FrameInterval != 20) throw std::runtime_error("the speed selector did not set 20 ms");
  QCoreApplication::processEvents();

  QEventLoop loop;
  TickRecorder recorder(w.Timer1, kFrames, [&] {
    w.Command2_Click();  // pause after the last frame
    loop.quit();
  });
  const Clock::time_point start = Clock::now();
  w.Command2_Click();  // play
  loop.exec();
  if (static_cast<int>(recorder.ticks.size()) != kFrames || w.State().CurrentFrame != kFrames) {
    throw std::runtime_error("playback did not reach the last frame");
  }
  std::vector<double> deviations;
  for (int k = 1; k <= kFrames; ++k) {
    const double ideal = k * 0.020;
    deviations.push_back(std::abs(SecondsBetween(start, recorder.ticks[static_cast<std::size_t>(k - 1)]) - ideal) * 1000.0);
  }
  const double total = SecondsBetween(start, recorder.ticks.back());
  const double error = std::abs(total / 10.0 - 1.0) * 100.0;
  const double median = Median(deviations);
  const double worst = *std::max_element(deviations.begin(), deviations.end());
  return {"playback",
          Format("%.3f s for 500 frames against 10 s", total) + Format("; worst tick %.2f ms off", worst),
          Format("total %.2f %%, ", error) + Format("median tick %.2f ms", median), "<= 1 %, <= 2 ms",
          error <= 1.0 && median <= 2.0};
}

}  // namespace kvarbon::bench
