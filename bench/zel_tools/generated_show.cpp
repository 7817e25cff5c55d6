// SPDX-License-Identifier: GPL-3.0-or-later
#include "zel_tools/generated_show.h"

#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <cmath>

namespace kvarbon::bench {

void Put(Bytes& out, std::string_view text) {
  const kvarbon::ByteView bytes = kvarbon::AsBytes(text);
  out.insert(out.end(), bytes.begin(), bytes.end());
}
void PutLe(Bytes& out, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
}

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

}  // namespace kvarbon::bench
