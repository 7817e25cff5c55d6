#pragma once

#include <QDialog>
#include <exception>

class QLabel;
class QProgressBar;

namespace kvarbon {

class FrmMain;

// The modal progress window: one line of text above a progress bar. Created
// afresh for each showing; when activated it runs the job that DialogMode names
// and then unloads itself. The user cannot close it while it is shown.
class FrmDialog : public QDialog {
  Q_OBJECT

 public:
  explicit FrmDialog(FrmMain& frmMain);

  // Shows the window modally and returns once it has unloaded. A failure of the
  // job is rethrown here, after the window has gone.
  void ShowModal();

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
  FrmMain& frmMain_;
  bool activated_ = false;
  bool unloading_ = false;
  std::exception_ptr failure_;
};

}  // namespace kvarbon
