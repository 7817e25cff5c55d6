// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <string>

namespace kvarbon {

// Whether zel-play also shows its errors in a message box: only when it was
// started from the desktop, where its standard error (`errorFd`) is no
// terminal, and on a platform (Qt's platform name) where a box can be seen.
// In a terminal the message on standard error and the exit status say it all.
bool ErrorBoxWanted(int errorFd, const QString& platform);

// Shows `text` in a message box when ErrorBoxWanted says so for standard
// error and the running application's platform; does nothing without one.
void ShowErrorBox(const std::string& text);

}  // namespace kvarbon
