// SPDX-License-Identifier: GPL-3.0-or-later
// make_demo: writes the bundled demo show, pictures into <out>/pic and sounds
// into <out>/snd. The output is the same, byte for byte, on every run with the
// same Qt, libjpeg and font versions: nothing depends on the clock or on a
// random seed.
//
//   cmake -S tools/make_demo -B build-make-demo -G Ninja && ninja -C build-make-demo
//   build-make-demo/make_demo demo
//
// Slides come in the three formats the tool reads (JPEG, BMP, GIF) and in
// different sizes; their names sort into the intended frame order. Qt writes
// the BMP and JPEG files; it has no GIF writer, so GIF is encoded here (GIF89a,
// one global palette, LZW). Every GIF is decoded again with Qt and compared
// pixel by pixel before it is written. Sounds are 16-bit mono PCM WAV files
// synthesised from sine waves under an envelope.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <numbers>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kFontDir = "/usr/share/fonts/truetype/dejavu";

// ---------------------------------------------------------------- file output

void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes ToBytes(const QByteArray& data) { return Bytes(data.begin(), data.end()); }

void PutLe16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void PutLe32(Bytes& out, std::uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}

// Appends the characters of `text` (no terminator).
void PutText(Bytes& out, std::string_view text) {
  for (const char c : text) out.push_back(static_cast<std::uint8_t>(c));
}

// ------------------------------------------------------------------- GIF

// Packs variable-width codes least significant bit first, as GIF's LZW wants.
class BitPacker {
 public:
  void Put(int code, int width) {
    buffer_ |= static_cast<std::uint32_t>(code) << bitCount_;
    bitCount_ += width;
    while (bitCount_ >= 8) {
      bytes_.push_back(static_cast<std::uint8_t>(buffer_ & 0xFF));
      buffer_ >>= 8;
      bitCount_ -= 8;
    }
  }
  Bytes Finish() {
    if (bitCount_ > 0) bytes_.push_back(static_cast<std::uint8_t>(buffer_ & 0xFF));
    buffer_ = 0;
    bitCount_ = 0;
    return std::move(bytes_);
  }

 private:
  Bytes bytes_;
  std::uint32_t buffer_ = 0;
  int bitCount_ = 0;
};

// LZW with 8-bit pixels: codes start 9 bits wide and grow to 12; the table is
// cleared shortly before it would overflow.
Bytes LzwEncode(const std::vector<std::uint8_t>& pixels) {
  constexpr int kClear = 256;
  constexpr int kEnd = 257;
  constexpr int kFirstFree = 258;
  constexpr int kMaxCode = 4095;
  // (prefix code, next pixel) -> code, -1 where there is no entry yet.
  std::vector<std::int16_t> table(static_cast<std::size_t>(kMaxCode + 1) * 256, -1);
  BitPacker packer;
  int width = 9;
  int next = kFirstFree;

  const auto reset = [&] {
    std::fill(table.begin(), table.end(), std::int16_t{-1});
    width = 9;
    next = kFirstFree;
  };

  packer.Put(kClear, width);
  if (pixels.empty()) {
    packer.Put(kEnd, width);
    return packer.Finish();
  }
  int prefix = pixels[0];
  for (std::size_t i = 1; i < pixels.size(); ++i) {
    const int pixel = pixels[i];
    const std::size_t slot = static_cast<std::size_t>(prefix) * 256 + static_cast<std::size_t>(pixel);
    if (table[slot] >= 0) {
      prefix = table[slot];
      continue;
    }
    packer.Put(prefix, width);
    table[slot] = static_cast<std::int16_t>(next++);
    // The decoder adds its entries one code later, so it needs the wider code
    // only once `next` has passed the current width's range.
    if (next > (1 << width) && width < 12) ++width;
    if (next >= kMaxCode) {
      packer.Put(kClear, width);
      reset();
    }
    prefix = pixel;
  }
  packer.Put(prefix, width);
  // The decoder adds one more entry after the last code; that can widen the end code.
  if (next != kFirstFree && next == (1 << width) && width < 12) ++width;
  packer.Put(kEnd, width);
  return packer.Finish();
}

