// SPDX-License-Identifier: GPL-3.0-or-later
#include "encoding/core/encode_show.h"

#include <optional>
#include <utility>

#include "app/core/file_io.h"
#include "app/core/temporary_file.h"
#include "encoding/core/assignment_list.h"

namespace kvarbon {

EncodeCommand::EncodeCommand(std::filesystem::path workDir, const FileListSource& slides,
                             const FileListSource& sounds, SharedState& state, EncodeView& view, MediaWarning warn)
    : workDir_(std::move(workDir)),
      slides_(slides),
      sounds_(sounds),
      state_(state),
      view_(view),
      warn_(std::move(warn)) {}

void EncodeCommand::Run() {
  // Events are processed while encoding; a second encode must not start inside this one.
  if (encoding_) return;
  encoding_ = true;
  view_.SetEncodeEnabled(false);
  // The user's work stays whatever happens: window, slides and assignments are
  // kept, and the encode can be retried once the cause is fixed.
  const auto giveBack = [this] {
    encoding_ = false;
    view_.SetEncodeEnabled(true);
  };

  const std::filesystem::path assignmentList = workDir_ / kAssignmentListName;
  const std::filesystem::path container = workDir_ / kContainerName;
  try {
    RemoveFileIgnoringErrors(assignmentList);
    RemoveFileIgnoringErrors(container);
    RemoveStaleTemporaryFiles(assignmentList);
    RemoveStaleTemporaryFiles(container);
    view_.Yield();

    const std::string listed = WriteAssignmentList(assignmentList, state_.SlideSoundTable);
    const std::string plannedHead = ContainerHead(state_.FrameInterval, IniSectionFromBytes(AsBytes(listed)));

    std::optional<ContainerOutput> output;
    const bool ran = view_.RunInProgressWindow([&](ProgressSink& progress) {
      output.emplace(container, plannedHead, sounds_, warn_);
      RunCompressJob(slides_, *output, progress);
    });
    if (!ran) {
      output.reset();
      giveBack();
      return;
    }

    output->CopySounds(sounds_, [this](int) { view_.Yield(); });
    output->Commit(ContainerHead(state_.FrameInterval, ReadAssignmentList(assignmentList)));
  } catch (...) {
    giveBack();
    throw;
  }
  encoding_ = false;
  view_.SetEncodeEnabled(false);
  view_.ShowMessage("Кодирование завершено успешно.");
}

void RunCompressJob(const FileListSource& slides, ContainerOutput& output, ProgressSink& progress) {
  progress.SetMaximum(slides.Count());
  progress.SetText("Создание видео файла...");
  output.CopySlides(slides, [&progress](int i) {
    progress.Yield();
    progress.SetValue(i + 1);
  });
}

}  // namespace kvarbon
