// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "app/core/bytes.h"

namespace kvarbon {

// The kinds of media a container carries: WAV sounds and BMP, JPEG or GIF slides.
enum class MediaFormat { kUnknown, kWav, kBmp, kJpeg, kGif };

// "WAV", "BMP", "JPEG", "GIF" or "unknown".
std::string_view FormatName(MediaFormat format);
// File name extension for an extracted payload: "wav", "bmp", "jpg", "gif" or "bin".
std::string_view FormatExtension(MediaFormat format);

// The format whose signature `bytes` starts with ("RIFF"/"RIFX", "BM", FF D8 FF,
// "GIF8"). Only the signature is looked at, so a damaged or cut-off file still
// gets its kind.
MediaFormat DetectFormat(ByteView bytes);

// What `bytes` look like by their signature, for messages: "WAV", "BMP",
// "JPEG" or "GIF" as DetectFormat finds them, a few common kinds a show does
// not carry ("PNG", "MP3", "Ogg", "FLAC", "WebP", "TIFF", "HEIF", "MP4", ...), or empty
// when none is recognised. A RIFF file of another form than WAVE (WebP, AVI)
// is named by its form.
std::string_view LooksLike(ByteView bytes);

// A length the media states for itself, and what states it.
struct DeclaredLength {
  std::uint64_t length = 0;
  std::string_view source;  // "RIFF size", "BMP file size field", "JPEG end marker", ...
};

// The lengths the media at the start of `bytes` declares, shortest first, with
// no duplicates. `bytes` may run on past the media (the rest of a container).
// - WAV: the RIFF size + 8; when the size is odd, also one more, for writers
//   that add the RIFF pad byte.
// - BMP: the file size field at offset 2, once the header around it is
//   plausible; also the pixel data's end computed from the header, in case the
//   field is wrong.
// - JPEG: just past the end-of-image marker, found by walking the markers from
//   start-of-image (segments skipped by their lengths, entropy-coded data with
//   its FF 00 stuffing and restart markers). When another start-of-image follows
//   at once, as in a multi-picture file, the end of that one too.
// - GIF: just past the 3B trailer, found by walking the blocks (screen
//   descriptor, colour tables, extensions, image descriptors, sub-blocks).
// WAV and BMP lengths come from the header and may exceed `bytes`; JPEG and GIF
// lengths are only given when the walk ends within `bytes`. Empty when the
// format is unknown or its structure does not hold together. Never reads
// outside `bytes`.
std::vector<DeclaredLength> DeclaredLengths(ByteView bytes);

}  // namespace kvarbon
