// SPDX-License-Identifier: GPL-3.0-or-later
// The slide path: arbitrary bytes decoded as a BMP, JPEG or GIF slide the way
// the loading job decodes it, then drawn onto the display surface at arbitrary
// offsets.
//
// Input: one mode byte, two 32-bit little-endian offsets in twips (x, y), then
// the picture file's bytes. Mode bit 0 clear: decoded as the first slide,
// keeping the part its centred place shows; set: decoded as a later slide,
// keeping what falls on the surface at the offsets. Either is then drawn at
// the offsets too.
#include <QApplication>
#include <QImageReader>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "app/core/file_error.h"
#include "slides/core/slide_offsets.h"
#include "slides/platform/qt_slide_decoder.h"
#include "ui/display_surface.h"
#include "slides/core/twips.h"

namespace {

constexpr std::size_t kHeaderSize = 9;

std::int32_t ReadInt32(const std::uint8_t* at) {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
      (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24));
}

void Check(bool condition) {
  if (!condition) std::abort();
}

struct Screen {
  int argc = 1;
  char name[16] = "fuzz_slide";
  char* argv[2] = {name, nullptr};
  std::unique_ptr<QApplication> app;
  std::unique_ptr<kvarbon::DisplaySurface> surface;
};

Screen& TheScreen() {
  static Screen screen;
  return screen;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  Screen& screen = TheScreen();
  screen.app = std::make_unique<QApplication>(screen.argc, screen.argv);
  // Picture1's size in the main window.
  screen.surface = std::make_unique<kvarbon::DisplaySurface>(6000, 4500, nullptr);
  // Torn down before Qt's own statics, which were made after `screen`.
  std::atexit([] {
    TheScreen().surface.reset();
    TheScreen().app.reset();
  });
  // Decoding stays the same below Qt's own limit; a lower one keeps each input quick.
  QImageReader::setAllocationLimit(64);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeaderSize) return 0;
  const bool later = (data[0] & 1U) != 0;
  const std::int32_t x = ReadInt32(data + 1);
  const std::int32_t y = ReadInt32(data + 5);
  const auto* begin = reinterpret_cast<const std::byte*>(data + kHeaderSize);
  const kvarbon::Bytes file(begin, begin + (size - kHeaderSize));
  const std::filesystem::path path = "pic/fuzz.bmp";

  kvarbon::DisplaySurface& surface = *TheScreen().surface;
  const kvarbon::PixelSize canvas{surface.Canvas().width(), surface.Canvas().height()};
  const kvarbon::QtSlideDecoder decoder;
  // Where the corner of a first slide of this outer size lands, as the job rounds it.
  const auto centredAt = [&surface](std::int32_t outerWidthTwips, std::int32_t outerHeightTwips) {
    return kvarbon::PixelPoint{kvarbon::TwipsToNearestPixel(kvarbon::CentringOffset(
                      static_cast<float>(surface.OuterWidthTwips()), static_cast<float>(outerWidthTwips))),
                  kvarbon::TwipsToNearestPixel(kvarbon::CentringOffset(
                      static_cast<float>(surface.OuterHeightTwips()), static_cast<float>(outerHeightTwips)))};
  };
  kvarbon::SlideHolder holder;
  try {
    if (!later) {
      holder = decoder.Decode(file, path, [&](kvarbon::PixelSize full) {
        return kvarbon::VisiblePart(
            full, centredAt(kvarbon::SlideOuterTwips(full.width), kvarbon::SlideOuterTwips(full.height)), canvas);
      });
      surface.DrawPicture(holder,
                          kvarbon::CentringOffset(static_cast<float>(surface.OuterWidthTwips()),
                                                  static_cast<float>(holder.outerWidthTwips)),
                          kvarbon::CentringOffset(static_cast<float>(surface.OuterHeightTwips()),
                                                  static_cast<float>(holder.outerHeightTwips)));
    } else {
      const kvarbon::PixelPoint at{kvarbon::TwipsToNearestPixel(x), kvarbon::TwipsToNearestPixel(y)};
      holder = decoder.Decode(file, path, [&](kvarbon::PixelSize full) { return kvarbon::VisiblePart(full, at, canvas); });
    }
  } catch (const kvarbon::InputError&) {
    return 0;
  }
  // Only what can fall on the surface is kept.
  Check(holder.picture.width <= canvas.width && holder.picture.height <= canvas.height);
  Check(holder.outerWidthTwips >= 2 * kvarbon::kPictureBoxBorderPx * kvarbon::kTwipsPerPixel);
  Check(holder.outerHeightTwips >= 2 * kvarbon::kPictureBoxBorderPx * kvarbon::kTwipsPerPixel);
  surface.DrawPicture(holder, x, y);
  return 0;
}
