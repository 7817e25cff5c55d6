// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/core/command_line.h"

#include "app/core/program_version.h"

namespace kvarbon {

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine command;
  for (const std::string& arg : args) {
    if (arg == "-h" || arg == "--help") return {CommandLine::Action::kHelp, {}};
    if (arg == "--version") return {CommandLine::Action::kVersion, {}};
    if (arg == "--choose-folder") {
      command.action = CommandLine::Action::kChooseFolderAndRun;
    } else if (arg.starts_with("--") && arg != "--") {
      return {CommandLine::Action::kUsageError, "неизвестный параметр «" + arg + "»"};
    }
  }
  return command;
}

std::string HelpText() {
  return "Использование: kvarbon [--choose-folder]\n"
         "               kvarbon --help | --version\n"
         "\n"
         "Кварбон собирает слайд-шоу ZEL из картинок папки pic и звуков папки snd\n"
         "текущей папки и записывает в неё Dest.zel и sound.ini.\n"
         "\n"
         "  --choose-folder  сначала спросить папку слайд-шоу и работать в ней\n"
         "  -h, --help       показать эту справку\n"
         "  --version        показать версию\n"
         "\n"
         "Подробнее: man kvarbon.\n";
}

std::string VersionText() { return "kvarbon " + std::string(ProgramVersion()) + "\n"; }

}  // namespace kvarbon
