#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kvarbon {

// File name of the assignment list, in the working directory.
inline constexpr const char* kAssignmentListName = "sound.ini";

// Creates `path` (an earlier content is discarded) and writes one line per
// non-empty table element k: k + 1, "=", the element's text unchanged, CR LF.
// Throws FileError.
void WriteAssignmentList(const std::filesystem::path& path,
                         const std::vector<std::string>& SlideSoundTable);

// Reads `path` back as IniSection: every line without its line end, each
// followed by ";". Throws FileError.
std::string ReadAssignmentList(const std::filesystem::path& path);

}  // namespace kvarbon
