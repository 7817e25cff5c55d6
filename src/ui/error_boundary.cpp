#include "ui/error_boundary.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <cstdio>
#include <exception>
#include <new>

namespace kvarbon {

QString ApplicationTitle() { return QStringLiteral("Кварбон"); }

void ShowMessage(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok, parent);
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
