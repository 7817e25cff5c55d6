// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/file_copy.h"
#include "app/core/file_io.h"
#include "app/core/file_lists.h"
#include "app/core/temporary_file.h"
#include "encoding/core/media_scan.h"
#include "show/core/zel_format.h"

namespace kvarbon {

// File name of the container, in the working directory.
inline constexpr const char* kContainerName = "Dest.zel";

// The container, built in a temporary file beside its path without holding
// the media in memory:
//   head | sound files, each then "-|-" | "\soundvideo" | slide files, each then "-|-" | "\video"
// Each media file is copied once, straight to its final offset. Those offsets
// follow from a head and sound lengths known before any file is copied; Commit
// is told the head as it finally is, the sounds are measured again as they are
// copied, and where either differs the misplaced blocks are moved once, so the
// finished file is what JoinContainer gives for the final pieces. Until
// Commit nothing stands under the path; a failure or the object's end without
// Commit removes the temporary file. Failures throw FileError naming the media
// file or the container's path.
class ContainerOutput {
 public:
  // Creates the temporary file and writes `head` and "\soundvideo", the latter
  // after room for every sound of `sounds` at the length the file system gives
  // now. Media found to mislead a searching reader are named through `warn`.
  ContainerOutput(std::filesystem::path path, std::string head, const FileListSource& sounds,
                  MediaWarning warn = WarnOnStderr, FileCopier::Mode copy = FileCopier::Mode::kKernelFirst);

  // Copies every slide of `slides` in list order, then writes "\video".
  // `afterEachFile(i)` runs after slide i is in, before slide i + 1 is opened;
  // a failing slide is reported after every slide before it is in.
  void CopySlides(const FileListSource& slides, const std::function<void(int)>& afterEachFile = {});
  // The same for the sounds the constructor measured, after the slides.
  void CopySounds(const FileListSource& sounds, const std::function<void(int)>& afterEachFile = {});
  // Puts `head` in front, moves what a wrong guess misplaced, and renames the
  // file over the path.
  void Commit(const std::string& head);

 private:
  // Opens every file of `list` in order and hands it to `copy`, then reports
  // what the scan found and runs `afterEachFile`.
  void ForEachFile(const FileListSource& list, const std::function<void(int)>& afterEachFile,
                   const std::function<void(OpenedFile, const std::filesystem::path&, int)>& copy);
  // Copies one opened media file and its separator to `offset`; returns the bytes written.
  std::uint64_t CopyPayload(OpenedFile opened, const std::filesystem::path& path, std::uint64_t offset,
                            MediaSection section);
  void CopyOut(std::uint64_t from, std::uint64_t length, int to, std::uint64_t toOffset);

  TemporaryFile file_;
  std::string head_;
  std::vector<std::uint64_t> soundLengths_;  // as asked before the copy
  std::uint64_t videoStart_ = 0;             // offset of the first slide
  std::uint64_t videoLength_ = 0;            // the slides and their separators, copied so far
  std::uint64_t placedSounds_ = 0;           // the sounds in their planned place, with separators
  bool soundsMoved_ = false;                 // a sound's length differed from the plan
  std::uint64_t movedStart_ = 0;             // where that sound and every later one go instead
  std::uint64_t movedSounds_ = 0;
  FileCopier copier_;
  MediaScan scan_;
};

}  // namespace kvarbon
