// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/core/startup.h"

#include <cerrno>

#include "app/core/file_error.h"
#include "app/core/file_io.h"
#include "app/core/in_order_jobs.h"
#include "app/core/show_folder_check.h"

namespace kvarbon {

namespace {

// Points `list` at `folder`; a folder that is not there is reported with what a
// show folder holds, since the usual cause is a start in the wrong folder.
void ListShowFolder(FileListSource& list, const std::filesystem::path& folder) {
  try {
    list.SetDirectory(folder);
  } catch (const FileError& error) {
    if (error.error() != ENOENT && error.error() != ENOTDIR) throw;
    throw FileError(error.action(), error.path(), error.error(), std::string(kShowFolderHolds));
  }
}

}  // namespace

void RunStartup(const std::filesystem::path& workDir, SharedState& state, FileListSource& File1,
                FileListSource& File2) {
  ListShowFolder(File1, workDir / "pic");
  ListShowFolder(File2, workDir / "snd");

  const int soundCount = File2.Count();
  state.SoundBank.assign(static_cast<std::size_t>(soundCount) + 1, Bytes{});
  const int slideCount = File1.Count();
  state.SlideSoundTable.assign(static_cast<std::size_t>(slideCount) + 1, std::string{});
  state.FrameInterval = 50;

  // Two or more files are read at a time, which fills the bank faster than one
  // reader can; a failing file is still reported after every file before it.
  RunInOrder(
      soundCount, WorkerThreads(), [&File2](int p) { return File2.PathOf(p); },
      [](const std::filesystem::path& path) { return ReadWholeFile(path); },
      [&state](int p, Bytes sound) { state.SoundBank[static_cast<std::size_t>(p)] = std::move(sound); });
}

}  // namespace kvarbon
