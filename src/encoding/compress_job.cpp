// The progress window's "compress" job: gathers every slide file into VideoSection.
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

#include "encoding/core/container.h"
#include "ui/file_list_box.h"
#include "ui/frm_dialog.h"
#include "ui/frm_main.h"

namespace kvarbon {

void FrmMain::RunCompressJob(FrmDialog& dialog) {
  dialog.Label1->setText(QStringLiteral("Создание видео файла..."));
  // A retry after a failed encode starts afresh instead of appending to the
  // bytes of the failed attempt.
  state_.VideoSection.Clear();
  GatherPayloadsInto(File1->Source(), state_.VideoSection, [&dialog](int i) {
    QCoreApplication::processEvents();
    dialog.PB->setValue(i + 1);
  });
}

}  // namespace kvarbon
