// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/ffmpeg_handles.h"

extern "C" {
#include <libavutil/error.h>
}

namespace kvarbon {

std::string AvErrorText(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}

}  // namespace kvarbon
