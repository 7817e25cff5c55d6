// SPDX-License-Identifier: GPL-3.0-or-later
#include "slides/platform/qt_slide_decoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

#include "app/core/file_error.h"
#include "slides/core/twips.h"
#include "slides/platform/jpeg_part_decoder.h"

namespace kvarbon {

namespace {

// A read-only device over the file's bytes, without copying them.
QByteArray Wrap(const Bytes& file) {
  return QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()),
                                 static_cast<qsizetype>(file.size()));
}

// The size a BMP header states, read here because Qt's reader gives no size
// for a BMP it refuses as too large.
QSize BmpHeaderSize(const Bytes& file) {
  constexpr std::size_t kHeightEnd = 26;
  if (file.size() < kHeightEnd || AsText(ByteView(file).first(2)) != "BM") return {};
  const auto int32At = [&file](std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= std::to_integer<std::uint32_t>(file[at + i]) << (8 * i);
    return static_cast<std::int32_t>(value);
  };
  const std::int64_t height = int32At(22);
  return {int32At(18), static_cast<int>(std::min<std::int64_t>(height < 0 ? -height : height, INT32_MAX))};
}

// The reason a picture could not be decoded, in terms the user can act on.
std::string WhyNotDecoded(const Bytes& file, QSize announced, const QImageReader& reader) {
  if (file.empty()) return "Файл пуст";
  // The decoders refuse a picture above the allocation limit before reading
  // its data; say so rather than that the data is unreadable.
  const QSize claimed = announced.isValid() ? announced : BmpHeaderSize(file);
  const qint64 limitBytes = static_cast<qint64>(QImageReader::allocationLimit()) * 1024 * 1024;
  // In floating point: a header's 32-bit sides can make a product no integer holds.
  const double pictureBytes = 4.0 * claimed.width() * claimed.height();
  if (claimed.isValid() && limitBytes > 0 && pictureBytes > static_cast<double>(limitBytes)) {
    return "В её заголовке указан размер " + std::to_string(claimed.width()) + " × " +
           std::to_string(claimed.height()) + " пикселей, больше, чем помещается в памяти";
  }
  // Qt's own texts are English; the kinds of failure it reports are worded here.
  switch (reader.error()) {
    case QImageReader::UnsupportedFormatError:
      return "Формат картинки не поддерживается";
    case QImageReader::InvalidDataError:
      return "Данные картинки повреждены";
    default:
      return "Ошибка декодирования";
  }
}

// Whether Qt's readers would accept a picture of `size` at 32 bits a pixel:
// one they refuse must still be refused, with their reason.
bool WithinAllocationLimit(QSize size) {
  const qint64 limitBytes = static_cast<qint64>(QImageReader::allocationLimit()) * 1024 * 1024;
  return limitBytes <= 0 || 4.0 * size.width() * size.height() <= static_cast<double>(limitBytes);
}

QRect ToQRect(const PixelRect& rect) { return QRect(rect.x, rect.y, rect.width, rect.height); }
PixelSize ToPixelSize(QSize size) { return {size.width(), size.height()}; }

// The pixels as premultiplied 0xAARRGGBB, an opaque picture with AA = 0xFF.
SlidePicture ToSlidePicture(const QImage& image) {
  const QImage converted = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                         : QImage::Format_RGB32);
  SlidePicture picture;
  picture.width = converted.width();
  picture.height = converted.height();
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
  for (int y = 0; y < picture.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(converted.constScanLine(y));
    std::uint32_t* out = picture.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width);
    if (converted.format() == QImage::Format_RGB32) {
      for (int x = 0; x < picture.width; ++x) out[x] = row[x] | 0xFF000000u;
    } else {
      std::copy(row, row + picture.width, out);
    }
  }
  return picture;
}

}  // namespace

std::optional<PixelSize> AnnouncedSlideSize(const Bytes& file) {
  QByteArray data = Wrap(file);
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty()) return std::nullopt;
  return PixelSize{size.width(), size.height()};
}

SlideHolder DecodeSlide(const Bytes& file, const std::filesystem::path& path, std::optional<PixelRect> keep) {
  if (!keep) return QtSlideDecoder().Decode(file, path, {});
  return QtSlideDecoder().Decode(file, path, [&keep](PixelSize) { return *keep; });
}

SlideHolder QtSlideDecoder::Decode(const Bytes& file, const std::filesystem::path& path,
                                   const KeepPart& keepFor) const {
  QByteArray data = Wrap(file);
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(false);
  const QSize announced = reader.size();
  const auto fail = [&] {
    throw InputError("Не удалось декодировать картинку " + QuotedPath(path) + ": " +
                     WhyNotDecoded(file, announced, reader));
  };

  SlideHolder holder;
  QImage picture;
  QSize full;
  QPoint keptAt;
  const QRect part = keepFor && announced.isValid() ? ToQRect(keepFor(ToPixelSize(announced)))
                                                          .intersected(QRect(QPoint(0, 0), announced))
                                                    : QRect();
  std::optional<SlidePicture> direct =
      !part.isEmpty() && reader.format() == "jpeg" && WithinAllocationLimit(announced)
          ? DecodeJpegPart(file, {part.x(), part.y(), part.width(), part.height()})
          : std::nullopt;
  if (direct) {
    // A plain JPEG: only the part's rows and columns are decoded (the same
    // pixels as Qt's reader gives, at about half its cost); any other file
    // goes through Qt's reader below.
    holder.picture = std::move(*direct);
    holder.keptLeft = part.x();
    holder.keptTop = part.y();
    full = announced;
  } else if (!part.isEmpty() && reader.supportsOption(QImageIOHandler::ClipRect)) {
    // Decode only the part that can be seen. Qt's JPEG reader stops after the
    // part's last row and stores only the part; the rows above it are decoded
    // and dropped, since the compressed data has to be read through.
    reader.setClipRect(part);
    picture = reader.read();
    if (picture.isNull()) fail();
    full = announced;
    keptAt = part.topLeft();
  } else {
    picture = reader.read();
    if (picture.isNull()) fail();
    full = picture.size();
    if (keepFor) {
      const QRect visible = ToQRect(keepFor(ToPixelSize(full))).intersected(picture.rect());
      picture = visible.isEmpty() ? QImage() : picture.copy(visible);
      keptAt = visible.topLeft();
    }
  }
  if (!direct && !picture.isNull()) {
    holder.picture = ToSlidePicture(picture);
    holder.keptLeft = keptAt.x();
    holder.keptTop = keptAt.y();
  }
  holder.outerWidthTwips = SlideOuterTwips(full.width());
  holder.outerHeightTwips = SlideOuterTwips(full.height());
  return holder;
}

}  // namespace kvarbon
