#include <QLabel>
#include <QSlider>

#include "preview/core/frame_sound.h"
#include "ui/file_list_box.h"
#include "ui/frm_main.h"

namespace kvarbon {

// Attaches the selected sound to the frame under the slider: its name shows at
// once and its list position is stored as text. Plays and redraws nothing.
// Without a selection, or on a frame that owns no table element, the table is
// left as it is.
void FrmMain::File2_Click() {
  const std::optional<std::int16_t> position = NarrowToInt16(File2->SelectedPosition());
  if (!position || *position < 0 || *position >= File2->Source().Count()) return;
  Label3->setText(FileListBox::DisplayName(File2->Source().Entry(*position)));

  if (const std::optional<std::size_t> index =
          FrameTableIndex(Slider1->value(), state_.SlideSoundTable.size())) {
    state_.SlideSoundTable[*index] = SoundPositionText(*position);
  }
}

// Plays the selected sound once, changing nothing.
void FrmMain::File2_DblClick() {
  if (const std::optional<ByteView> sound = SoundAt(state_.SoundBank, File2->SelectedPosition())) {
    sound_.Play(*sound);
  }
}

// Removes the sound of the frame under the slider; a sound still playing goes on.
void FrmMain::Command5_Click() {
  Label3->setText(QString());
  if (const std::optional<std::size_t> index =
          FrameTableIndex(Slider1->value(), state_.SlideSoundTable.size())) {
    state_.SlideSoundTable[*index].clear();
  }
}

}  // namespace kvarbon
