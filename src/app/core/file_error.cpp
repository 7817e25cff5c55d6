// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/core/file_error.h"

#include <cstring>
#include <system_error>

namespace kvarbon {

namespace {

std::string ActionText(FileAction action) {
  switch (action) {
    case FileAction::kListFolder:
      return "Не удалось открыть папку";
    case FileAction::kRead:
      return "Не удалось прочитать файл";
    case FileAction::kWrite:
      return "Не удалось записать файл";
    case FileAction::kCreateFolder:
      return "Не удалось создать папку";
  }
  return {};
}

std::string FaultText(FileFault fault) {
  switch (fault) {
    case FileFault::kNotRegular:
      return "Это не обычный файл";
    case FileFault::kShrank:
      return "Файл стал короче, пока его читали";
  }
  return {};
}

std::string Describe(FileAction action, const std::filesystem::path& path, const std::string& reason,
                     const std::string& advice) {
  std::string text = ActionText(action) + " " + QuotedPath(path) + ": " + reason;
  if (!advice.empty()) text += ". " + advice;
  return text;
}

}  // namespace

FileError::FileError(FileAction action, std::filesystem::path path, int error, const std::string& advice)
    : FileError(action, std::move(path), error, std::nullopt, SystemReason(error), advice) {}

FileError::FileError(FileAction action, std::filesystem::path path, FileFault fault)
    : FileError(action, std::move(path), 0, fault, FaultText(fault), {}) {}

FileError::FileError(FileAction action, std::filesystem::path path, int error, std::optional<FileFault> fault,
                     std::string reason, const std::string& advice)
    : std::runtime_error(Describe(action, path, reason, advice)),
      action_(action),
      path_(std::move(path)),
      error_(error),
      fault_(fault),
      reason_(std::move(reason)) {}

void ThrowFileError(FileAction action, const std::filesystem::path& path, int error) {
  throw FileError(action, path, error);
}

std::string SystemReason(int error) {
  // The GNU strerror_r: it returns either the library's own constant text or
  // the text it wrote into `buffer`, never a buffer shared between threads.
  char buffer[256];
  return ::strerror_r(error, buffer, sizeof buffer);
}

std::string QuotedPath(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return "«" + (error ? path : absolute.lexically_normal()).native() + "»";
}

}  // namespace kvarbon
