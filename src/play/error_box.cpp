// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/error_box.h"

#include <unistd.h>

#include <QGuiApplication>
#include <QMessageBox>

namespace kvarbon {

bool ErrorBoxWanted(int errorFd, const QString& platform) {
  return isatty(errorFd) == 0 && platform != QStringLiteral("offscreen");
}

void ShowErrorBox(const std::string& text) {
  if (QCoreApplication::instance() == nullptr || !ErrorBoxWanted(STDERR_FILENO, QGuiApplication::platformName())) {
    return;
  }
  QMessageBox::critical(nullptr, QStringLiteral("zel-play"), QString::fromStdString(text));
}

}  // namespace kvarbon
