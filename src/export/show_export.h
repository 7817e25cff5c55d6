// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "export/media_writer.h"
#include "show/core/container_reader.h"
#include "show/core/playability.h"
#include "show/core/show_file.h"

namespace kvarbon {

// The largest video made without --size: a larger first slide is scaled down to fit.
inline constexpr int kLargestDefaultWidth = 3840;
inline constexpr int kLargestDefaultHeight = 2160;

struct ExportOptions {
  OutputKind kind = OutputKind::kMp4;
  bool fit = false;          // scale each slide to fit, centred on black
  std::optional<int> width;  // scale the result to width x height (both or neither)
  std::optional<int> height;
};

struct ExportHooks {
  // Asked before each sound is read, after every frame and after every tenth
  // of a second of sound: the export stops (ExportShow returns false) once it
  // says so.
  std::function<bool()> stop;
  // Called once the video's length is known, before the file is created; the
  // export stops (ExportShow returns false) when it returns false.
  std::function<bool(std::int64_t totalMs)> begin;
  // Called as the video is written with the milliseconds done and the whole length.
  std::function<void(std::int64_t doneMs, std::int64_t totalMs)> progress;
  // Something that is exported anyway, but not as the show intends.
  std::function<void(const std::string& text)> warn;
  // Something the export does by itself that the user may want to change.
  std::function<void(const std::string& text)> notice;
};

// Encodes the show whose payloads `payloads` reads into `file` as the preview
// plays it: frame k from (k - 1) * T ms, drawn on a canvas the size of the
// first slide (rounded up to even; the video's when that is smaller), each
// frame's sound starting with it and cutting off the one before. The video is
// slide 1's size unless `options` give one, but at most kLargestDefaultWidth x
// kLargestDefaultHeight (then scaled down keeping the aspect, with a notice).
// Payloads are read as the export reaches them, and sounds converted a piece
// at a time, so memory holds a few pictures and one sound's payload. Throws
// ShowError (also naming a sound that cannot be converted), MediaError, and
// what `payloads` throws. Returns false when stopped by a hook; `file` is then
// incomplete.
bool ExportShow(const PayloadSource& payloads, const ContainerContents& contents, const ExportOptions& options,
                const std::filesystem::path& file, const ExportHooks& hooks);

}  // namespace kvarbon
