#include "slides/slide_decoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include "app/core/file_error.h"
#include "ui/display_surface.h"
#include "ui/twips.h"

namespace kvarbon {

namespace {

// A read-only device over the file's bytes, without copying them.
QByteArray Wrap(const Bytes& file) {
  return QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()),
                                 static_cast<qsizetype>(file.size()));
}

std::int32_t OuterTwips(int pixels) {
  return static_cast<std::int32_t>((pixels + 2 * kPictureBoxBorderPx) * kTwipsPerPixel);
}

}  // namespace

std::optional<QSize> AnnouncedSlideSize(const Bytes& file) {
  QByteArray data = Wrap(file);
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty()) return std::nullopt;
  return size;
}

QRect VisiblePart(QSize size, QPoint at, QSize canvas) {
  return QRect(QPoint(0, 0), size).intersected(QRect(-at, canvas));
}

SlideHolder DecodeSlide(const Bytes& file, const std::filesystem::path& path, std::optional<QRect> keep) {
  QByteArray data = Wrap(file);
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(false);
  const QSize announced = reader.size();
  const auto fail = [&] {
    throw InputError("Cannot decode the picture \"" + path.native() + "\": " +
                     reader.errorString().toStdString());
  };

  SlideHolder holder;
  QImage picture;
  QSize full;
  QPoint keptAt;
  const QRect part = keep ? keep->intersected(QRect(QPoint(0, 0), announced)) : QRect();
  if (keep && announced.isValid() && !part.isEmpty() &&
      reader.supportsOption(QImageIOHandler::ClipRect)) {
    // Decode only the part that can be seen.
    reader.setClipRect(part);
    picture = reader.read();
    if (picture.isNull()) fail();
    full = announced;
    keptAt = part.topLeft();
  } else {
    picture = reader.read();
    if (picture.isNull()) fail();
    full = picture.size();
    if (keep) {
      const QRect visible = keep->intersected(picture.rect());
      picture = visible.isEmpty() ? QImage() : picture.copy(visible);
      keptAt = visible.topLeft();
    }
  }
  if (!picture.isNull()) {
    picture = picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                : QImage::Format_RGB32);
    holder.keptLeft = keptAt.x();
    holder.keptTop = keptAt.y();
  }
  holder.picture = std::move(picture);
  holder.outerWidthTwips = OuterTwips(full.width());
  holder.outerHeightTwips = OuterTwips(full.height());
  return holder;
}

}  // namespace kvarbon
