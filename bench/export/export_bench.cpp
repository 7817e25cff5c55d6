// zel-export-bench: exports a generated show of 200 JPEG slides of 1280 x 720
// at 10 frames per second (20 s) with a sound on every tenth frame, and
// prints how many times real time the export ran and how far the decoded
// sounds start from their frames.
//
//   zel-export-bench WORKDIR [--rounds N]

#include <sys/wait.h>

#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/core/file_io.h"
#include "export/core/export_timeline.h"
#include "export/decoded_media.h"
#include "export/sound_loading.h"

namespace {

namespace fs = std::filesystem;
using kvarbon::Bytes;

constexpr int kFrames = 200;
constexpr int kInterval = 100;
constexpr int kSoundEvery = 10;
constexpr double kVideoSeconds = kFrames * kInterval / 1000.0;

void Put(Bytes& out, std::string_view text) {
  const kvarbon::ByteView bytes = kvarbon::AsBytes(text);
  out.insert(out.end(), bytes.begin(), bytes.end());
}
void PutLe(Bytes& out, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
}

// A photo-like slide: gradients, moving bands and grain, so JPEG and H.264
// have real work.
Bytes Slide(int frame, std::mt19937& random) {
  QImage image(1280, 720, QImage::Format_RGB32);
  std::uniform_int_distribution<int> grain(-12, 12);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int band = ((x + frame * 17) / 40 + y / 60) % 2 * 60;
      const int r = std::clamp(x * 255 / 1280 + grain(random), 0, 255);
      const int g = std::clamp(y * 255 / 720 + band + grain(random), 0, 255);
      const int b = std::clamp((frame * 9) % 256 + grain(random), 0, 255);
      row[x] = qRgb(r, g, b);
    }
  }
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG", 85);
  const auto* begin = reinterpret_cast<const std::byte*>(data.constData());
  return Bytes(begin, begin + data.size());
}

// 0.7 s of smoothed noise, 16-bit stereo at 44.1 kHz.
std::vector<float> SoundSamples(unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  std::vector<float> samples(44100 * 7 / 10);
  float smooth = 0;
  for (float& sample : samples) sample = smooth = 0.8f * smooth + 0.2f * value(random);
  return samples;
}

Bytes Wav(const std::vector<float>& samples) {
  Bytes data;
  for (const float sample : samples) {
    const auto value = static_cast<std::uint32_t>(static_cast<std::uint16_t>(std::lround(sample * 20000)));
    PutLe(data, value, 2);
    PutLe(data, value, 2);
  }
  Bytes out;
  Put(out, "RIFF");
  PutLe(out, static_cast<std::uint32_t>(36 + data.size()), 4);
  Put(out, "WAVEfmt ");
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);
  PutLe(out, 2, 2);
  PutLe(out, 44100, 4);
  PutLe(out, 44100 * 4, 4);
  PutLe(out, 4, 2);
  PutLe(out, 16, 2);
  Put(out, "data");
  PutLe(out, static_cast<std::uint32_t>(data.size()), 4);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
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
                mp4 ? (speed >= 5 ? "PASS" : "FAIL") : "    ", extension, speed, rounds, Median(seconds),
                kVideoSeconds, mp4 ? ", target at least 5 x, aim 20 x" : "");

    const kvarbon::testing::DecodedMedia media = kvarbon::testing::DecodeMedia(out);
    double worstMs = 0;
    int onsets = 0;
    for (int frame = 1; frame <= kFrames; frame += kSoundEvery) {
      const std::vector<float> reference =
          kvarbon::Resample(kvarbon::PcmSound{44100, 1, sounds[static_cast<std::size_t>((frame / kSoundEvery) % 3)]},
                            48000, 1);
      const std::int64_t expected = kvarbon::SampleAt(kvarbon::FrameStartMs(kInterval, static_cast<std::size_t>(frame)),
                                                      48000) - media.audioStart;
      const int offset = kvarbon::testing::OnsetOffset(media.audio, expected, reference);
      worstMs = std::max(worstMs, std::abs(offset) / 48.0);
      ++onsets;
    }
    std::printf("%s onsets %-4s: worst %.3f ms from (k - 1) T over %d sounds, target within 1 ms\n",
                worstMs <= 1.0 ? "PASS" : "FAIL", extension, worstMs, onsets);
  }
  fs::remove(show);
  return 0;
}
