// "Загрузка слайдов": loads every slide into the preview through the progress window.
#include <QPushButton>
#include <QSlider>

#include "ui/error_boundary.h"
#include "ui/file_list_box.h"
#include "ui/frm_dialog.h"
#include "ui/frm_main.h"

namespace kvarbon {

void FrmMain::Command3_Click() {
  const int n = File1->Source().Count();
  if (n < 2) {
    ShowMessage(this, QStringLiteral("Слайдов не найдено."));
    return;
  }
  Slider1->setMaximum(File1->Source().Count());
  state_.DialogMode = "loading";
  FrmDialog frmDialog(*this);
  frmDialog.ShowModal();
  Command3->setEnabled(false);
  Command1->setEnabled(true);
}

}  // namespace kvarbon
