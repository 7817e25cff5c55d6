// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/error_boundary.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <cstdio>
#include <exception>
#include <new>

namespace kvarbon {

QString ApplicationTitle() { return QStringLiteral("Кварбон"); }

void ShowMessage(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), QString(), QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.setText(text);
  box.exec();
}

QString CurrentExceptionText() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return QStringLiteral("Не хватает памяти");
  } catch (const std::exception& error) {
    return QString::fromUtf8(error.what());
  } catch (...) {
    return QStringLiteral("Неизвестная ошибка");
  }
}

void ReportCurrentException(QWidget* parent) {
  const QString text = CurrentExceptionText();
  std::fprintf(stderr, "kvarbon: %s\n", text.toLocal8Bit().constData());
  ShowMessage(parent, text);
}

void RunGuarded(QWidget* parent, const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    ReportCurrentException(parent);
  }
}

void RunIgnoringFailures(const std::function<void()>& handler) noexcept {
  try {
    handler();
  } catch (...) {  // the caller's failures are skipped without a word
  }
}

void ExitApplication(int status) { QCoreApplication::exit(status); }

void RunGuardedOrEnd(QWidget* parent, const std::function<void()>& handler,
                     const std::function<void(int)>& endProcess) {
  try {
    handler();
  } catch (...) {
    ReportCurrentException(parent);
    endProcess(1);
  }
}

}  // namespace kvarbon