// A GIF89a file of one image, with `image` (8-bit indexed, at most 256 colours)
// as its only frame and its palette as the global colour table.
Bytes EncodeGif(const QImage& image) {
  if (image.format() != QImage::Format_Indexed8 || image.colorCount() > 256)
    throw std::logic_error("GIF needs an 8-bit indexed image");
  const auto w = static_cast<std::uint32_t>(image.width());
  const auto h = static_cast<std::uint32_t>(image.height());
  Bytes out;
  PutText(out, "GIF89a");
  PutLe16(out, w);
  PutLe16(out, h);
  out.push_back(0xF7);  // global colour table, 8 bits per primary, 256 entries
  out.push_back(0);     // background colour index
  out.push_back(0);     // square pixels
  const QList<QRgb> colours = image.colorTable();
  for (int i = 0; i < 256; ++i) {
    const QRgb c = i < colours.size() ? colours[i] : qRgb(0, 0, 0);
    out.push_back(static_cast<std::uint8_t>(qRed(c)));
    out.push_back(static_cast<std::uint8_t>(qGreen(c)));
    out.push_back(static_cast<std::uint8_t>(qBlue(c)));
  }
  out.push_back(0x2C);  // image descriptor
  PutLe16(out, 0);
  PutLe16(out, 0);
  PutLe16(out, w);
  PutLe16(out, h);
  out.push_back(0);  // no local table, not interlaced

  std::vector<std::uint8_t> pixels;
  pixels.reserve(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < image.height(); ++y) {
    const uchar* line = image.constScanLine(y);
    pixels.insert(pixels.end(), line, line + image.width());
  }
  const Bytes data = LzwEncode(pixels);
  out.push_back(8);  // LZW minimum code size
  for (std::size_t pos = 0; pos < data.size(); pos += 255) {
    const std::size_t n = std::min<std::size_t>(255, data.size() - pos);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(pos),
               data.begin() + static_cast<std::ptrdiff_t>(pos + n));
  }
  out.push_back(0);     // end of the image data
  out.push_back(0x3B);  // trailer
  return out;
}

// Decodes `gif` with Qt's reader and throws unless it gives back `image` exactly.
void CheckGifRoundTrip(const Bytes& gif, const QImage& image) {
  QImage decoded;
  if (!decoded.loadFromData(gif.data(), static_cast<int>(gif.size()), "GIF"))
    throw std::runtime_error("Qt cannot decode the GIF just written");
  if (decoded.size() != image.size()) throw std::runtime_error("decoded GIF has the wrong size");
  const QImage want = image.convertToFormat(QImage::Format_RGB32);
  const QImage got = decoded.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < want.height(); ++y)
    for (int x = 0; x < want.width(); ++x)
      if (want.pixel(x, y) != got.pixel(x, y))
        throw std::runtime_error("decoded GIF differs at " + std::to_string(x) + "," +
                                 std::to_string(y));
}

// --------------------------------------------------------------- pictures

enum class Format { Jpeg, Bmp24, Bmp8, Gif };

struct Slide {
  const char* fileName;  // UTF-8
  int width;
  int height;
  Format format;
  int number;
  const char* word;  // the slide's subject, shown under "Кадр N"
  std::function<void(QPainter&, const QRectF&)> paintScene;
};

QFont DemoFont(int pixelSize, bool bold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

void FillVertical(QPainter& p, const QRectF& r, std::initializer_list<std::pair<double, QColor>> stops) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  for (const auto& [at, colour] : stops) g.setColorAt(at, colour);
  p.fillRect(r, g);
}

void Sun(QPainter& p, QPointF centre, double radius, QColor core, QColor glow) {
  QRadialGradient g(centre, radius * 2.2);
  g.setColorAt(0.0, glow);
  g.setColorAt(1.0, QColor(glow.red(), glow.green(), glow.blue(), 0));
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawEllipse(centre, radius * 2.2, radius * 2.2);
  p.setBrush(core);
  p.drawEllipse(centre, radius, radius);
}

void Hills(QPainter& p, const QRectF& r, double baseline, double amplitude, double phase, QColor colour) {
  QPainterPath path(QPointF(r.left(), r.bottom()));
  for (int i = 0; i <= 40; ++i) {
    const double x = r.left() + r.width() * i / 40.0;
    const double y = baseline + amplitude * std::sin(phase + i * 0.23) * std::cos(i * 0.071);
    path.lineTo(x, y);
  }
  path.lineTo(r.right(), r.bottom());
  path.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPath(path);
}

// Small deterministic generator for star fields (a plain LCG with a fixed start).
class Lcg {
 public:
  explicit Lcg(std::uint32_t state) : state_(state) {}
  double Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 24);
  }

 private:
  std::uint32_t state_;
};

