// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

#include "app/core/bytes.h"

namespace kvarbon::testing {

// Image files of one solid colour, made here so each test states its pictures.
Bytes SolidBmp(int width, int height, QColor color);
Bytes SolidJpeg(int width, int height, QColor color);
Bytes SolidGif(int width, int height, QColor color);

}  // namespace kvarbon::testing
