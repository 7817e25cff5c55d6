#include <QLabel>
#include <QSlider>

#include "preview/core/frame_sound.h"
#include "ui/display_surface.h"
#include "ui/file_list_box.h"
#include "ui/frm_main.h"

namespace kvarbon {

// Shows the frame the slider stands at: draws its slide, names its sound and
// starts it. Nothing here can fail: every lookup is bounds-checked, and a
// lookup that finds nothing leaves its step undone while the next steps run.
// Draws from the decoded holders and plays from the sound bank; no file is
// read and nothing is decoded, since this runs on every scroll and every tick.
void FrmMain::PaintFrame() {
  // The thumb's position: during a drag it is ahead of the value, which the
  // slider only takes when the thumb is released.
  const int frame = Slider1->sliderPosition();

  // 1. The slide, at its own size, over whatever the surface shows.
  if (const std::optional<std::size_t> holder = FrameHolderIndex(frame, Picture2.size())) {
    Picture1->DrawPicture(Picture2[*holder], state_.SlideOffsetX, state_.SlideOffsetY);
  }

  // 2. The sound's name.
  const FrameSoundName name = FrameSoundNameFor(state_.SlideSoundTable, frame, File2->Source().Count());
  switch (name.action) {
    case FrameSoundName::Action::Keep:
      break;
    case FrameSoundName::Action::Clear:
      Label3->setText(QString());
      break;
    case FrameSoundName::Action::Show:
      Label3->setText(FileListBox::DisplayName(File2->Source().Entry(name.position)));
      break;
  }

  // 3. The sound; a frame without one leaves an earlier sound playing.
  if (const std::optional<ByteView> sound = FrameSoundFor(state_.SlideSoundTable, state_.SoundBank, frame)) {
    sound_.Play(*sound);
  }
}

void FrmMain::Slider1_Scroll() { PaintFrame(); }

void FrmMain::Slider1_Change() {
  PaintFrame();
  Label2->setText(QString::number(Slider1->value()));
}

}  // namespace kvarbon
