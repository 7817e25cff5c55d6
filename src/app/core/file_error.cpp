#include "app/core/file_error.h"

#include <cstring>

namespace kvarbon {

namespace {
std::string Describe(const std::string& action, const std::filesystem::path& path,
                     const std::string& reason) {
  return action + " \"" + path.native() + "\": " + reason;
}
}  // namespace

FileError::FileError(std::string action, std::filesystem::path path, std::string reason)
    : std::runtime_error(Describe(action, path, reason)),
      action_(std::move(action)),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

void ThrowFileError(const std::string& action, const std::filesystem::path& path, int error) {
  throw FileError(action, path, std::strerror(error));
}

}  // namespace kvarbon
