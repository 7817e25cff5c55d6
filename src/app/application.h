// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace kvarbon {

// Starts the tool in `workDir`: creates the main window, runs its start-up and
// shows it, then runs the event loop. Returns the process's exit status; a
// start-up failure is reported in a message box and on stderr, and gives 1.
// With `chooseFolder`, the user first picks a folder, starting in the home
// folder, and the process makes it its working directory; cancelling gives 0.
int RunApplication(int& argc, char** argv, const std::filesystem::path& workDir, bool chooseFolder = false);

}  // namespace kvarbon
