// SPDX-License-Identifier: GPL-3.0-or-later
#include "encoding/core/assignment_list.h"

#include "app/core/file_io.h"
#include "app/core/temporary_file.h"

namespace kvarbon {

std::string WriteAssignmentList(const std::filesystem::path& path,
                         const std::vector<std::string>& SlideSoundTable) {
  std::string text;
  for (std::size_t k = 0; k < SlideSoundTable.size(); ++k) {
    if (SlideSoundTable[k].empty()) continue;
    text += std::to_string(k + 1);
    text += '=';
    text += SlideSoundTable[k];
    text += "\r\n";
  }
  // Written beside it and renamed into place once on the disk, as the
  // container is: an earlier list stays whole until the new one replaces it.
  TemporaryFile file(path);
  WriteAt(file.fd(), 0, AsBytes(text), path);
  file.Commit();
  return text;
}

std::string ReadAssignmentList(const std::filesystem::path& path) {
  return IniSectionFromBytes(ReadWholeFile(path));
}

std::string IniSectionFromBytes(ByteView bytes) {
  const std::string_view text = AsText(bytes);
  std::string IniSection;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", i);
    const std::size_t lineEnd = (end == std::string_view::npos) ? text.size() : end;
    IniSection.append(text.substr(i, lineEnd - i));
    IniSection += ';';
    i = lineEnd;
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n' && (i == lineEnd || text[i - 1] == '\r')) ++i;
  }
  return IniSection;
}

}  // namespace kvarbon
