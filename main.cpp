// SPDX-License-Identifier: GPL-3.0-or-later
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/core/command_line.h"

// The tool works on the "pic" and "snd" folders of the working directory.
int main(int argc, char** argv) {
  // The system's reasons in messages come in the user's language.
  std::setlocale(LC_ALL, "");
  const kvarbon::CommandLine command =
      kvarbon::ParseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  switch (command.action) {
    case kvarbon::CommandLine::Action::kHelp:
      std::fputs(kvarbon::HelpText().c_str(), stdout);
      return 0;
    case kvarbon::CommandLine::Action::kVersion:
      std::fputs(kvarbon::VersionText().c_str(), stdout);
      return 0;
    case kvarbon::CommandLine::Action::kUsageError:
      std::fprintf(stderr, "kvarbon: %s\n%sПодробнее: kvarbon --help\n", command.error.c_str(),
                   kvarbon::UsageText().c_str());
      return 2;
    case kvarbon::CommandLine::Action::kRun:
    case kvarbon::CommandLine::Action::kChooseFolderAndRun:
      break;
  }
  const bool chooseFolder = command.action == kvarbon::CommandLine::Action::kChooseFolderAndRun;
  return kvarbon::RunApplication(argc, argv, std::filesystem::path("."), chooseFolder);
}
