#include "app/core/startup.h"
#include "ui/file_list_box.h"
#include "ui/frm_main.h"

namespace kvarbon {

void FrmMain::Form_Load() {
  RunStartup(workDir_, state_, File1->Source(), File2->Source());
  File1->Refresh();
  File2->Refresh();
}

}  // namespace kvarbon
