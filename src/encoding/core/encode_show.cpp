#include "encoding/core/encode_show.h"

#include <utility>

#include "app/core/file_io.h"
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
    view_.Yield();

    WriteAssignmentList(assignmentList, state_.SlideSoundTable);

    state_.DialogMode = "compress";
    const bool ran = view_.RunInProgressWindow(
        [this](ProgressSink& progress) { RunCompressJob(slides_, state_, progress, warn_); });
    if (!ran) {
      giveBack();
      return;
    }

    const ByteChain SoundSection = GatherPayloads(sounds_, MediaSection::kSound, [this](int) { view_.Yield(); }, warn_);
    const std::string IniSection = ReadAssignmentList(assignmentList);
    const Container bytes = BuildContainer(state_.FrameInterval, IniSection, SoundSection, state_.VideoSection);
    // Written whole to a temporary file and renamed into place: never a partial container.
    WriteFileAtomically(container, bytes.Pieces());
  } catch (...) {
    giveBack();
    throw;
  }
  encoding_ = false;
  view_.SetEncodeEnabled(false);
  view_.ShowMessage("Кодирование завершено успешно.");
}

void RunCompressJob(const FileListSource& slides, SharedState& state, ProgressSink& progress,
                    const MediaWarning& warn) {
  progress.SetMaximum(slides.Count());
  progress.SetText("Создание видео файла...");
  // A retry after a failed encode starts afresh instead of appending to the
  // bytes of the failed attempt.
  state.VideoSection.Clear();
  GatherPayloadsInto(slides, MediaSection::kVideo, state.VideoSection, [&progress](int i) {
    progress.Yield();
    progress.SetValue(i + 1);
  }, warn);
}

}  // namespace kvarbon
