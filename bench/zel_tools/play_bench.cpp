// SPDX-License-Identifier: GPL-3.0-or-later
// zel-play-bench: plays a generated show of 500 JPEG slides of 1280 x 720 at
// 50 frames per second in the player's window (offscreen, with the real SDL
// sound output) and prints how late each frame was shown against its time
// and how much memory the process held while playing.
//
//   zel-play-bench WORKDIR [--full-hd]

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/core/file_io.h"
#include "app/platform/sdl_sound_output.h"
#include "play/core/play_state.h"
#include "show/core/show_file.h"
#include "play/play_window.h"
#include "zel_tools/generated_show.h"

namespace {

namespace fs = std::filesystem;
using BenchClock = std::chrono::steady_clock;
using namespace kvarbon::bench;

constexpr int kFrames = 500;
constexpr int kInterval = 20;
constexpr int kDistinctSlides = 50;

// A kB figure from /proc/self/status ("VmRSS", "RssAnon", ...).
long StatusKb(const std::string& key) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(key + ":", 0) == 0) return std::atol(line.c_str() + key.size() + 1);
  }
  return -1;
}

// The player's window, noting when each frame is shown and the memory then.
class TimedWindow : public kvarbon::PlayWindow {
 public:
  using PlayWindow::PlayWindow;
  void DrawFrame(int frame) override {
    const auto start = BenchClock::now();
    PlayWindow::DrawFrame(frame);
    shown.push_back({frame, BenchClock::now()});
    busyMs += std::chrono::duration<double, std::milli>(shown.back().at - start).count();
    peakAnonKb = std::max(peakAnonKb, StatusKb("RssAnon"));
  }
  struct Shown {
    int frame;
    BenchClock::time_point at;
  };
  std::vector<Shown> shown;
  long peakAnonKb = 0;
  double busyMs = 0;  // inside DrawFrame
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: zel-play-bench WORKDIR [--full-hd]\n");
    return 2;
  }
  const bool fullHd = argc >= 3 && std::string(argv[2]) == "--full-hd";
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (std::getenv("SDL_AUDIODRIVER") == nullptr) ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  QApplication app(argc, argv);
  const fs::path show = fs::path(argv[1]) / "play-bench.zel";
  {
    std::vector<kvarbon::Bytes> slides;
    std::mt19937 random(50);
    for (int i = 0; i < kDistinctSlides; ++i) slides.push_back(Slide(i, random));
    kvarbon::Bytes container;
    Put(container, "speed" + std::to_string(kInterval) + "\\speedini");
    for (int frame = 1; frame <= kFrames; frame += 25) Put(container, std::to_string(frame) + "=0;");
    Put(container, "\\inisound");
    const kvarbon::Bytes wav = Wav(SoundSamples(1));
    container.insert(container.end(), wav.begin(), wav.end());
    Put(container, "-|-\\soundvideo");
    for (int frame = 0; frame < kFrames; ++frame) {
      const kvarbon::Bytes& slide = slides[static_cast<std::size_t>(frame % kDistinctSlides)];
      container.insert(container.end(), slide.begin(), slide.end());
      Put(container, "-|-");
    }
    Put(container, "\\video");
    kvarbon::WriteWholeFile(show, container);
    std::printf("show: %d slides of 1280 x 720 JPEG, %.0f MB, %d ms per frame\n", kFrames,
                static_cast<double>(container.size()) / 1e6, kInterval);
  }
  const long anonBeforeKb = StatusKb("RssAnon");
  {
    const kvarbon::ShowFile file(show);
    const kvarbon::ContainerContents contents = file.ReadStructure();
    kvarbon::SharedState state;
    if (contents.error || kvarbon::FillSharedState(file, contents, state)) return 1;
    kvarbon::SdlSoundOutput sound;
    TimedWindow window(file, contents, state, sound, "play-bench.zel");
    // With --full-hd the picture is scaled up to 1920 x 1080, as full screen on such a display.
    if (fullHd) window.resize(1920, 1080 + 24);
    window.show();
    QApplication::processEvents();
    window.PlayFromStart();
    QTimer::singleShot(kFrames * kInterval + 2000, &app, &QApplication::quit);
    QApplication::exec();
    // Frames 1 .. kFrames of the pass: frame k is due (k - 1) * T after frame 1.
    std::vector<double> lateMs;
    for (std::size_t i = 0; i < window.shown.size() && i < static_cast<std::size_t>(kFrames); ++i) {
      const auto due = window.shown.front().at + std::chrono::milliseconds((window.shown[i].frame - 1) * kInterval);
      lateMs.push_back(std::chrono::duration<double, std::milli>(window.shown[i].at - due).count());
    }
    std::vector<double> sorted = lateMs;
    std::sort(sorted.begin(), sorted.end());
    const double worst = std::max(std::abs(sorted.front()), std::abs(sorted.back()));
    const std::size_t over = static_cast<std::size_t>(
        std::count_if(lateMs.begin(), lateMs.end(), [](double ms) { return std::abs(ms) > 5; }));
    std::printf(
        "%s frame times: %zu of %d frames shown, worst %.2f ms off (median %.2f, 99th percentile %.2f), "
        "%zu beyond 5 ms; target every frame within 5 ms\n",
        worst <= 5 && lateMs.size() == kFrames ? "PASS" : "FAIL", lateMs.size(), kFrames, worst,
        sorted[sorted.size() / 2], sorted[sorted.size() * 99 / 100], over);
    std::printf("     showing a frame took %.1f ms on average\n",
                window.busyMs / static_cast<double>(window.shown.size()));
    std::printf(
        "     memory: private memory grew by %.1f MB while playing (peak %.1f MB); one decoded slide is "
        "%.1f MB, the show %.0f MB\n",
        static_cast<double>(window.peakAnonKb - anonBeforeKb) / 1024, static_cast<double>(window.peakAnonKb) / 1024,
        1280.0 * 720 * 4 / 1e6 / 1.048576, static_cast<double>(fs::file_size(show)) / 1048576);
  }
  fs::remove(show);
  return 0;
}
