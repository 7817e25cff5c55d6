// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "cli/core/arguments.h"

namespace kvarbon {

// The exit statuses of zel-inspect, zel-export and zel-play.
inline constexpr int kExitOk = 0;
inline constexpr int kExitContainer = 1;  // the container is malformed or cannot be played
inline constexpr int kExitTrouble = 2;    // a usage error, or a file that cannot be read or written

// Ends a program's run with `status` after one line on standard error, the
// program's name and then what().
class CommandFailure : public std::runtime_error {
 public:
  CommandFailure(int status, const std::string& text) : std::runtime_error(text), status_(status) {}
  int status() const { return status_; }

 private:
  int status_;
};

// One of the command-line programs.
struct ProgramSpec {
  std::string_view name;   // "zel-export"
  std::string_view usage;  // the "Usage: ..." lines, each ending in a line end
  std::string_view help;   // what --help shows after the usage
  std::span<const OptionSpec> options = {};
  // Also shows the text of each error the program ends with (zel-play puts it
  // in a message box); usage errors go to standard error only.
  std::function<void(const std::string& text)> alsoReport = {};
};

// Runs a program's command line: reads the arguments (ParseArguments); shows
// the usage and the help, or "NAME VERSION", on standard output for
// -h/--help and --version; otherwise runs `body` and returns its status.
// A usage error, found while reading or thrown by `body` as UsageError, gives
// "NAME: what is wrong", the usage and a pointer to --help on standard error,
// status 2. Any other error out of `body` gives one "NAME: ..." line on
// standard error: CommandFailure with its own status, FileError in the
// English wording (file_error_text.h) and any other exception with its
// what(), both with status 2.
int RunProgram(const ProgramSpec& program, int argc, char** argv,
               const std::function<int(const Arguments& arguments)>& body);

}  // namespace kvarbon
