// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/core/bytes.h"

namespace kvarbon {

// File name of the assignment list, in the working directory.
inline constexpr const char* kAssignmentListName = "sound.ini";

// Writes `path` afresh (an earlier content is discarded) with one line per
// non-empty table element k: k + 1, "=", the element's text unchanged, CR LF,
// through a TemporaryFile: the file is replaced only whole and on the disk, and
// a failure keeps an earlier one. Returns the text written. Throws FileError.
std::string WriteAssignmentList(const std::filesystem::path& path,
                         const std::vector<std::string>& SlideSoundTable);

// Reads `path` back as IniSection: every line without its line end, each
// followed by ";". Throws FileError.
std::string ReadAssignmentList(const std::filesystem::path& path);

// IniSection from the bytes of an assignment list. A line ends at CR LF, a lone
// CR or a lone LF; the last line may lack an end. Other bytes pass unchanged.
std::string IniSectionFromBytes(ByteView bytes);

}  // namespace kvarbon
