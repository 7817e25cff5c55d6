#include "app/application.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <csignal>
#include <memory>

#include "app/core/shared_state.h"
#include "app/platform/sdl_sound_output.h"
#include "ui/error_boundary.h"
#include "ui/frm_main.h"

namespace kvarbon {

int RunApplication(int& argc, char** argv, const std::filesystem::path& workDir) {
  // A file-size limit must fail the write with an error, not kill the process.
  std::signal(SIGXFSZ, SIG_IGN);

  QApplication app(argc, argv);
  // Window titles are exactly the windows' own: the progress window's is empty,
  // and no application name may stand in for it.
  QApplication::setApplicationName(QString());
  QApplication::setApplicationDisplayName(QString());

  SharedState state;
  SdlSoundOutput sound;
  FrmMain frmMain(state, sound, workDir);
  try {
    frmMain.Form_Load();
  } catch (...) {
    ReportCurrentException(nullptr);
    return 1;
  }
  frmMain.show();
  return QApplication::exec();
}

}  // namespace kvarbon
