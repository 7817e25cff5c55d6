// SPDX-License-Identifier: GPL-3.0-or-later
#include "slides/platform/jpeg_part_decoder.h"

// jpeglib.h needs FILE and size_t declared first.
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <vector>

namespace kvarbon {

namespace {

constexpr int kPadColumns = 32;
constexpr int kPadRows = 16;

struct ErrorExit {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void JumpOut(j_common_ptr cinfo) {
  // The library's fatal errors come back here instead of ending the process.
  std::longjmp(reinterpret_cast<ErrorExit*>(cinfo->err)->jump, 1);
}

// Warnings (damaged data, a file cut short) are counted, so that such a file
// goes to Qt's reader, and never printed; trace messages are dropped.
void Quiet(j_common_ptr cinfo, int level) {
  if (level < 0) ++cinfo->err->num_warnings;
}

// The decode proper. Only plain data lives across setjmp here; `out` and `row`
// are sized by the caller's callback before any row is read. False when the
// library failed or warned, or the picture is not one this path takes.
bool Run(jpeg_decompress_struct& cinfo, ErrorExit& error, const Bytes& file, PixelRect part, SlidePicture& out,
         std::vector<unsigned char>& row) {
  if (setjmp(error.jump) != 0) return false;
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(file.data()), static_cast<unsigned long>(file.size()));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
  if (cinfo.progressive_mode || cinfo.num_components != 3 || cinfo.jpeg_color_space != JCS_YCbCr) return false;
  if (static_cast<long long>(part.x) + part.width > static_cast<long long>(cinfo.image_width) ||
      static_cast<long long>(part.y) + part.height > static_cast<long long>(cinfo.image_height)) {
    return false;
  }
  cinfo.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&cinfo);
  const int left = std::max(0, part.x - kPadColumns);
  const int right = std::min(static_cast<int>(cinfo.output_width), part.x + part.width + kPadColumns);
  JDIMENSION cropX = static_cast<JDIMENSION>(left);
  JDIMENSION cropWidth = static_cast<JDIMENSION>(right - left);
  jpeg_crop_scanline(&cinfo, &cropX, &cropWidth);
  row.resize(static_cast<std::size_t>(cropWidth) * 4);
  JDIMENSION at = jpeg_skip_scanlines(&cinfo, static_cast<JDIMENSION>(std::max(0, part.y - kPadRows)));
  JSAMPROW rows[1] = {row.data()};
  for (; at < static_cast<JDIMENSION>(part.y); ++at) {
    if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) return false;
  }
  out.width = part.width;
  out.height = part.height;
  out.pixels.resize(static_cast<std::size_t>(part.width) * static_cast<std::size_t>(part.height));
  const std::size_t skip = static_cast<std::size_t>(part.x) - cropX;
  for (int y = 0; y < part.height; ++y) {
    if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) return false;
    const unsigned char* from = row.data() + skip * 4;
    std::uint32_t* to = out.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(part.width);
    for (int x = 0; x < part.width; ++x, from += 4) {
      to[x] = 0xFF000000u | (std::uint32_t{from[2]} << 16) | (std::uint32_t{from[1]} << 8) | from[0];
    }
  }
  return error.manager.num_warnings == 0;
}

}  // namespace

std::optional<SlidePicture> DecodeJpegPart(const Bytes& file, PixelRect part) {
  if (part.Empty() || part.x < 0 || part.y < 0) return std::nullopt;
  ErrorExit error{};
  jpeg_decompress_struct cinfo{};
  cinfo.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JumpOut;
  error.manager.emit_message = Quiet;
  jpeg_create_decompress(&cinfo);
  SlidePicture picture;
  std::vector<unsigned char> row;
  const bool decoded = Run(cinfo, error, file, part, picture, row);
  jpeg_destroy_decompress(&cinfo);
  if (!decoded) return std::nullopt;
  return picture;
}

}  // namespace kvarbon