void Stars(QPainter& p, const QRectF& r, int count, std::uint32_t seed) {
  Lcg lcg(seed);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < count; ++i) {
    const double x = r.left() + lcg.Next() * r.width();
    const double y = r.top() + lcg.Next() * r.height();
    const double size = 0.6 + lcg.Next() * 1.6;
    p.setBrush(QColor(255, 255, 230, 120 + static_cast<int>(lcg.Next() * 135)));
    p.drawEllipse(QPointF(x, y), size, size);
  }
}

QPolygonF StarShape(QPointF centre, double outer, double inner, int points) {
  QPolygonF poly;
  for (int i = 0; i < points * 2; ++i) {
    const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / points;
    const double radius = i % 2 == 0 ? outer : inner;
    poly << QPointF(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
  }
  return poly;
}

// Frame border, the large frame number and the caption common to every slide.
void PaintFrameDecor(QPainter& p, const QRectF& r, int number, const char* word) {
  const double scale = r.height() / 300.0;
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(255, 255, 255, 200), 3 * scale));
  p.drawRect(r.adjusted(6 * scale, 6 * scale, -6 * scale, -6 * scale));

  p.setFont(DemoFont(static_cast<int>(120 * scale), true));
  p.setPen(QColor(255, 255, 255, 110));
  p.drawText(r.adjusted(0, 4 * scale, -18 * scale, 0), Qt::AlignRight | Qt::AlignTop,
             QString::number(number));

  const QRectF band(r.left() + 14 * scale, r.bottom() - 64 * scale, r.width() - 28 * scale, 50 * scale);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 120));
  p.drawRoundedRect(band, 8 * scale, 8 * scale);
  p.setPen(QColor(255, 255, 255));
  p.setFont(DemoFont(static_cast<int>(26 * scale), true));
  p.drawText(band.adjusted(12 * scale, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Кадр %1").arg(number));
  p.setFont(DemoFont(static_cast<int>(20 * scale), false));
  p.setPen(QColor(255, 236, 170));
  p.drawText(band.adjusted(0, 0, -12 * scale, 0), Qt::AlignRight | Qt::AlignVCenter,
             QString::fromUtf8(word));
}

QImage RenderSlide(const Slide& slide) {
  QImage image(slide.width, slide.height, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const QRectF r(0, 0, slide.width, slide.height);
  slide.paintScene(p, r);
  PaintFrameDecor(p, r, slide.number, slide.word);
  p.end();
  return image;
}

Bytes QtEncode(const QImage& image, const char* format, int quality) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, format, quality))
    throw std::runtime_error(std::string("Qt cannot write ") + format);
  return ToBytes(data);
}

Bytes EncodeSlide(const Slide& slide) {
  const QImage image = RenderSlide(slide);
  switch (slide.format) {
    case Format::Jpeg:
      return QtEncode(image, "JPG", 88);
    case Format::Bmp24:
      return QtEncode(image.convertToFormat(QImage::Format_RGB888), "BMP", -1);
    case Format::Bmp8:
      return QtEncode(image.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither), "BMP", -1);
    case Format::Gif: {
      const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
      Bytes gif = EncodeGif(indexed);
      CheckGifRoundTrip(gif, indexed);
      return gif;
    }
  }
  throw std::logic_error("unknown format");
}

