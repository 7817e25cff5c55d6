// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

#include "app/core/file_lists.h"
#include "app/core/progress.h"
#include "app/core/shared_state.h"
#include "encoding/core/container_output.h"
#include "encoding/core/media_scan.h"

namespace kvarbon {

// What the encode command needs of the main window.
class EncodeView {
 public:
  virtual ~EncodeView() = default;
  // Lets the window process pending events.
  virtual void Yield() = 0;
  virtual bool RunInProgressWindow(const ProgressJob& job) = 0;
  // The encode button.
  virtual void SetEncodeEnabled(bool enabled) = 0;
  virtual void ShowMessage(const std::string& text) = 0;
};

// "Кодирование": writes "sound.ini" and "Dest.zel" into the working directory.
class EncodeCommand {
 public:
  // `slides` and `sounds` are the two file lists; `warn` hears of media whose
  // bytes would mislead a reader that splits the container by searching.
  EncodeCommand(std::filesystem::path workDir, const FileListSource& slides, const FileListSource& sounds,
                SharedState& state, EncodeView& view, MediaWarning warn = WarnOnStderr);

  // Deletes both outputs and what killed encodes left in the folder, writes
  // the assignment list, copies every slide into the new container in the
  // progress window (one step per slide), then the sounds, reads the list back
  // and puts the container in place whole (temporary file and rename). The
  // head is planned from the speed at the click and the list just written;
  // what the speed and the list read back finally are is what the container
  // holds. Events are processed along the way; a second encode does not start
  // inside a running one. On success the button stays off and a message says
  // so; on a failure the button comes back on, the session is kept for a
  // retry, and the failure is rethrown. A job the progress window did not run
  // writes no container and leaves no temporary file.
  void Run();

 private:
  std::filesystem::path workDir_;
  const FileListSource& slides_;
  const FileListSource& sounds_;
  SharedState& state_;
  EncodeView& view_;
  MediaWarning warn_;
  bool encoding_ = false;
};

// The progress window's "compress" job: every slide file into the container.
void RunCompressJob(const FileListSource& slides, ContainerOutput& output, ProgressSink& progress);

}  // namespace kvarbon
