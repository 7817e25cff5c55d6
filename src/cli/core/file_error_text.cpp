// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/core/file_error_text.h"

namespace kvarbon {

std::string DescribeInEnglish(const FileError& error) {
  std::string action;
  switch (error.action()) {
    case FileAction::kListFolder:
      action = "Cannot list the folder";
      break;
    case FileAction::kRead:
      action = "Cannot read";
      break;
    case FileAction::kWrite:
      action = "Cannot write";
      break;
    case FileAction::kCreateFolder:
      action = "Cannot create directory";
      break;
  }
  std::string reason = error.reason();
  if (error.fault() == FileFault::kNotRegular) reason = "Not a regular file";
  if (error.fault() == FileFault::kShrank) reason = "The file became shorter while it was read";
  return action + " \"" + error.path().native() + "\": " + reason;
}

}  // namespace kvarbon
