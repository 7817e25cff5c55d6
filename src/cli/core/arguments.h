// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kvarbon {

// A command line that asks for something the program does not take: what is
// wrong, in a few words ("unknown option "-x"").
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One option a program takes, besides -h/--help and --version.
struct OptionSpec {
  std::string_view name;       // "--size"
  std::string_view alias = {};  // a short form such as "-q", without a value
  // What the value is, for "--size needs a size such as 1280x720"; empty for
  // an option that takes no value.
  std::string_view value = {};
  // A second one is refused ("--extract given twice").
  bool once = false;
  // Checks a value as it is read: what is wrong with it, or empty.
  std::string (*check)(std::string_view value) = nullptr;
};

// What a command line asks for.
struct Arguments {
  enum class Request { kRun, kHelp, kVersion };
  struct Given {
    std::string_view name;  // the option's OptionSpec::name
    std::string value;
  };

  Request request = Request::kRun;
  std::vector<Given> options;  // in the order given
  std::vector<std::string> operands;

  bool Has(std::string_view name) const;
  // The value of the last `name` given.
  std::optional<std::string> Value(std::string_view name) const;
};

// Reads `args` (the arguments after the program's name) in order. Options
// and operands mix; "--" ends the options; "-" alone is an operand. A value
// follows its option as the next argument or after "=" ("--size=WxH"). The
// first -h/--help or --version decides at once. Throws UsageError for an
// unknown option (one dash or two), "=" after an option without a value, a
// missing value, a value its check refuses, and an option given twice that is
// taken once.
Arguments ParseArguments(std::span<const OptionSpec> options, const std::vector<std::string>& args);

}  // namespace kvarbon
