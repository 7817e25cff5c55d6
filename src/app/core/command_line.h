// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace kvarbon {

// What the command line of kvarbon asks for.
struct CommandLine {
  enum class Action {
    kRun,                 // work in the current folder, as without options
    kChooseFolderAndRun,  // --choose-folder: ask for the show's folder first
    kHelp,                // -h, --help
    kVersion,             // --version
    kUsageError,          // an unknown option; `error` says which
  };
  Action action = Action::kRun;
  std::string error;
};

// Reads the tool's own options from `args` (the arguments after the program's
// name); the first of --help and --version decides. The options Qt documents
// for every widget program (-platform, -style, -display...) and their values
// are left to Qt, which takes them itself, and so are arguments that are not
// options. Any other argument starting with "-" is a usage error.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage lines, and the texts of --help and --version, each ending in a line end.
std::string UsageText();
std::string HelpText();
std::string VersionText();

}  // namespace kvarbon
