// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/core/shared_state.h"
#include "app/core/sound_output.h"

namespace kvarbon {

// What editing a frame's sound needs of the window.
class SoundEditingView {
 public:
  virtual ~SoundEditingView() = default;
  // The sound list's selected position (-1: none) and its number of entries.
  virtual int SelectedSound() const = 0;
  virtual int SoundCount() const = 0;
  // The frame under the slider.
  virtual int FrameShown() const = 0;
  // The frame-sound label: the name of sound list entry `position`, or nothing.
  virtual void ShowSoundName(int position) = 0;
  virtual void ClearSoundName() = 0;
};

// Attaching sounds to frames, clearing them and auditioning sounds, over
// SlideSoundTable. A double-click on a sound plays it and leaves every
// assignment as it was: the click that comes with it has attached the sound to
// the frame, and the double-click puts the frame's entry back.
class SoundEditing {
 public:
  SoundEditing(SharedState& state, SoundEditingView& view, SoundOutput& sound);

  // A click on a sound: it becomes the sound of the frame under the slider and
  // its name shows. Plays and redraws nothing. Without a selection nothing
  // changes; on a frame that owns no table element only the name shows.
  void Click();
  // A double-click: plays the selected sound once, and undoes what the click
  // just before it did to the frame's entry and the label.
  void DoubleClick();
  // Removes the sound of the frame under the slider; a sound still playing goes on.
  void ClearFrame();

 private:
  void ShowEntryName(std::size_t index);

  struct Undo {
    int sound;          // the sound clicked
    std::size_t index;  // the table element the click changed
    std::string entry;  // its text before the click
  };

  SharedState& state_;
  SoundEditingView& view_;
  SoundOutput& sound_;
  std::optional<Undo> lastClick_;
};

}  // namespace kvarbon
