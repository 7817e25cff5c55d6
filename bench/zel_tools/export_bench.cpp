// SPDX-License-Identifier: GPL-3.0-or-later
// zel-export-bench: exports a generated show of 200 JPEG slides of 1280 x 720
// at 10 frames per second (20 s) with a sound on every tenth frame, and
// prints how many times real time the export ran and how far the decoded
// sounds start from their frames; then exports a show whose one slide is
// followed by 50 minutes of 8-bit sound at 1 kHz (3 MB), and prints the
// export's peak memory and how soon a stop signal ends it.
//
//   zel-export-bench WORKDIR [--rounds N]

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/core/file_io.h"
#include "export/core/export_timeline.h"
#include "export/decoded_media.h"
#include "export/resampling.h"
#include "zel_tools/generated_show.h"

namespace {

namespace fs = std::filesystem;
using kvarbon::Bytes;
using namespace kvarbon::bench;

constexpr int kFrames = 200;
constexpr int kInterval = 100;
constexpr int kSoundEvery = 10;
constexpr double kVideoSeconds = kFrames * kInterval / 1000.0;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Runs zel-export with `arguments`; with `stopAfter`, sends `signal` that
// long after the start. Gives the peak resident memory in MiB and the seconds
// from the signal (or from the start) to the end.
struct Run {
  double peakMib = 0;
  double seconds = 0;
  bool ok = false;
};
Run RunExport(const std::vector<std::string>& arguments, double stopAfter = 0, int signal = SIGINT) {
  std::vector<char*> argv = {const_cast<char*>(KVARBON_ZEL_EXPORT)};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    execv(KVARBON_ZEL_EXPORT, argv.data());
    _exit(127);
  }
  if (stopAfter > 0) {
    std::this_thread::sleep_for(std::chrono::duration<double>(stopAfter));
    start = std::chrono::steady_clock::now();
    kill(pid, signal);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  Run run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakMib = static_cast<double>(usage.ru_maxrss) / 1024;
  run.ok = stopAfter > 0 ? WIFSIGNALED(status) && WTERMSIG(status) == signal : WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

// 50 minutes of 8-bit mono sound at 1 kHz on frame 1 of a one-slide show.
fs::path LongSoundShow(const fs::path& work) {
  constexpr std::uint32_t kRate = 1000;
  constexpr std::uint32_t kSamples = 3'000'000;
  Bytes wav;
  Put(wav, "RIFF");
  PutLe(wav, 36 + kSamples, 4);
  Put(wav, "WAVEfmt ");
  PutLe(wav, 16, 4);
  PutLe(wav, 1, 2);  // PCM
  PutLe(wav, 1, 2);  // mono
  PutLe(wav, kRate, 4);
  PutLe(wav, kRate, 4);
  PutLe(wav, 1, 2);
  PutLe(wav, 8, 2);
  Put(wav, "data");
  PutLe(wav, kSamples, 4);
  for (std::uint32_t i = 0; i < kSamples; ++i) {
    wav.push_back(static_cast<std::byte>(128 + static_cast<int>(90 * std::sin(i * 0.3))));
  }
  Bytes container;
  Put(container, "speed100\\speedini1=0;\\inisound");
  container.insert(container.end(), wav.begin(), wav.end());
  Put(container, "-|-\\soundvideo");
  std::mt19937 random(7);
  const Bytes slide = Slide(0, random);
  container.insert(container.end(), slide.begin(), slide.end());
  Put(container, "-|-\\video");
  const fs::path show = work / "long-sound.zel";
  kvarbon::WriteWholeFile(show, container);
  return show;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: zel-export-bench WORKDIR [--rounds N]\n");
    return 2;
  }
  const fs::path work = argv[1];
  const int rounds = argc >= 4 && std::string(argv[2]) == "--rounds" ? std::max(1, std::atoi(argv[3])) : 3;

  // Three sounds taking turns on frames 1, 11, 21, ...
  std::vector<std::vector<float>> sounds;
  Bytes container;
  Put(container, "speed" + std::to_string(kInterval) + "\\speedini");
  for (int frame = 1; frame <= kFrames; frame += kSoundEvery) {
    Put(container, std::to_string(frame) + "=" + std::to_string((frame / kSoundEvery) % 3) + ";");
  }
  Put(container, "\\inisound");
  for (unsigned s = 0; s < 3; ++s) {
    sounds.push_back(SoundSamples(s + 1));
    const Bytes wav = Wav(sounds.back());
    container.insert(container.end(), wav.begin(), wav.end());
    Put(container, "-|-");
  }
  Put(container, "\\soundvideo");
  std::mt19937 random(15);
  for (int frame = 0; frame < kFrames; ++frame) {
    const Bytes slide = Slide(frame, random);
    container.insert(container.end(), slide.begin(), slide.end());
    Put(container, "-|-");
  }
  Put(container, "\\video");
  const fs::path show = work / "bench.zel";
  kvarbon::WriteWholeFile(show, container);
  std::printf("show: %d slides of 1280 x 720 JPEG, %.1f MB, %d ms per frame, sounds on every %dth frame\n", kFrames,
              static_cast<double>(container.size()) / 1e6, kInterval, kSoundEvery);

  for (const char* extension : {"mp4", "webm"}) {
    const fs::path out = work / (std::string("bench.") + extension);
    std::vector<double> seconds;
    for (int round = 0; round < rounds; ++round) {
      const std::string command =
          std::string("'") + KVARBON_ZEL_EXPORT + "' --quiet '" + show.native() + "' '" + out.native() + "'";
      const auto start = std::chrono::steady_clock::now();
      const int status = std::system(command.c_str());
      seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      if (status != 0) {
        std::fprintf(stderr, "zel-export failed (%d)\n", status);
        return 1;
      }
    }
    const double speed = kVideoSeconds / Median(seconds);
    const bool mp4 = std::string(extension) == "mp4";
    std::printf("%s export %-4s: %5.1f x real time (median of %d: %.2f s for %.0f s of video)%s\n",
                mp4 ? (speed >= 5 ? "PASS" : "FAIL") : "    ", extension, speed, rounds, Median(seconds), kVideoSeconds,
                mp4 ? ", target at least 5 x, aim 20 x" : "");

    const kvarbon::testing::DecodedMedia media = kvarbon::testing::DecodeMedia(out);
    double worstMs = 0;
    int onsets = 0;
    for (int frame = 1; frame <= kFrames; frame += kSoundEvery) {
      const std::vector<float> reference = kvarbon::Resample(
          kvarbon::PcmSound{44100, 1, sounds[static_cast<std::size_t>((frame / kSoundEvery) % 3)]}, 48000, 1);
      const std::int64_t expected =
          kvarbon::SampleAt(kvarbon::FrameStartMs(kInterval, static_cast<std::size_t>(frame)), 48000) -
          media.audioStart;
      const int offset = kvarbon::testing::OnsetOffset(media.audio, expected, reference);
      worstMs = std::max(worstMs, std::abs(offset) / 48.0);
      ++onsets;
    }
    std::printf("%s onsets %-4s: worst %.3f ms from (k - 1) T over %d sounds, target within 1 ms\n",
                worstMs <= 1.0 ? "PASS" : "FAIL", extension, worstMs, onsets);
  }
  fs::remove(show);

  const fs::path longShow = LongSoundShow(work);
  const std::string longOut = (work / "long-sound.mp4").native();
  const Run whole = RunExport({"--quiet", "--size", "1280x720", longShow.native(), longOut});
  std::printf("%s long sound : peak %.0f MiB exporting 50 min of 8-bit sound at 1 kHz (3 MB) to .mp4 at 1280 x 720 "
              "in %.1f s%s, target at most 300 MiB\n",
              whole.ok && whole.peakMib <= 300 ? "PASS" : "FAIL", whole.peakMib, whole.seconds,
              whole.ok ? "" : " (the export failed)");
  std::vector<double> stops;
  bool stoppedAll = true;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    for (int round = 0; round < rounds; ++round) {
      const Run stopped = RunExport({"--quiet", longShow.native(), longOut}, 1.0, signal);
      stoppedAll = stoppedAll && stopped.ok;
      stops.push_back(stopped.seconds);
    }
  }
  std::printf("%s stop       : SIGINT, SIGTERM, SIGHUP 1 s into the sound tail end the export in %.3f s "
              "(median of %zu, worst %.3f s), target within 0.5 s\n",
              stoppedAll && *std::max_element(stops.begin(), stops.end()) <= 0.5 ? "PASS" : "FAIL", Median(stops),
              stops.size(), *std::max_element(stops.begin(), stops.end()));
  fs::remove(longShow);
  fs::remove(longOut);
  return 0;
}
