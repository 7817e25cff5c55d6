// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QStringList>
#include <QTranslator>
#include <csignal>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "app/core/file_error.h"
#include "app/core/shared_state.h"
#include "app/core/show_folder_check.h"
#include "app/platform/sdl_sound_output.h"
#include "ui/error_boundary.h"
#include "ui/frm_main.h"

namespace kvarbon {

namespace {

// The folder dialog, opening in `start`; empty when the user cancels. Its title
// says what a show folder holds.
QString AskForFolder(const QString& start) {
  // Qt's own dialog speaks the interface's language when Qt's Russian texts
  // are installed (qt6-translations-l10n). The translator is removed when it
  // goes out of scope, after the dialog, so nothing else Qt shows changes.
  QTranslator russian;
  if (russian.load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&russian);
  }
  return QFileDialog::getExistingDirectory(
      nullptr, QStringLiteral("Папка слайд-шоу: в ней папка pic с картинками и папка snd со звуками"), start);
}

// Asks for the show's folder and makes it the working directory, so that the
// tool then runs exactly as if it had been started there. A folder that is not
// a show folder is refused with its reasons (ShowFolderProblems), and the
// question comes again, from that folder. False when the user cancels; throws
// FileError when the folder cannot be entered.
bool ChooseWorkingFolder() {
  QString start = QDir::homePath();
  std::filesystem::path path;
  for (;;) {
    const QString folder = AskForFolder(start);
    if (folder.isEmpty()) return false;
    path = QFile::encodeName(folder).toStdString();
    const std::vector<std::string> problems = ShowFolderProblems(path);
    if (problems.empty()) break;
    QStringList lines;
    for (const std::string& line : problems) lines.append(QString::fromStdString(line));
    ShowMessage(nullptr, lines.join(QLatin1Char('\n')));
    start = folder;
  }
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
  // Created at the start, which clears away the cache files of killed runs;
  // its own cache file goes with it at the end.
  SlideStore slides;
  FrmMain frmMain(state, sound, slides, workDir);
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
