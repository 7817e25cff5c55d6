// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of zel-inspect, zel-export and zel-play, read against an
// option table like theirs.
#include "cli/core/arguments.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace kvarbon {
namespace {

std::string NotEmpty(std::string_view value) { return value.empty() ? "--out needs a name" : ""; }

constexpr std::array kOptions = {
    OptionSpec{.name = "--fit"},
    OptionSpec{.name = "--quiet", .alias = "-q"},
    OptionSpec{.name = "--size", .value = "a size"},
    OptionSpec{.name = "--out", .value = "a name", .once = true, .check = NotEmpty},
};

// The options and operands read, as "--name=value" and "[operand]", or the usage error.
std::string Read(const std::vector<std::string>& args) {
  try {
    const Arguments arguments = ParseArguments(kOptions, args);
    std::string read;
    if (arguments.request == Arguments::Request::kHelp) read = "help ";
    if (arguments.request == Arguments::Request::kVersion) read = "version ";
    for (const Arguments::Given& given : arguments.options) read += std::string(given.name) + "=" + given.value + " ";
    for (const std::string& operand : arguments.operands) read += "[" + operand + "] ";
    return read;
  } catch (const UsageError& error) {
    return std::string("error: ") + error.what();
  }
}

TEST(Arguments, OptionsValuesAndOperandsInAnyOrderAndEveryUnknownOptionRefused) {
  // Values after the option or after "=", aliases, operands anywhere, "-" an operand, "--" ends the options.
  EXPECT_EQ(Read({"a.zel", "--size", "8x6", "-q", "-", "--size=4x2", "--", "--fit", "-x"}),
            "--size=8x6 --quiet= --size=4x2 [a.zel] [-] [--fit] [-x] ");
  EXPECT_EQ(Read({"--out", "--fit"}), "--out=--fit ");  // a value may look like an option
  EXPECT_EQ(Read({}), "");
  const Arguments arguments = ParseArguments(kOptions, {"--size=1x1", "--fit", "--size", "2x2"});
  EXPECT_TRUE(arguments.Has("--fit"));
  EXPECT_FALSE(arguments.Has("--quiet"));
  EXPECT_EQ(arguments.Value("--size"), "2x2");
  EXPECT_EQ(arguments.Value("--out"), std::nullopt);

  // The first -h, --help or --version decides, wherever it stands; after "--" it is an operand.
  EXPECT_EQ(Read({"a", "--fit", "-h", "--bogus"}), "help --fit= [a] ");
  EXPECT_EQ(Read({"--version", "--help"}), "version ");
  EXPECT_EQ(Read({"--", "--help"}), "[--help] ");
  EXPECT_EQ(Read({"--bogus", "--help"}), "error: unknown option \"--bogus\"");

  // Refused: unknown options with one dash or two, "=" where no value is taken,
  // a missing value, a value the check refuses, a second of an option taken once.
  EXPECT_EQ(Read({"-x"}), "error: unknown option \"-x\"");
  EXPECT_EQ(Read({"-v"}), "error: unknown option \"-v\"");
  EXPECT_EQ(Read({"-fit"}), "error: unknown option \"-fit\"");
  EXPECT_EQ(Read({"--help=1"}), "error: unknown option \"--help=1\"");
  EXPECT_EQ(Read({"--fit=yes"}), "error: unknown option \"--fit=yes\"");
  EXPECT_EQ(Read({"-q=1"}), "error: unknown option \"-q=1\"");
  EXPECT_EQ(Read({"a", "--size"}), "error: --size needs a size");
  EXPECT_EQ(Read({"--out="}), "error: --out needs a name");
  EXPECT_EQ(Read({"--out", ""}), "error: --out needs a name");
  EXPECT_EQ(Read({"--out", "x", "--out=y"}), "error: --out given twice");
}

}  // namespace
}  // namespace kvarbon
