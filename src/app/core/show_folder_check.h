// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/file_lists.h"

namespace kvarbon {

// What a show folder holds, as the tool's messages say it.
inline constexpr std::string_view kShowFolderHolds =
    "Папка слайд-шоу содержит папку pic с картинками (.bmp, .jpg, .gif) и папку snd со звуками (.wav).";

// Why `folder` cannot be worked on, in Russian, one line each, for the folder
// chooser to show before the window opens; empty when it can. A folder lacking
// "pic" or "snd", or whose "pic" lists fewer than two pictures, gets: the
// folder, what it lacks, the files of "pic" and "snd" their lists leave out
// with why (".jpeg" to be renamed ".jpg", ".png", sounds that are not ".wav"),
// and what a show folder holds. A folder that exists but cannot be listed is
// left to start-up, which names it with the system's reason.
std::vector<std::string> ShowFolderProblems(const std::filesystem::path& folder);

// Why loading found too few slides in `slides` (the picture list as start-up
// listed it), in Russian, one line each: how many pictures were listed, and the
// files of the folder that the list leaves out, with why.
std::vector<std::string> TooFewSlidesExplanation(const FileListSource& slides);

// Writes `lines` on standard error after "kvarbon: " when it is a terminal, for
// a user who started the tool from one; otherwise nothing.
void ExplainOnTerminal(const std::vector<std::string>& lines);

}  // namespace kvarbon
