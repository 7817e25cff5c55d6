// "Кодирование": writes "sound.ini" and "Dest.zel" from the shared state.
#include <QCoreApplication>
#include <QPushButton>

#include "app/core/file_io.h"
#include "encoding/core/assignment_list.h"
#include "encoding/core/container.h"
#include "ui/error_boundary.h"
#include "ui/file_list_box.h"
#include "ui/frm_dialog.h"
#include "ui/frm_main.h"

namespace kvarbon {

void FrmMain::Command1_Click() {
  // Events are processed while encoding; a second encode must not start inside this one.
  if (encoding_) return;
  encoding_ = true;
  Command1->setEnabled(false);

  const std::filesystem::path assignmentList = workDir_ / kAssignmentListName;
  const std::filesystem::path container = workDir_ / kContainerName;
  try {
    RemoveFileIgnoringErrors(assignmentList);
    RemoveFileIgnoringErrors(container);
    QCoreApplication::processEvents();

    WriteAssignmentList(assignmentList, state_.SlideSoundTable);

    state_.DialogMode = "compress";
    {
      FrmDialog frmDialog(*this);
      frmDialog.ShowModal();
    }

    const ByteChain SoundSection =
        GatherPayloads(File2->Source(), [](int) { QCoreApplication::processEvents(); });
    const std::string IniSection = ReadAssignmentList(assignmentList);
    const Container bytes =
        BuildContainer(state_.FrameInterval, IniSection, SoundSection, state_.VideoSection);
    // Written whole to a temporary file and renamed into place: never a partial container.
    WriteFileAtomically(container, bytes.Pieces());
  } catch (...) {
    // The user's work stays: window, slides and assignments are kept, and the
    // encode can be retried once the cause is fixed.
    encoding_ = false;
    Command1->setEnabled(true);
    throw;
  }
  encoding_ = false;
  Command1->setEnabled(false);
  ShowMessage(this, QStringLiteral("Кодирование завершено успешно."));
}

}  // namespace kvarbon
