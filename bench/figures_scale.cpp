// SPDX-License-Identifier: GPL-3.0-or-later
// The preview at the format's scale: shows of thousands of 1920 x 1080
// camera-like JPEGs, loaded and played through the window. Uses the window's
// controls only, so the same figure measures any version of the tool.
#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <unistd.h>

#include "app/core/file_io.h"
#include "bench/figures.h"
#include "ui/display_surface.h"

namespace kvarbon::bench {

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
// Distinct pictures; a longer show repeats them (hard links), which costs the
// loader the same as new files of the same kind.
constexpr int kDistinct = 250;

// RssAnon and RssFile of this process, in bytes.
struct Resident {
  double anon = 0;
  double file = 0;
};
Resident ResidentNow() {
  Resident resident;
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("RssAnon:", 0) == 0) resident.anon = std::stod(line.substr(8)) * 1024;
    if (line.rfind("RssFile:", 0) == 0) resident.file = std::stod(line.substr(8)) * 1024;
  }
  return resident;
}

// The bytes of this process's slide cache files (named with its process id).
double CacheFileBytes(const fs::path& folder) {
  const std::string pid = std::to_string(::getpid());
  double bytes = 0;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename();
    if (name.find("-" + pid + "-") != std::string::npos) bytes += static_cast<double>(it->file_size(error));
  }
  return bytes;
}

// One full single-thread decode: the median seconds over the distinct
// pictures, and the mean processor seconds.
struct FullDecode {
  double seconds = 0;
  double cpu = 0;
};
FullDecode FullDecodeSeconds(const fs::path& frames) {
  std::vector<double> times;
  const double cpuStart = CpuSeconds();
  for (int i = 1; i <= kDistinct; ++i) {
    const Clock::time_point start = Clock::now();
    DecodeWhole(ReadWholeFile(frames / NumberedJpegName(i, 5)), kWidth, kHeight);
    times.push_back(SecondsBetween(start, Clock::now()));
  }
  return {Median(times), (CpuSeconds() - cpuStart) / kDistinct};
}

double Percentile(std::vector<double> values, double share) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

constexpr double kMiB = 1024.0 * 1024.0;

}  // namespace

Bytes CameraJpeg(std::uint64_t seed, int kWidth, int kHeight) {
  Rng rng(seed);
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  std::array<std::vector<double>, 3> columns, rows;
  for (int c = 0; c < 3; ++c) {
    const double fx = 0.002 + 0.01 * (rng.Below(1000) / 1000.0);
    const double fy = 0.002 + 0.01 * (rng.Below(1000) / 1000.0);
    const double px = rng.Below(6283) / 1000.0, py = rng.Below(6283) / 1000.0;
    columns[c].resize(kWidth);
    rows[c].resize(kHeight);
    for (int x = 0; x < kWidth; ++x) columns[c][x] = 60.0 * std::sin(fx * x + px);
    for (int y = 0; y < kHeight; ++y) rows[c][y] = 40.0 * std::sin(fy * y + py);
  }
  for (int y = 0; y < kHeight; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < kWidth; x += 2) {
      const std::uint64_t noise = rng.Next();
      for (int dx = 0; dx < 2 && x + dx < kWidth; ++dx) {
        int rgb[3];
        for (int c = 0; c < 3; ++c) {
          const int grain = static_cast<int>((noise >> (dx * 24 + c * 8)) & 0x1F) - 16;
          rgb[c] = std::clamp(static_cast<int>(128 + columns[c][x + dx] + rows[c][y]) + grain, 0, 255);
        }
        line[x + dx] = qRgb(rgb[0], rgb[1], rgb[2]);
      }
    }
  }
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setQuality(90);
  if (!writer.write(image)) throw std::runtime_error("cannot encode a JPEG");
  const auto* begin = reinterpret_cast<const std::byte*>(data.constData());
  return Bytes(begin, begin + data.size());
}

