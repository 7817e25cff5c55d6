// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/core/bytes.h"
#include "export/media_writer.h"
#include "show/core/container_reader.h"
#include "show/core/playability.h"

namespace kvarbon {

struct ExportOptions {
  OutputKind kind = OutputKind::kMp4;
  bool fit = false;          // scale each slide to fit, centred on black
  std::optional<int> width;  // scale the result to width x height
  std::optional<int> height;
};

struct ExportHooks {
  // Called after every frame with the milliseconds of video written and the
  // whole length; the export stops (and Export returns false) when it returns false.
  std::function<bool(std::int64_t doneMs, std::int64_t totalMs)> progress;
  // Something that is exported anyway, but not as the show intends.
  std::function<void(const std::string& text)> warn;
};

// Encodes the show read from `container` into `file` as the preview plays it:
// frame k from (k - 1) * T ms, drawn on a canvas the size of the first slide
// (rounded up to even), each frame's sound starting with it and cutting off
// the one before. Throws ShowError, MediaError. Returns false when stopped by
// the progress hook; `file` is then incomplete.
bool ExportShow(ByteView container, const ContainerContents& contents, const ExportOptions& options,
                const std::filesystem::path& file, const ExportHooks& hooks);

}  // namespace kvarbon
