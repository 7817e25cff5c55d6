// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace kvarbon {

// What a failing file operation attempted.
enum class FileAction { kListFolder, kRead, kWrite, kCreateFolder };

// Why a file operation failed when the system gave no error number for it.
enum class FileFault { kNotRegular, kShrank };

// The one error style for failing file operations: what was attempted, on which
// path, and the reason, as the tool's interface words it ("Не удалось прочитать
// файл «/абсолютный/путь»: причина"). The reason is the C library's text for the
// error number, in the user's locale, or the tool's own for a FileFault. An
// advice sentence, when given, follows. The UI boundary shows what() to the user.
class FileError : public std::runtime_error {
 public:
  FileError(FileAction action, std::filesystem::path path, int error, const std::string& advice = {});
  FileError(FileAction action, std::filesystem::path path, FileFault fault);

  FileAction action() const { return action_; }
  const std::filesystem::path& path() const { return path_; }
  // The errno value, or 0 when fault() is set.
  int error() const { return error_; }
  const std::optional<FileFault>& fault() const { return fault_; }
  // The reason as it appears in what().
  const std::string& reason() const { return reason_; }

 private:
  FileError(FileAction action, std::filesystem::path path, int error, std::optional<FileFault> fault,
            std::string reason, const std::string& advice);

  FileAction action_;
  std::filesystem::path path_;
  int error_;
  std::optional<FileFault> fault_;
  std::string reason_;
};

// Throws a FileError whose reason is the system's text for errno value `error`.
[[noreturn]] void ThrowFileError(FileAction action, const std::filesystem::path& path, int error);

// The C library's text for errno value `error` in the current locale; safe on any thread.
std::string SystemReason(int error);

// `path` as messages show it: absolute, without "." or ".." steps, in «».
std::string QuotedPath(const std::filesystem::path& path);

// A failure that is not about one file (too many entries, an unreadable image...).
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace kvarbon
