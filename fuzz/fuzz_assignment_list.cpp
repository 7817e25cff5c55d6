// SPDX-License-Identifier: GPL-3.0-or-later
// The assignment list reader on arbitrary file contents, checked against a
// plain restatement of its rule: every line, without its end (CR LF, lone CR or
// lone LF), followed by ";".
#include <cstdint>
#include <cstdlib>
#include <string>

#include "encoding/core/assignment_list.h"

namespace {

std::string Expected(std::string_view text) {
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      lines += ';';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      lines += ';';
    } else {
      lines += text[i];
    }
  }
  const char last = text.empty() ? '\n' : text.back();
  if (last != '\r' && last != '\n') lines += ';';
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kvarbon::ByteView bytes(reinterpret_cast<const std::byte*>(data), size);
  const std::string IniSection = kvarbon::IniSectionFromBytes(bytes);
  if (IniSection != Expected(kvarbon::AsText(bytes))) std::abort();
  return 0;
}
