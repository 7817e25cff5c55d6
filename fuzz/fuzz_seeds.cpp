// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the fuzz targets' seed corpora: the demo show's own pictures and
// sounds, and small generated pictures, WAV variants, assignment lists and
// containers.
//
//   fuzz_seeds <output folder> <demo folder>
//
// Makes <output>/sound, /slide, /assignment_list and /container_reader.
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/core/file_io.h"
#include "app/core/file_lists.h"
#include "show/core/zel_format.h"
#include "support/compressed_wav.h"
#include "support/media_samples.h"

namespace {

namespace fs = std::filesystem;
using kvarbon::Bytes;
using kvarbon::testing::PutLe;

void Save(const fs::path& path, const Bytes& bytes) { kvarbon::WriteWholeFile(path, bytes); }

// A WAV image: format tag, channels, bits, rate, `frames` frames of a ramp;
// extensible wraps the tag; `extra` is an unknown chunk (odd length) before the data.
Bytes Wav(unsigned tag, unsigned channels, unsigned bits, std::uint32_t rate, std::size_t frames,
          bool extensible = false, bool extra = false, std::int64_t claimExtra = 0) {
  Bytes data;
  for (std::size_t i = 0; i < frames * (channels * bits / 8); ++i) {
    data.push_back(static_cast<std::byte>((i * 37) & 0xFF));
  }
  const Bytes unknownChunk = kvarbon::ToBytes(std::string_view("LIST\x03\0\0\0abc\0", 12));
  return kvarbon::testing::FormattedWav(tag, channels, bits, data, extensible, rate,
                                        extra ? kvarbon::ByteView(unknownChunk) : kvarbon::ByteView(), claimExtra);
}

Bytes Picture(int width, int height, const char* format) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 7 & 0xFF, y * 5 & 0xFF, (x + y) & 0xFF));
  }
  QByteArray encoded;
  QBuffer buffer(&encoded);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format, 50);
  const auto* begin = reinterpret_cast<const std::byte*>(encoded.constData());
  return Bytes(begin, begin + encoded.size());
}

// The slide target's input: mode, offsets in twips, then the file.
Bytes SlideInput(std::uint8_t mode, std::int32_t x, std::int32_t y, const Bytes& file) {
  Bytes input{static_cast<std::byte>(mode)};
  PutLe(input, static_cast<std::uint32_t>(x), 4);
  PutLe(input, static_cast<std::uint32_t>(y), 4);
  input.insert(input.end(), file.begin(), file.end());
  return input;
}

