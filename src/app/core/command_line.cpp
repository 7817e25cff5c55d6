// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/core/command_line.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "app/core/program_version.h"

namespace kvarbon {

namespace {

// The options Qt 6 documents for every widget program and that QApplication
// takes out of the arguments itself (-display and -geometry on X11 only).
// These take the next argument as their value...
constexpr std::array<std::string_view, 12> kQtOptionsWithValue = {
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin",  "-qwindowgeometry", "-qwindowicon",
    "-qwindowtitle", "-session", "-display", "-geometry", "-style", "-stylesheet"};
// ...these take none...
constexpr std::array<std::string_view, 2> kQtFlags = {"-reverse", "-widgetcount"};
// ...and these carry theirs after "=".
constexpr std::array<std::string_view, 3> kQtOptionsWithEquals = {"-style=", "-stylesheet=", "-qmljsdebugger="};

template <std::size_t N>
bool IsOneOf(std::string_view arg, const std::array<std::string_view, N>& options) {
  return std::find(options.begin(), options.end(), arg) != options.end();
}

template <std::size_t N>
bool StartsWithOneOf(std::string_view arg, const std::array<std::string_view, N>& prefixes) {
  return std::any_of(prefixes.begin(), prefixes.end(), [arg](std::string_view p) { return arg.starts_with(p); });
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine command;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") return {CommandLine::Action::kHelp, {}};
    if (arg == "--version") return {CommandLine::Action::kVersion, {}};
    if (arg == "--choose-folder") {
      command.action = CommandLine::Action::kChooseFolderAndRun;
    } else if (IsOneOf(arg, kQtOptionsWithValue)) {
      ++i;  // its value is Qt's, whatever it looks like
    } else if (IsOneOf(arg, kQtFlags) || StartsWithOneOf(arg, kQtOptionsWithEquals) || arg == "--") {
      continue;
    } else if (arg.starts_with("-")) {
      return {CommandLine::Action::kUsageError, "неизвестный параметр «" + arg + "»"};
    }
  }
  return command;
}

std::string UsageText() {
  return "Использование: kvarbon [--choose-folder]\n"
         "               kvarbon --help | --version\n";
}

std::string HelpText() {
  return UsageText() +
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
