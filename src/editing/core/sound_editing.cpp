// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/core/sound_editing.h"

#include "preview/core/frame_sound.h"

namespace kvarbon {

SoundEditing::SoundEditing(SharedState& state, SoundEditingView& view, SoundOutput& sound)
    : state_(state), view_(view), sound_(sound) {}

void SoundEditing::Click() {
  lastClick_.reset();
  const std::optional<std::int16_t> position = NarrowToInt16(view_.SelectedSound());
  if (!position || *position < 0 || *position >= view_.SoundCount()) return;
  view_.ShowSoundName(*position);
  if (const std::optional<std::size_t> index = FrameTableIndex(view_.FrameShown(), state_.SlideSoundTable.size())) {
    lastClick_ = Undo{*position, *index, state_.SlideSoundTable[*index]};
    state_.SlideSoundTable[*index] = SoundPositionText(*position);
  }
}

void SoundEditing::DoubleClick() {
  // The click that came with this double-click was on the same sound.
  if (lastClick_ && lastClick_->sound == view_.SelectedSound() && lastClick_->index < state_.SlideSoundTable.size()) {
    state_.SlideSoundTable[lastClick_->index] = lastClick_->entry;
    ShowEntryName(lastClick_->index);
  }
  lastClick_.reset();
  if (const std::optional<ByteView> sound = SoundAt(state_.SoundBank, view_.SelectedSound())) sound_.Play(*sound);
}

void SoundEditing::ClearFrame() {
  lastClick_.reset();
  view_.ClearSoundName();
  if (const std::optional<std::size_t> index = FrameTableIndex(view_.FrameShown(), state_.SlideSoundTable.size())) {
    state_.SlideSoundTable[*index].clear();
  }
}

// The label as showing the frame of table element `index` leaves it.
void SoundEditing::ShowEntryName(std::size_t index) {
  const FrameSoundName name =
      FrameSoundNameFor(state_.SlideSoundTable, static_cast<std::int64_t>(index) + 1, view_.SoundCount());
  if (name.action == FrameSoundName::Action::Show) {
    view_.ShowSoundName(name.position);
  } else {
    view_.ClearSoundName();
  }
}

}  // namespace kvarbon
