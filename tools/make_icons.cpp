// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the icon, a film frame with a note on it, as PNG files at the sizes the
// desktop asks for: 16 and 32 pixels in 256 colours (also the window icon), 48
// to 256 pixels in full colour. resources/icons/kvarbon.svg is the same drawing
// as a scalable image; change both together. Not part of the build; run once
// when the artwork changes:
//   g++ -std=c++20 -fPIC tools/make_icons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/make_icons
//   QT_QPA_PLATFORM=offscreen /tmp/make_icons resources/icons
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <cstdio>

namespace {

QImage DrawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, size >= 32);
  const double unit = size / 16.0;
  painter.scale(unit, unit);

  // The film strip: a dark band with a row of sprocket holes along each edge.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(40, 40, 48));
  painter.drawRect(QRectF(1, 0, 14, 16));
  painter.setBrush(QColor(230, 230, 230));
  for (int row = 0; row < 4; ++row) {
    const double y = 1 + row * 4;
    painter.drawRect(QRectF(1.75, y, 1.5, 2));
    painter.drawRect(QRectF(12.75, y, 1.5, 2));
  }

  // The frame: a sky-blue picture area.
  painter.setBrush(QColor(70, 150, 230));
  painter.drawRect(QRectF(4, 2, 8, 12));

  // The note: an eighth note in yellow.
  const QColor note(255, 210, 40);
  painter.setBrush(note);
  painter.drawEllipse(QRectF(5, 9.5, 3.5, 2.75));
  painter.drawRect(QRectF(7.5, 3.5, 1, 7.5));
  QPainterPath flag;
  flag.moveTo(8.5, 3.5);
  flag.cubicTo(10.5, 4.5, 11.5, 6, 10.5, 8);
  flag.cubicTo(10.5, 6.5, 9.5, 5.75, 8.5, 5.5);
  flag.closeSubpath();
  painter.drawPath(flag);
  painter.end();

  // 256 colours for the window icon's images.
  if (size > 32) return image;
  return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icons <output folder>\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    const QString path = QStringLiteral("%1/kvarbon-%2.png").arg(folder).arg(size);
    if (!DrawIcon(size).save(path, "PNG")) {
      std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
