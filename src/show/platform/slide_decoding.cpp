// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/platform/slide_decoding.h"

#include <QImage>
#include <algorithm>
#include <cstring>
#include <limits>

namespace kvarbon {
namespace {

SlidePicture FromImage(QImage decoded) {
  // Converted in place where Qt can (an opaque 32-bit picture only changes its format tag).
  const QImage image = std::move(decoded).convertToFormat(QImage::Format_ARGB32_Premultiplied);
  SlidePicture picture;
  picture.width = image.width();
  picture.height = image.height();
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
  const auto rowBytes = static_cast<std::size_t>(picture.width) * sizeof(std::uint32_t);
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(picture.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width),
                image.constScanLine(y), rowBytes);
  }
  return picture;
}

// A view of the picture's pixels as an image, without a copy.
QImage AsImage(const SlidePicture& picture) {
  return QImage(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                static_cast<qsizetype>(picture.width) * 4, QImage::Format_ARGB32_Premultiplied);
}

// The one decoding of a slide file: a null image when it cannot be decoded.
QImage Decode(ByteView file) {
  if (file.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return {};
  QImage image;
  if (!image.loadFromData(reinterpret_cast<const uchar*>(file.data()), static_cast<int>(file.size()))) return {};
  return image;
}

}  // namespace

std::optional<SlidePicture> DecodeSlidePicture(ByteView file) {
  QImage image = Decode(file);
  if (image.isNull()) return std::nullopt;
  return FromImage(std::move(image));
}

std::optional<SlidePicture> DecodeSlidePicture(ByteView file, const std::function<SlideSize(int, int)>& sizeFor) {
  QImage image = Decode(file);
  if (image.isNull()) return std::nullopt;
  const SlideSize size = sizeFor(image.width(), image.height());
  if (size.width > 0 && size.height > 0 && (size.width != image.width() || size.height != image.height())) {
    // Much larger: first brought to twice the size by picking pixels, which
    // keeps the decoder's format, so the smooth scaling (which converts to 32
    // bits) never works on the full picture.
    if (image.width() > 2 * size.width && image.height() > 2 * size.height) {
      image = image.scaled(2 * size.width, 2 * size.height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    image = image.scaled(size.width, size.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  return FromImage(std::move(image));
}

std::optional<SlideSize> DecodedSlideSize(ByteView file) {
  const QImage image = Decode(file);
  if (image.isNull()) return std::nullopt;
  return SlideSize{image.width(), image.height()};
}

bool SlideDecodes(ByteView file) { return !Decode(file).isNull(); }

SlidePicture ScaledPicture(const SlidePicture& picture, int width, int height) {
  if (picture.Empty() || width <= 0 || height <= 0) return {};
  return FromImage(AsImage(picture).scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

}  // namespace kvarbon
