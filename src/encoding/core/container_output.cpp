// SPDX-License-Identifier: GPL-3.0-or-later
#include "encoding/core/container_output.h"

#include <memory>
#include <system_error>
#include <utility>

namespace kvarbon {

ContainerOutput::ContainerOutput(std::filesystem::path path, std::string head, const FileListSource& sounds,
                                 MediaWarning warn, FileCopier::Mode copy)
    : file_(std::move(path)), head_(std::move(head)), copier_(copy), scan_(std::move(warn)) {
  std::uint64_t soundSection = 0;
  for (int p = 0; p < sounds.Count(); ++p) {
    // A sound that cannot be measured now is planned as empty: copying it
    // names the failure in its turn, after every file before it.
    std::error_code error;
    const std::uintmax_t length = std::filesystem::file_size(sounds.PathOf(p), error);
    soundLengths_.push_back(error ? 0 : length);
    soundSection += soundLengths_.back() + kPayloadSeparator.size();
  }
  videoStart_ = head_.size() + soundSection + kBetweenSections.size();
  WriteAt(file_.fd(), 0, AsBytes(head_), file_.Target());
  WriteAt(file_.fd(), videoStart_ - kBetweenSections.size(), AsBytes(kBetweenSections), file_.Target());
}

void ContainerOutput::ForEachFile(const FileListSource& list, const std::function<void(int)>& afterEachFile,
                                  const std::function<void(OpenedFile, const std::filesystem::path&, int)>& copy) {
  try {
    for (int i = 0; i < list.Count(); ++i) {
      const std::filesystem::path path = list.PathOf(i);
      copy(OpenForReading(path), path, i);
      scan_.Report();
      if (afterEachFile) afterEachFile(i);
    }
  } catch (...) {
    scan_.Finish();  // the files before the failing one are all named, as they would be without it
    throw;
  }
  scan_.Finish();
}

void ContainerOutput::CopySlides(const FileListSource& slides, const std::function<void(int)>& afterEachFile) {
  ForEachFile(slides, afterEachFile, [this](OpenedFile opened, const std::filesystem::path& path, int) {
    videoLength_ += CopyPayload(std::move(opened), path, videoStart_ + videoLength_, MediaSection::kVideo);
  });
  WriteAt(file_.fd(), videoStart_ + videoLength_, AsBytes(kVideoEndTag), file_.Target());
}

void ContainerOutput::CopySounds(const FileListSource& sounds, const std::function<void(int)>& afterEachFile) {
  movedStart_ = videoStart_ + videoLength_ + kVideoEndTag.size();
  ForEachFile(sounds, afterEachFile, [this](OpenedFile opened, const std::filesystem::path& path, int p) {
    const auto position = static_cast<std::size_t>(p);
    soundsMoved_ = soundsMoved_ || position >= soundLengths_.size() || opened.length != soundLengths_[position];
    if (!soundsMoved_) {
      placedSounds_ += CopyPayload(std::move(opened), path, head_.size() + placedSounds_, MediaSection::kSound);
    } else {
      movedSounds_ += CopyPayload(std::move(opened), path, movedStart_ + movedSounds_, MediaSection::kSound);
    }
  });
}

std::uint64_t ContainerOutput::CopyPayload(OpenedFile opened, const std::filesystem::path& path, std::uint64_t offset,
                                           MediaSection section) {
  const auto file = std::make_shared<const FileDescriptor>(std::move(opened.file));
  copier_.Copy({file->get(), 0, path}, {file_.fd(), offset, file_.Target()}, opened.length);
  WriteAt(file_.fd(), offset + opened.length, AsBytes(kPayloadSeparator), file_.Target());
  scan_.Add(file, opened.length, path, section);
  return opened.length + kPayloadSeparator.size();
}

void ContainerOutput::CopyOut(std::uint64_t from, std::uint64_t length, int to, std::uint64_t toOffset) {
  copier_.Copy({file_.fd(), from, file_.Target()}, {to, toOffset, file_.Target()}, length);
}

void ContainerOutput::Commit(const std::string& head) {
  if (!soundsMoved_ && head.size() == head_.size()) {
    // Only the head's text changed, not its length (or nothing did): it is
    // written over in place, and every block stays where it is.
    if (head != head_) WriteAt(file_.fd(), 0, AsBytes(head), file_.Target());
    file_.Commit();
    return;
  }
  // The plan was wrong: the final file is put together in a second temporary
  // file, each block copied into it once, and the first one is dropped.
  TemporaryFile fixed(file_.Target());
  std::uint64_t at = 0;
  const auto put = [&](std::string_view text) {
    WriteAt(fixed.fd(), at, AsBytes(text), file_.Target());
    at += text.size();
  };
  const auto move = [&](std::uint64_t from, std::uint64_t length) {
    CopyOut(from, length, fixed.fd(), at);
    at += length;
  };
  put(head);
  move(head_.size(), placedSounds_);
  move(movedStart_, movedSounds_);
  put(kBetweenSections);
  move(videoStart_, videoLength_ + kVideoEndTag.size());
  fixed.Commit();
}

}  // namespace kvarbon
