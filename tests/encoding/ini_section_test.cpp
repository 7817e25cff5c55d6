// SPDX-License-Identifier: GPL-3.0-or-later
// The assignment list's text read from bytes, whatever a hand-edited or
// damaged "sound.ini" holds.
#include <gtest/gtest.h>

#include "encoding/core/assignment_list.h"

namespace kvarbon {
namespace {

TEST(IniSectionFromBytes, EveryKindOfLineEndAndAnyOtherByte) {
  using namespace std::string_literals;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""},
      {"1=4\r\n3=0\r\n", "1=4;3=0;"},
      {"1=4\n3=0", "1=4;3=0;"},           // lone LF, no end on the last line
      {"1=4\r3=0\r", "1=4;3=0;"},         // lone CR
      {"\r\n\r\n", ";;"},                 // blank lines are lines
      {"1=0\r\r\n2=1", "1=0;;2=1;"},      // CR, then CR LF: two ends
      {"1=0\n\r2=1", "1=0;;2=1;"},        // LF, then CR: two ends
      {"a;b\0\xFF\r\n"s, "a;b\0\xFF;"s},  // other bytes pass unchanged
  };
  for (const auto& [file, section] : cases) {
    EXPECT_EQ(IniSectionFromBytes(AsBytes(file)), section) << "for \"" << file << "\"";
  }
}

}  // namespace
}  // namespace kvarbon