std::vector<Slide> DemoSlides() {
  std::vector<Slide> slides;
  slides.push_back({"01 рассвет.jpg", 400, 300, Format::Jpeg, 1, "рассвет",
                    [](QPainter& p, const QRectF& r) {
                      FillVertical(p, r, {{0.0, QColor(24, 32, 84)}, {0.55, QColor(214, 104, 96)},
                                          {0.8, QColor(255, 190, 110)}});
                      Sun(p, QPointF(r.width() * 0.38, r.height() * 0.6), 34, QColor(255, 226, 150),
                          QColor(255, 170, 90, 170));
                      Hills(p, r, r.height() * 0.62, 14, 0.4, QColor(70, 44, 76));
                      Hills(p, r, r.height() * 0.72, 10, 2.1, QColor(40, 26, 52));
                    }});
  slides.push_back({"02 день.bmp", 320, 240, Format::Bmp24, 2, "день",
                    [](QPainter& p, const QRectF& r) {
                      FillVertical(p, r, {{0.0, QColor(60, 140, 230)}, {0.7, QColor(170, 215, 250)}});
                      Sun(p, QPointF(r.width() * 0.22, r.height() * 0.22), 24, QColor(255, 240, 120),
                          QColor(255, 255, 200, 160));
                      p.setBrush(QColor(255, 255, 255, 230));
                      for (const double x : {0.55, 0.63, 0.71}) {
                        p.drawEllipse(QPointF(r.width() * x, r.height() * 0.25), 26, 16);
                      }
                      Hills(p, r, r.height() * 0.72, 12, 1.0, QColor(90, 170, 70));
                      Hills(p, r, r.height() * 0.84, 8, 3.0, QColor(50, 130, 50));
                    }});
  slides.push_back({"03 закат.gif", 360, 270, Format::Gif, 3, "закат",
                    [](QPainter& p, const QRectF& r) {
                      FillVertical(p, r, {{0.0, QColor(60, 30, 100)}, {0.5, QColor(230, 90, 60)},
                                          {0.75, QColor(255, 200, 80)}});
                      Sun(p, QPointF(r.width() * 0.62, r.height() * 0.7), 40, QColor(255, 120, 50),
                          QColor(255, 150, 60, 150));
                      p.setPen(Qt::NoPen);
                      p.setBrush(QColor(30, 40, 90));
                      p.drawRect(QRectF(r.left(), r.height() * 0.74, r.width(), r.height() * 0.26));
                      p.setBrush(QColor(255, 170, 80, 160));
                      for (int i = 0; i < 5; ++i) {
                        const double y = r.height() * (0.77 + i * 0.035);
                        const double half = 40.0 - i * 6;
                        p.drawRect(QRectF(r.width() * 0.62 - half, y, half * 2, 3));
                      }
                    }});
  slides.push_back({"04 ночь.jpg", 400, 300, Format::Jpeg, 4, "ночь",
                    [](QPainter& p, const QRectF& r) {
                      FillVertical(p, r, {{0.0, QColor(6, 8, 28)}, {1.0, QColor(20, 34, 80)}});
                      Stars(p, r, 140, 20240601u);
                      p.setPen(Qt::NoPen);
                      p.setBrush(QColor(250, 246, 220));
                      p.drawEllipse(QPointF(r.width() * 0.3, r.height() * 0.28), 30, 30);
                      p.setBrush(QColor(10, 14, 40));
                      p.drawEllipse(QPointF(r.width() * 0.3 + 12, r.height() * 0.28 - 8), 27, 27);
                      Hills(p, r, r.height() * 0.8, 12, 5.0, QColor(8, 12, 24));
                    }});
  slides.push_back({"05 звезда.gif", 320, 240, Format::Gif, 5, "звезда",
                    [](QPainter& p, const QRectF& r) {
                      QRadialGradient g(r.center(), r.width() * 0.7);
                      g.setColorAt(0.0, QColor(40, 60, 140));
                      g.setColorAt(1.0, QColor(8, 10, 30));
                      p.fillRect(r, g);
                      Stars(p, r, 60, 7u);
                      p.setPen(QPen(QColor(255, 250, 200), 2));
                      p.setBrush(QColor(255, 210, 60));
                      p.drawPolygon(StarShape(QPointF(r.width() * 0.42, r.height() * 0.42), 70, 28, 5));
                    }});
  slides.push_back({"06 конец.bmp", 360, 270, Format::Bmp8, 6, "конец",
                    [](QPainter& p, const QRectF& r) {
                      FillVertical(p, r, {{0.0, QColor(30, 30, 30)}, {1.0, QColor(80, 16, 24)}});
                      p.setPen(QColor(255, 255, 255));
                      p.setFont(DemoFont(48, true));
                      p.drawText(r.adjusted(0, 70, -40, -70), Qt::AlignCenter, QStringLiteral("Конец"));
                    }});
  return slides;
}

// ------------------------------------------------------------------ sounds

constexpr std::uint32_t kSampleRate = 22050;

// A RIFF/WAVE file: PCM, 16-bit, mono, kSampleRate.
Bytes EncodeWav(const std::vector<std::int16_t>& samples) {
  const auto dataSize = static_cast<std::uint32_t>(samples.size() * 2);
  Bytes out;
  PutText(out, "RIFF");
  PutLe32(out, 36 + dataSize);
  PutText(out, "WAVE");
  PutText(out, "fmt ");
  PutLe32(out, 16);               // fmt chunk size
  PutLe16(out, 1);                // PCM
  PutLe16(out, 1);                // mono
  PutLe32(out, kSampleRate);      // samples per second
  PutLe32(out, kSampleRate * 2);  // bytes per second
  PutLe16(out, 2);                // bytes per sample frame
  PutLe16(out, 16);               // bits per sample
  PutText(out, "data");
  PutLe32(out, dataSize);
  for (const std::int16_t s : samples) PutLe16(out, static_cast<std::uint16_t>(s));
  return out;
}

