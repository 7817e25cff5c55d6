// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/core/command_line.h"

#include <gtest/gtest.h>

namespace kvarbon {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, WithoutOwnOptionsTheToolRunsAndLeavesQtsDocumentedOptionsToQt) {
  EXPECT_EQ(ParseCommandLine({}).action, Action::kRun);
  EXPECT_EQ(ParseCommandLine({"-platform", "offscreen", "-style", "fusion", "show", "--"}).action, Action::kRun);
  EXPECT_EQ(ParseCommandLine({"-platform", "xcb", "--choose-folder"}).action, Action::kChooseFolderAndRun);
  // Every option Qt documents, a value that looks like an option included.
  EXPECT_EQ(ParseCommandLine({"-platformpluginpath", "/p", "-platformtheme", "gtk3", "-plugin", "evdevtouch",
                              "-qwindowgeometry", "400x300", "-qwindowicon", "i", "-qwindowtitle", "-v",
                              "-session", "s", "-display", ":1", "-geometry", "+0+0", "-stylesheet", "a.qss",
                              "-style=fusion", "-stylesheet=a.qss", "-qmljsdebugger=port:1234", "-reverse",
                              "-widgetcount"})
                .action,
            Action::kRun);
}

TEST(CommandLine, HelpAndVersionWinOverEverythingAfterThem) {
  EXPECT_EQ(ParseCommandLine({"--choose-folder", "-h"}).action, Action::kHelp);
  EXPECT_EQ(ParseCommandLine({"--version", "--help"}).action, Action::kVersion);
  EXPECT_EQ(ParseCommandLine({"--help", "--no-such"}).action, Action::kHelp);
  EXPECT_EQ(VersionText().rfind("kvarbon ", 0), 0U);
}

TEST(CommandLine, AnyOtherOptionIsAUsageErrorNamingIt) {
  for (const char* wrong : {"--chose-folder", "-v", "-V", "-x", "-", "-platformx", "-style2", "--platform"}) {
    SCOPED_TRACE(wrong);
    const CommandLine command = ParseCommandLine({"--choose-folder", "-platform", "xcb", wrong, "--help"});
    EXPECT_EQ(command.action, Action::kUsageError);
    EXPECT_NE(command.error.find(std::string("«") + wrong + "»"), std::string::npos) << command.error;
  }
}

}  // namespace
}  // namespace kvarbon
