// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <exception>
#include <string>

#include "app/core/progress.h"

class QLabel;
class QProgressBar;

namespace kvarbon {

// The modal progress window: one line of text above a progress bar. Created
// afresh for each showing with the job it runs; when activated it runs the job
// and then unloads itself. The user cannot close it while it is shown.
class FrmDialog : public QDialog, private ProgressSink {
  Q_OBJECT

 public:
  explicit FrmDialog(ProgressJob job);

  // Shows the window modally and returns once it has unloaded: true if the job
  // ran. A failure of the job is rethrown here, after the window has gone. The
  // modal loop can end before the job starts (a quit request): false.
  bool ShowModal();

  // The activation handler: runs the job once per showing.
  void Form_Activate();

  // Ends the showing: the window closes and ShowModal returns.
  void Unload();
  // Records a failure of the job, for ShowModal to rethrow once the window has gone.
  void SetFailure(std::exception_ptr failure);

  QProgressBar* PB = nullptr;
  QLabel* Label1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override;

 private:
  void SetText(const std::string& text) override;
  void SetMaximum(int maximum) override;
  void SetValue(int value) override;
  void Yield() override;

  ProgressJob job_;
  bool activated_ = false;
  bool ran_ = false;
  bool unloading_ = false;
  std::exception_ptr failure_;
};

}  // namespace kvarbon
