// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <utility>

#include "slides/core/twips.h"

namespace kvarbon {

namespace {

constexpr int kClientWidthTwips = 5115;
constexpr int kClientHeightTwips = 780;

void Place(QWidget* control, int left, int top, int width, int height) {
  control->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

}  // namespace

FrmDialog::FrmDialog(ProgressJob job)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      job_(std::move(job)) {
  setWindowTitle(QString());
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setStretch(QFont::SemiCondensed);  // the same narrow cut as the main window's
  font.setPointSizeF(8.25);
  setFont(font);
  setFixedSize(TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips));

  // Created in focus order, the bar first; neither control takes the focus.
  PB = new QProgressBar(this);
  PB->setOrientation(Qt::Horizontal);
  PB->setRange(0, 100);
  PB->setValue(0);
  PB->setTextVisible(false);
  Place(PB, 225, 405, 4695, 240);

  Label1 = new QLabel(QStringLiteral("Загрузка слайдов, подождите..."), this);
  Label1->setTextFormat(Qt::PlainText);
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Place(Label1, 225, 90, 2535, 195);

  // Names to find the controls by.
  setObjectName(QStringLiteral("frmDialog"));
  PB->setObjectName(QStringLiteral("PB"));
  Label1->setObjectName(QStringLiteral("Label1"));

  if (const QScreen* screen = QGuiApplication::primaryScreen(); screen != nullptr) {
    move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry())
             .topLeft());
  }
}

bool FrmDialog::ShowModal() {
  setWindowModality(Qt::ApplicationModal);
  exec();
  if (failure_) std::rethrow_exception(failure_);
  return ran_;
}

void FrmDialog::Form_Activate() {
  try {
    QCoreApplication::processEvents();
    ran_ = true;
    if (job_) job_(*this);
  } catch (...) {
    SetFailure(std::current_exception());
  }
  Unload();
}

void FrmDialog::SetText(const std::string& text) { Label1->setText(QString::fromStdString(text)); }
void FrmDialog::SetMaximum(int maximum) { PB->setMaximum(maximum); }
void FrmDialog::SetValue(int value) { PB->setValue(value); }
void FrmDialog::Yield() { QCoreApplication::processEvents(); }

void FrmDialog::Unload() {
  unloading_ = true;
  done(0);
}

void FrmDialog::SetFailure(std::exception_ptr failure) { failure_ = std::move(failure); }

void FrmDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (activated_) return;
  activated_ = true;
  // Queued, so the job starts once the modal loop runs and the window is up.
  // A job that escapes with a failure still ends the showing; ShowModal rethrows it.
  QMetaObject::invokeMethod(
      this,
      [this] {
        try {
          Form_Activate();
        } catch (...) {
          SetFailure(std::current_exception());
          Unload();
        }
      },
      Qt::QueuedConnection);
}

// While the job runs the window stays: only its own unloading closes it.
void FrmDialog::closeEvent(QCloseEvent* event) {
  if (!unloading_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void FrmDialog::keyPressEvent(QKeyEvent* event) {
  if (!unloading_ && event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void FrmDialog::reject() {
  if (unloading_) QDialog::reject();
}

}  // namespace kvarbon
