// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

#include "app/core/file_lists.h"
#include "app/core/shared_state.h"

namespace kvarbon {

// Start-up: points the slide list at workDir/"pic" and the sound list at
// workDir/"snd", sizes SoundBank and SlideSoundTable, sets FrameInterval to 50
// and reads every sound file whole into SoundBank, in list order.
// Throws FileError or InputError on the first failure; the caller ends the process.
void RunStartup(const std::filesystem::path& workDir, SharedState& state, FileListSource& File1,
                FileListSource& File2);

}  // namespace kvarbon