Bytes WithPrefix(std::uint8_t prefix, const Bytes& bytes) {
  Bytes out{static_cast<std::byte>(prefix)};
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

std::vector<fs::path> FilesOf(const fs::path& dir) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

Bytes Container(std::int16_t interval, const std::string& ini, const std::vector<Bytes>& sounds,
                const std::vector<Bytes>& slides) {
  return kvarbon::JoinContainer(interval, ini, sounds, slides);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: fuzz_seeds <output folder> <demo folder>\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  const fs::path out = argv[1];
  const fs::path demo = argv[2];
  for (const char* target : {"sound", "slide", "assignment_list", "container_reader"}) {
    fs::create_directories(out / target);
  }

  // Sounds: the demo's, and every encoding the output plays, in small sizes.
  int n = 0;
  const auto sound = [&](const Bytes& bytes) {
    Save(out / "sound" / ("seed-" + std::to_string(n++)), bytes);
  };
  for (const fs::path& file : FilesOf(demo / "snd")) {
    const Bytes whole = kvarbon::ReadWholeFile(file);
    sound(whole);
    // Cut short: a header that claims more data than there is.
    sound(Bytes(whole.begin(),
                whole.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(whole.size(), 2000))));
  }
  sound(Wav(1, 2, 16, 44100, 300));
  sound(Wav(1, 1, 8, 8000, 200));
  sound(Wav(1, 1, 24, 22050, 150));
  sound(Wav(1, 2, 32, 48000, 100, true));
  sound(Wav(3, 2, 32, 44100, 100));
  sound(Wav(3, 1, 64, 96000, 100, false, true));
  sound(Wav(1, 8, 16, 1000, 20));
  sound(Wav(1, 2, 16, 44100, 50, false, false, 1000));
  sound(Wav(1, 2, 16, 44100, 0));
  // The compressed encodings, decoded before they play; ADPCM in one block and cut inside it.
  std::vector<int> tone;
  for (int i = 0; i < 65; ++i) tone.push_back((i * 2731) % 20000 - 10000);
  const Bytes ima = kvarbon::testing::ImaAdpcmWav(tone);
  const Bytes ms = kvarbon::testing::MsAdpcmWav({tone.begin(), tone.end() - 1});
  for (const Bytes& compressed : {kvarbon::testing::LawWav(6, tone), kvarbon::testing::LawWav(7, tone), ima, ms}) {
    sound(compressed);
  }
  sound({ima.begin(), ima.end() - 9});
  sound({ms.begin(), ms.end() - 9});
  sound(kvarbon::ToBytes("RIFF"));
  sound({});

  // Slides: small pictures of each kind, first or later, at several offsets.
  n = 0;
  const auto slide = [&](const Bytes& bytes) {
    Save(out / "slide" / ("seed-" + std::to_string(n++)), bytes);
  };
  std::vector<Bytes> pictures;
  for (const char* format : {"BMP", "JPEG", "GIF"}) {
    for (const QSize size : {QSize(1, 1), QSize(17, 13), QSize(420, 310)}) {
      pictures.push_back(Picture(size.width(), size.height(), format));
    }
  }
  std::uint8_t mode = 0;
  for (const Bytes& picture : pictures) {
    slide(SlideInput(mode, 0, 0, picture));
    slide(SlideInput(mode | 1U, -1500, 300, picture));
    mode ^= 1U;
  }
  for (const fs::path& file : FilesOf(demo / "pic")) {
    slide(SlideInput(static_cast<std::uint8_t>(n & 1), 150, -150, kvarbon::ReadWholeFile(file)));
  }

  // Assignment lists.
  n = 0;
  for (const std::string_view text :
       {"", "2=0\r\n", "1=4\r\n3=0\r\n", "12=3\r\n2=1\r\n", "1=0\n2=1\r3=2", "\r\n\r\n", "1=0\r\r\n"}) {
    Save(out / "assignment_list" / ("seed-" + std::to_string(n++)), kvarbon::ToBytes(text));
  }

  // Containers: as they are (prefix 0) and the round trip's media lists (prefix 1).
  n = 0;
  const auto container = [&](const Bytes& bytes) {
    Save(out / "container_reader" / ("seed-" + std::to_string(n++)), bytes);
  };
  const Bytes workedExample =
      Container(50, "2=0;", {kvarbon::ToBytes("RIFF")},
                {kvarbon::ToBytes(std::string("BM\0\xFF", 4)), kvarbon::ToBytes("GIF8")});
  container(WithPrefix(0, workedExample));
  container(WithPrefix(0, Container(1000, "", {}, {pictures[0], pictures[4]})));
  container(WithPrefix(0, Container(20, "1=0;2=1;", {Wav(1, 1, 8, 8000, 10), Wav(1, 2, 16, 44100, 0)},
                                    {pictures[1], pictures[3], pictures[7]})));
  container(WithPrefix(0, Container(33, "1=0;", {kvarbon::ToBytes("x-|-y")}, {kvarbon::ToBytes("\\video")})));
  container(WithPrefix(0, Bytes(workedExample.begin(), workedExample.begin() + 40)));
  container(WithPrefix(1, kvarbon::ToBytes(std::string("\x0c\x02\x02\x04RIFF\x02"
                                                       "ab\x03GIF\x00",
                                                       16))));
  container(WithPrefix(1, kvarbon::ToBytes(std::string("\x32\x01\x03\x02-|\x01-\x00\x04\\sou", 14))));
  return 0;
}