std::int16_t ToSample(double v) {
  const double clamped = std::clamp(v, -1.0, 1.0);
  return static_cast<std::int16_t>(std::lround(clamped * 32000.0));
}

struct Tone {
  double start;     // seconds
  double length;    // seconds
  double hertz;
  double decay;     // exponential decay rate per second; 0 for a flat tone
  double level;
};

// Sum of sine tones, each with a 5 ms linear attack and release so nothing clicks.
std::vector<std::int16_t> Synthesise(double seconds, const std::vector<Tone>& tones) {
  const auto count = static_cast<std::size_t>(std::lround(seconds * kSampleRate));
  std::vector<std::int16_t> samples(count);
  constexpr double kRamp = 0.005;
  for (std::size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    double v = 0.0;
    for (const Tone& tone : tones) {
      const double local = t - tone.start;
      if (local < 0.0 || local >= tone.length) continue;
      const double edge = std::min({1.0, local / kRamp, (tone.length - local) / kRamp});
      const double envelope = edge * std::exp(-tone.decay * local);
      v += tone.level * envelope * std::sin(2.0 * std::numbers::pi * tone.hertz * local);
    }
    samples[i] = ToSample(v);
  }
  return samples;
}

struct Sound {
  const char* fileName;  // UTF-8
  std::vector<std::int16_t> samples;
};

std::vector<Sound> DemoSounds() {
  std::vector<Sound> sounds;
  // A bell: a fundamental with inharmonic partials, dying away.
  sounds.push_back({"chime.wav", Synthesise(0.9, {{0.0, 0.9, 1046.5, 4.5, 0.45},
                                                  {0.0, 0.9, 2637.0, 7.0, 0.2},
                                                  {0.0, 0.9, 3456.0, 10.0, 0.1}})});
  // Two flat tones, low then high.
  sounds.push_back({"beep.wav", Synthesise(0.42, {{0.0, 0.19, 660.0, 0.0, 0.5},
                                                  {0.22, 0.19, 990.0, 0.0, 0.5}})});
  // A rising C major arpeggio.
  sounds.push_back({"аккорд.wav", Synthesise(0.72, {{0.00, 0.72, 523.25, 3.0, 0.3},
                                                    {0.12, 0.60, 659.25, 3.0, 0.27},
                                                    {0.24, 0.48, 783.99, 3.0, 0.25},
                                                    {0.36, 0.36, 1046.5, 3.0, 0.23}})});
  return sounds;
}

// ------------------------------------------------------------------- main

void LoadFonts() {
  for (const char* name : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"}) {
    const Bytes font = ReadFile(fs::path(kFontDir) / name);
    const QByteArray data(reinterpret_cast<const char*>(font.data()), static_cast<qsizetype>(font.size()));
    if (QFontDatabase::addApplicationFontFromData(data) < 0)
      throw std::runtime_error(std::string("cannot load font ") + name);
  }
}

int Run(const fs::path& outDir) {
  const fs::path picDir = outDir / "pic";
  const fs::path sndDir = outDir / "snd";
  fs::create_directories(picDir);
  fs::create_directories(sndDir);
  LoadFonts();

  for (const Slide& slide : DemoSlides()) {
    const Bytes bytes = EncodeSlide(slide);
    WriteFile(picDir / fs::path(std::u8string(reinterpret_cast<const char8_t*>(slide.fileName))), bytes);
    std::printf("pic/%s  %dx%d  %zu bytes\n", slide.fileName, slide.width, slide.height, bytes.size());
  }
  for (const Sound& sound : DemoSounds()) {
    const Bytes bytes = EncodeWav(sound.samples);
    WriteFile(sndDir / fs::path(std::u8string(reinterpret_cast<const char8_t*>(sound.fileName))), bytes);
    std::printf("snd/%s  %zu bytes\n", sound.fileName, bytes.size());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argc > 0 ? argv[0] : "make_demo");
    return 2;
  }
  // Drawing text needs a GUI application, but no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);
  try {
    return Run(fs::path(argv[1]));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_demo: %s\n", e.what());
    return 1;
  }
}
