// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>
#include <csignal>
#include <memory>
#include <system_error>

#include "app/core/file_error.h"
#include "app/core/shared_state.h"
#include "app/platform/sdl_sound_output.h"
#include "ui/error_boundary.h"
#include "ui/frm_main.h"

namespace kvarbon {

namespace {

// Asks for the show's folder and makes it the working directory, so that the
// tool then runs exactly as if it had been started there. False when the user
// cancels; throws FileError when the folder cannot be entered.
bool ChooseWorkingFolder() {
  // Qt's own dialog speaks the interface's language when Qt's Russian texts
  // are installed (qt6-translations-l10n). The translator is removed when it
  // goes out of scope, after the dialog, so nothing else Qt shows changes.
  QTranslator russian;
  if (russian.load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&russian);
  }
  const QString folder = QFileDialog::getExistingDirectory(nullptr, QStringLiteral("Папка слайд-шоу"),
                                                           QDir::homePath());
  if (folder.isEmpty()) return false;
  const std::filesystem::path path(QFile::encodeName(folder).toStdString());
  std::error_code error;
  std::filesystem::current_path(path, error);
  if (error) throw FileError(FileAction::kListFolder, path, error.value());
  return true;
}

}  // namespace

int RunApplication(int& argc, char** argv, const std::filesystem::path& workDir, bool chooseFolder) {
  // A file-size limit must fail the write with an error, not kill the process.
  std::signal(SIGXFSZ, SIG_IGN);

  QApplication app(argc, argv);
  // Window titles are exactly the windows' own: the progress window's is empty,
  // and no application name may stand in for it.
  QApplication::setApplicationName(QString());
  QApplication::setApplicationDisplayName(QString());

  if (chooseFolder) {
    try {
      if (!ChooseWorkingFolder()) return 0;
    } catch (...) {
      ReportCurrentException(nullptr);
      return 1;
    }
  }

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
