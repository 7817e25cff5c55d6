// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/images.h"

#include <QBuffer>
#include <QImage>

namespace kvarbon::testing {

namespace {

Bytes Encode(int width, int height, QColor color, const char* format) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(color);
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format, 100);
  const auto* begin = reinterpret_cast<const std::byte*>(data.constData());
  return Bytes(begin, begin + data.size());
}

void Put16(Bytes& out, int value) {
  out.push_back(static_cast<std::byte>(value & 0xFF));
  out.push_back(static_cast<std::byte>((value >> 8) & 0xFF));
}

}  // namespace

Bytes SolidBmp(int width, int height, QColor color) { return Encode(width, height, color, "BMP"); }
Bytes SolidJpeg(int width, int height, QColor color) { return Encode(width, height, color, "JPEG"); }

// A two-colour GIF whose LZW stream restarts the code table before every pixel,
// so every code is 3 bits wide: simple and valid, if not small.
Bytes SolidGif(int width, int height, QColor color) {
  Bytes out = ToBytes("GIF89a");
  Put16(out, width);
  Put16(out, height);
  for (int b : {0xF0, 0, 0}) out.push_back(static_cast<std::byte>(b));
  for (int c : {color.red(), color.green(), color.blue(), 0, 0, 0}) out.push_back(static_cast<std::byte>(c));
  out.push_back(std::byte{0x2C});
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, width);
  Put16(out, height);
  out.push_back(std::byte{0});
  out.push_back(std::byte{2});  // minimum code size: clear = 4, end = 5

  Bytes stream;
  unsigned bits = 0, count = 0;
  const auto putCode = [&](unsigned code) {
    bits |= code << count;
    count += 3;
    while (count >= 8) {
      stream.push_back(static_cast<std::byte>(bits & 0xFF));
      bits >>= 8;
      count -= 8;
    }
  };
  for (long i = 0; i < static_cast<long>(width) * height; ++i) {
    putCode(4);
    putCode(0);
  }
  putCode(5);
  if (count > 0) stream.push_back(static_cast<std::byte>(bits & 0xFF));
  for (std::size_t at = 0; at < stream.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, stream.size() - at);
    out.push_back(static_cast<std::byte>(n));
    out.insert(out.end(), stream.begin() + static_cast<long>(at), stream.begin() + static_cast<long>(at + n));
  }
  out.push_back(std::byte{0});
  out.push_back(std::byte{0x3B});
  return out;
}

}  // namespace kvarbon::testing
