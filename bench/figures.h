// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/core/shared_state.h"
#include "app/core/sound_output.h"
#include "bench/bench_support.h"
#include "ui/frm_main.h"

namespace kvarbon::bench {

struct Context {
  std::filesystem::path work;  // a fresh temporary directory for the inputs
  int rounds = 3;              // measured and baseline runs, alternated; medians are reported
  int encodeSlides = 200;      // 4 MiB slides in the encode figure's show
  std::vector<int> scaleSlides{250, 3000};  // the shows of the scale figures; the largest is played
  SoundOutput* sound = nullptr;
};

// The main window on a working directory, with its own shared state.
struct Show {
  explicit Show(const std::filesystem::path& dir, SoundOutput& sound)
      : window(std::make_unique<FrmMain>(state, sound, slides, dir)) {}
  SharedState state;
  SlideStore slides;
  std::unique_ptr<FrmMain> window;
};

// Accepts every message box as soon as it is shown, noting when and what it said.
class MessageWatch : public QObject {
 public:
  MessageWatch();
  ~MessageWatch() override;
  Clock::time_point shownAt{};
  QString text;
  int count = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// One encode (start-up, then Command1 clicked) and one start-up in a working
// directory; each returns seconds, the encode also its resident high-water
// mark above the resident memory at the click. Run in a process of their own.
struct EncodeRun {
  double seconds = 0;
  std::uint64_t extraPeak = 0;
};
EncodeRun EncodeOnce(const std::filesystem::path& dir, SoundOutput& sound);
double StartupOnce(const std::filesystem::path& dir, SoundOutput& sound);

Figure EncodeFigure(const Context& context);
Figure StartupFigure(const Context& context);
// Leaves the last loaded window in `loaded` for the two preview figures.
Figure LoadingFigure(const Context& context, std::unique_ptr<Show>& loaded);
Figure PaintFigure(Show& loaded);
Figure PlaybackFigure(Show& loaded);
Figure SoundFigure(SoundOutput& sound);

// A camera-like JPEG: broad colour waves under fine grain, so the file is as
// large at quality 90 as a photograph's and costs as much to decode.
Bytes CameraJpeg(std::uint64_t seed, int width, int height);
// Writes CameraJpeg pictures 1 .. count into `folder`, named NumberedJpegName(i,
// digits), picture i from seed `seed` + i, on two threads.
void WriteCameraJpegs(const std::filesystem::path& folder, int count, int digits, std::uint64_t seed, int width,
                      int height);
// Decodes a picture file whole with Qt's reader, one thread: the baseline. Throws unless it is width x height.
void DecodeWhole(const Bytes& file, int width, int height);
// A show of `slides` 1920 x 1080 camera-like JPEGs loaded through the window:
// load time against full decodes, resident memory, the cache file; with
// `play`, every frame played at 50 per second: the tick's length and late frames.
std::vector<Figure> ScaleFigures(const Context& context, int slides, bool play);

}  // namespace kvarbon::bench
