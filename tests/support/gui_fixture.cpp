// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/gui_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>

#include "ui/frm_dialog.h"

namespace kvarbon::testing {

MessageCatcher::MessageCatcher() {
  timer_.setInterval(10);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      texts << box->text();
      EXPECT_EQ(box->textFormat(), Qt::PlainText) << "a message box reads its text as markup";
      box->accept();
    }
  });
  timer_.start();
}

ProgressRecorder::ProgressRecorder() { qApp->installEventFilter(this); }
ProgressRecorder::~ProgressRecorder() { qApp->removeEventFilter(this); }

bool ProgressRecorder::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show) {
    if (auto* dialog = qobject_cast<FrmDialog*>(watched)) {
      showings.push_back({});
      const std::size_t index = showings.size() - 1;
      QProgressBar* bar = dialog->PB;
      QLabel* label = dialog->Label1;
      QObject::connect(bar, &QProgressBar::valueChanged, this, [this, index, bar, label](int value) {
        showings[index].values.emplace_back(value, bar->maximum());
        showings[index].caption = label->text();
      });
    }
  }
  return false;
}

ShowFixture::ShowFixture() {
  std::filesystem::create_directories(dir / "pic");
  std::filesystem::create_directories(dir / "snd");
  frmMain = std::make_unique<FrmMain>(state, sound, slides, dir.path());
}

ShowFixture::~ShowFixture() = default;

void ShowFixture::Start() { frmMain->Form_Load(); }

}  // namespace kvarbon::testing
