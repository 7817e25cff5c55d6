// SPDX-License-Identifier: GPL-3.0-or-later
// kvarbon-bench: measures the tool against the machine's own limits and prints
// one line per figure with its target. Normally run through bench/run.sh.
//
//   kvarbon-bench WORKDIR [--rounds N] [--only encode,startup,loading,paint,playback,scale,sound]
//                 [--encode-slides N] [--scale-slides 250,3000,12000]
//
// WORKDIR must be an empty directory; the inputs are written there and removed
// figure by figure (the caller removes the directory itself).
#include <QApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <exception>
#include <set>
#include <sstream>
#include <string>

#include "app/platform/sdl_sound_output.h"
#include "bench/figures.h"

namespace {

std::set<std::string> SplitNames(const std::string& list) {
  std::set<std::string> names;
  std::stringstream stream(list);
  for (std::string name; std::getline(stream, name, ',');) {
    if (!name.empty()) names.insert(name);
  }
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kvarbon::bench;
  if (argc < 2) {
    std::fprintf(stderr, "usage: kvarbon-bench WORKDIR [--rounds N] [--only name,...]\n");
    return 2;
  }
  const bool child = std::string(argv[1]) == "--child";
  Context context;
  context.work = argv[1];
  std::set<std::string> only;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--rounds") context.rounds = std::max(1, std::atoi(argv[i + 1]));
    if (option == "--only") only = SplitNames(argv[i + 1]);
    if (option == "--encode-slides") context.encodeSlides = std::max(2, std::atoi(argv[i + 1]));
    if (option == "--scale-slides") {
      context.scaleSlides.clear();
      for (const std::string& count : SplitNames(argv[i + 1])) context.scaleSlides.push_back(std::max(2, std::stoi(count)));
      std::sort(context.scaleSlides.begin(), context.scaleSlides.end());
    }
  }
  const auto wanted = [&](const char* name) { return only.empty() || only.count(name) != 0; };

  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (std::getenv("SDL_AUDIODRIVER") == nullptr) ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::signal(SIGXFSZ, SIG_IGN);
  // The offscreen platform's notices would only clutter the result lines.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  });
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString());
  kvarbon::SdlSoundOutput sound;
  context.sound = &sound;

  // One measurement in a process of its own: --child encode|startup DIR.
  if (child) {
    if (argc != 4) return 2;
    const std::string what = argv[2];
    try {
      if (what == "encode") {
        const EncodeRun run = EncodeOnce(argv[3], sound);
        std::printf("%.6f %llu\n", run.seconds, static_cast<unsigned long long>(run.extraPeak));
      } else {
        std::printf("%.6f\n", StartupOnce(argv[3], sound));
      }
      return 0;
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s: %s\n", what.c_str(), error.what());
      return 1;
    }
  }

  int failed = 0;
  const auto run = [&](const char* name, const auto& figure) {
    if (!wanted(name)) return;
    try {
      const Figure result = figure();
      PrintFigure(result);
      if (!result.pass) ++failed;
    } catch (const std::exception& error) {
      PrintFigure({name, std::string("error: ") + error.what(), "-", "-", false});
      ++failed;
    }
  };

  std::unique_ptr<Show> loaded;
  run("encode", [&] { return EncodeFigure(context); });
  run("startup", [&] { return StartupFigure(context); });
  run("loading", [&] { return LoadingFigure(context, loaded); });
  if (loaded) {
    run("paint", [&] { return PaintFigure(*loaded); });
    run("playback", [&] { return PlaybackFigure(*loaded); });
  } else if (wanted("paint") || wanted("playback")) {
    std::fprintf(stderr, "paint and playback use the loaded show: include loading\n");
  }
  loaded.reset();
  if (wanted("scale")) {
    // The largest show of at most 3000 slides is also played (a minute at 50
    // fps); a larger one only loads.
    int played = 0;
    for (const int slides : context.scaleSlides) {
      if (slides <= 3000) played = slides;
    }
    for (const int slides : context.scaleSlides) {
      const bool play = slides == played;
      try {
        for (const Figure& figure : ScaleFigures(context, slides, play)) {
          PrintFigure(figure);
          if (!figure.pass) ++failed;
        }
      } catch (const std::exception& error) {
        PrintFigure({"scale", std::string("error: ") + error.what(), "-", "-", false});
        ++failed;
      }
    }
  }
  run("sound", [&] { return SoundFigure(sound); });
  return failed == 0 ? 0 : 1;
}