void WriteCameraJpegs(const fs::path& folder, int count, int digits, std::uint64_t seed, int width, int height) {
  // Each picture depends only on its own seed.
  std::vector<std::thread> writers;
  std::vector<std::exception_ptr> failures(2);
  for (int w = 0; w < 2; ++w) {
    writers.emplace_back([&, w] {
      try {
        for (int i = 1 + w; i <= count; i += 2) {
          WriteWholeFile(folder / NumberedJpegName(i, digits),
                         CameraJpeg(seed + static_cast<std::uint64_t>(i), width, height));
        }
      } catch (...) {
        failures[static_cast<std::size_t>(w)] = std::current_exception();
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

void DecodeWhole(const Bytes& file, int width, int height) {
  QByteArray data =
      QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(false);
  const QImage picture = reader.read();
  if (picture.size() != QSize(width, height)) throw std::runtime_error("baseline decode failed");
}

void WriteScaleFrames(const Context& context) {
  const fs::path frames = context.work / "frames";
  if (fs::exists(frames)) return;
  std::fprintf(stderr, "scale: writing %d JPEG slides of %d x %d\n", kDistinct, kWidth, kHeight);
  fs::create_directories(frames);
  WriteCameraJpegs(frames, kDistinct, 5, 9000, kWidth, kHeight);
}

std::vector<Figure> ScaleFigures(const Context& context, int slides, bool play) {
  WriteScaleFrames(context);
  const fs::path frames = context.work / "frames";
  const fs::path dir = context.work / ("scale" + std::to_string(slides));
  fs::create_directories(dir / "pic");
  fs::create_directories(dir / "snd");
  for (int i = 1; i <= slides; ++i) {
    fs::create_hard_link(frames / NumberedJpegName((i - 1) % kDistinct + 1, 5), dir / "pic" / NumberedJpegName(i, 5));
  }
  WriteWholeFile(dir / "snd" / "a.wav", NoiseWav(44100 * 4, 5000));
  const fs::path cacheFolder = context.work / "cache" / "kvarbon";
  ::setenv("XDG_CACHE_HOME", (context.work / "cache").c_str(), 1);

  TimeShell("cat frames/* > /dev/null", context.work);  // warm
  const FullDecode fullBefore = FullDecodeSeconds(frames);
  Settle();

  MessageWatch messages;
  auto show = std::make_unique<Show>(dir, *context.sound);
  FrmMain& w = *show->window;
  w.Form_Load();
  w.show();
  QCoreApplication::processEvents();
  TrimmedResidentBytes();
  const Resident before = ResidentNow();
  const double cpuStart = CpuSeconds();
  const Clock::time_point start = Clock::now();
  w.Command3->click();
  const double load = SecondsBetween(start, Clock::now());
  const double loadCpu = CpuSeconds() - cpuStart;
  const Resident after = ResidentNow();
  const double cacheFile = CacheFileBytes(cacheFolder);
  if (messages.count != 0 || w.Slider1->maximum() != slides) {
    throw std::runtime_error("loading failed: " + messages.text.toStdString());
  }
  const FullDecode fullAfter = FullDecodeSeconds(frames);
  const double full = (fullBefore.seconds + fullAfter.seconds) / 2;
  const double ratio = load / (full * slides);
  const double cpuRatio = loadCpu / ((fullBefore.cpu + fullAfter.cpu) / 2 * slides);
  const double anonPerSlide = (after.anon - before.anon) / slides / 1024.0;
  const double raw = static_cast<double>(w.Picture1->Canvas().width()) * w.Picture1->Canvas().height() * 4;

  std::vector<Figure> figures;
  const std::string name = "scale " + std::to_string(slides);
  figures.push_back(
      {name,
       Format("load %.1f s", load) + Format(", full decode %.1f ms/slide", full * 1000) +
           Format(", processor time ratio %.2f", cpuRatio) +
           Format(" | RssAnon %.0f", before.anon / kMiB) + Format(" -> %.0f MiB", after.anon / kMiB) +
           Format(", RssFile %.0f", before.file / kMiB) + Format(" -> %.0f MiB", after.file / kMiB) +
           Format(" | cache file %.1f MiB", cacheFile / kMiB) +
           Format(" (%.0f KiB/slide", cacheFile / slides / 1024.0) + Format(" of %.0f KiB raw)", raw / 1024.0),
       Format("ratio %.2f, ", ratio) + Format("%.1f KiB anon/slide", anonPerSlide), "<= 0.3, <= 64 KiB",
       ratio <= 0.3 && anonPerSlide <= 64});

  if (play) {
    // Every frame at 50 per second, the clock's tick called on time by hand so
    // that its own length is measured: the step, the fetch from the store and
    // the drawing. A frame is late when its tick ends after the next is due.
    w.VScroll1->setValue(50);  // 50 frames per second
    if (show->state.FrameInterval != 20) throw std::runtime_error("the speed selector did not set 20 ms");
    w.Command6_Click();
    QCoreApplication::processEvents();
    std::vector<double> paint;
    int late = 0, slow = 0, wokeLate = 0;
    const Clock::time_point begin = Clock::now();
    const auto period = std::chrono::milliseconds(20);
    for (int k = 1; k <= slides; ++k) {
      const Clock::time_point due = begin + k * period;
      std::this_thread::sleep_until(due);
      const Clock::time_point tickStart = Clock::now();
      w.Timer1_Timer();
      const Clock::time_point tickEnd = Clock::now();
      paint.push_back(SecondsBetween(tickStart, tickEnd) * 1000.0);
      if (tickEnd > due + period) ++late;
      if (tickEnd - tickStart > period) ++slow;
      if (tickStart > due + period) ++wokeLate;
      QCoreApplication::processEvents();  // the window's repaint, between ticks
    }
    if (w.State().CurrentFrame != slides) throw std::runtime_error("playback did not reach the last frame");
    const Resident played = ResidentNow();
    const double p50 = Median(paint), p99 = Percentile(paint, 0.99);
    figures.push_back({name + " play",
                       Format("%.0f frames at 50 fps", slides) + Format(", worst tick %.2f ms", *std::max_element(paint.begin(), paint.end())) +
                           Format(" | RssAnon after playing %.0f MiB", played.anon / kMiB) +
                           Format(" | late: %.0f ticks longer than a period, ", slow) +
                           Format("%.0f woken a period late", wokeLate),
                       Format("paint p50 %.2f ms, ", p50) + Format("p99 %.2f ms, ", p99) + Format("%.0f late", late),
                       "p50 <= 1 ms, p99 <= 5 ms, 0 late", p50 <= 1.0 && p99 <= 5.0 && late == 0});
  }
  show.reset();
  std::error_code error;
  fs::remove_all(dir, error);
  return figures;
}

}  // namespace kvarbon::bench
