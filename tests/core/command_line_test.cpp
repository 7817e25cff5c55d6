// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/core/command_line.h"

#include <gtest/gtest.h>

namespace kvarbon {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, WithoutOwnOptionsTheToolRunsAndLeavesTheRestToQt) {
  EXPECT_EQ(ParseCommandLine({}).action, Action::kRun);
  EXPECT_EQ(ParseCommandLine({"-platform", "offscreen", "-style", "fusion", "show", "--"}).action, Action::kRun);
  EXPECT_EQ(ParseCommandLine({"-platform", "xcb", "--choose-folder"}).action, Action::kChooseFolderAndRun);
}

TEST(CommandLine, HelpAndVersionWinOverEverythingAfterThem) {
  EXPECT_EQ(ParseCommandLine({"--choose-folder", "-h"}).action, Action::kHelp);
  EXPECT_EQ(ParseCommandLine({"--version", "--help"}).action, Action::kVersion);
  EXPECT_EQ(ParseCommandLine({"--help", "--no-such"}).action, Action::kHelp);
  EXPECT_EQ(VersionText().rfind("kvarbon ", 0), 0U);
}

TEST(CommandLine, AnUnknownLongOptionIsAUsageErrorNamingIt) {
  const CommandLine wrong = ParseCommandLine({"--choose-folder", "--chose-folder", "--help"});
  EXPECT_EQ(wrong.action, Action::kUsageError);
  EXPECT_NE(wrong.error.find("«--chose-folder»"), std::string::npos) << wrong.error;
}

}  // namespace
}  // namespace kvarbon
