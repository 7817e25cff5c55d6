// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/core/arguments.h"

#include <algorithm>

namespace kvarbon {

bool Arguments::Has(std::string_view name) const {
  return std::any_of(options.begin(), options.end(), [&](const Given& given) { return given.name == name; });
}

std::optional<std::string> Arguments::Value(std::string_view name) const {
  const auto last = std::find_if(options.rbegin(), options.rend(), [&](const Given& given) { return given.name == name; });
  if (last == options.rend()) return std::nullopt;
  return last->value;
}

Arguments ParseArguments(std::span<const OptionSpec> options, const std::vector<std::string>& args) {
  Arguments arguments;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      arguments.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help" || arg == "--version") {
      arguments.request = arg == "--version" ? Arguments::Request::kVersion : Arguments::Request::kHelp;
      return arguments;
    }
    const std::size_t equals = arg.starts_with("--") ? arg.find('=') : std::string::npos;
    const std::string_view name = std::string_view(arg).substr(0, equals);
    const auto spec = std::find_if(options.begin(), options.end(), [&](const OptionSpec& option) {
      return option.name == name || (!option.alias.empty() && option.alias == name);
    });
    if (spec == options.end() || (equals != std::string::npos && (spec->value.empty() || name != spec->name))) {
      throw UsageError("unknown option \"" + arg + "\"");
    }
    if (spec->once && arguments.Has(spec->name)) throw UsageError(std::string(spec->name) + " given twice");
    std::string value;
    if (!spec->value.empty()) {
      if (equals != std::string::npos) {
        value = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        throw UsageError(std::string(spec->name) + " needs " + std::string(spec->value));
      }
      if (spec->check != nullptr) {
        if (std::string problem = spec->check(value); !problem.empty()) throw UsageError(problem);
      }
    }
    arguments.options.push_back({spec->name, std::move(value)});
  }
  return arguments;
}

}  // namespace kvarbon
