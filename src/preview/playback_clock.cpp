#include <QCheckBox>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <stdexcept>

#include "preview/core/frame_sound.h"
#include "ui/frm_main.h"

namespace kvarbon {

namespace {

const QString kPlayCaption = QStringLiteral(">");
const QString kPauseCaption = QStringLiteral("||");

}  // namespace

// One period of the clock. Assigning the slider's value paints the frame
// through the slider's change notification; the tick then starts the frame's
// sound itself, which matters when the value did not change (the first tick
// after a stop lands on frame 1, already shown) and otherwise restarts the
// sound the notification has just started.
void FrmMain::Timer1_Timer() {
  // CurrentFrame is a 16-bit value: at its ceiling the increment is skipped.
  if (state_.CurrentFrame < std::numeric_limits<std::int16_t>::max()) ++state_.CurrentFrame;

  if (state_.CurrentFrame > Slider1->maximum()) {
    state_.CurrentFrame = 1;
    if (Check1->checkState() == Qt::Unchecked) {
      Timer1->stop();
      Command2->setText(kPlayCaption);
    }
  }

  Slider1->setValue(state_.CurrentFrame);

  if (const std::optional<ByteView> sound =
          FrameSoundFor(state_.SlideSoundTable, state_.SoundBank, state_.CurrentFrame)) {
    sound_.Play(*sound);
  }
}

// Play or pause, decided by the caption; neither touches the frame position,
// so play shows the next frame with the first tick.
void FrmMain::Command2_Click() {
  if (Command2->text() == kPlayCaption) {
    Command2->setText(kPauseCaption);
    Timer1->start();
  } else {
    Command2->setText(kPlayCaption);
    Timer1->stop();
  }
}

// One frame forward (index 0) or back (any other index). The slider keeps the
// value within its range; the clock goes on from whatever value it holds.
void FrmMain::Command4_Click(std::int16_t Index) {
  const std::int64_t current = Slider1->value();
  const std::int64_t wanted = Index == 0 ? current + 1 : current - 1;
  Slider1->setValue(static_cast<int>(
      std::clamp<std::int64_t>(wanted, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())));

  const std::optional<std::int16_t> frame = NarrowToInt16(Slider1->value());
  if (!frame) throw std::overflow_error("Overflow: the frame number does not fit 16 bits");
  state_.CurrentFrame = *frame;
}

// Stop and rewind: frame 1 is shown, and the next play starts from it.
void FrmMain::Command6_Click() {
  Slider1->setValue(1);
  state_.CurrentFrame = 0;
  Timer1->stop();
  Command2->setText(kPlayCaption);
}

}  // namespace kvarbon
