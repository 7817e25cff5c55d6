// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <utility>
#include <vector>

#include "app/core/shared_state.h"
#include "support/recording_sound_output.h"
#include "support/temp_dir.h"
#include "ui/frm_main.h"

namespace kvarbon::testing {

// Accepts every message box that becomes modal while it lives, recording its text.
class MessageCatcher : public QObject {
 public:
  MessageCatcher();
  QStringList texts;

 private:
  QTimer timer_;
};

// Records, for every progress window shown while it lives, its caption and the
// progress bar's (value, maximum) after each change.
class ProgressRecorder : public QObject {
 public:
  ProgressRecorder();
  ~ProgressRecorder() override;
  struct Showing {
    QString caption;
    std::vector<std::pair<int, int>> values;
  };
  std::vector<Showing> showings;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// A working directory with "pic" and "snd", and the main window on it.
struct ShowFixture {
  ShowFixture();
  ~ShowFixture();
  // Runs start-up (the folders must hold their files by then).
  void Start();

  TempDir dir;
  SharedState state;
  RecordingSoundOutput sound;
  SlideStore slides;
  std::unique_ptr<FrmMain> frmMain;
};

}  // namespace kvarbon::testing
