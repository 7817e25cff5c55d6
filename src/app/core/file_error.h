#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace kvarbon {

// The one error style for failing file operations: what was attempted, on which
// path, and the system's reason. The UI boundary shows what() to the user.
class FileError : public std::runtime_error {
 public:
  FileError(std::string action, std::filesystem::path path, std::string reason);

  const std::string& action() const { return action_; }
  const std::filesystem::path& path() const { return path_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string action_;
  std::filesystem::path path_;
  std::string reason_;
};

// Throws a FileError whose reason is the system's text for errno value `error`.
[[noreturn]] void ThrowFileError(const std::string& action, const std::filesystem::path& path,
                                 int error);

// A failure that is not about one file (too many entries, an unreadable image...).
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace kvarbon
