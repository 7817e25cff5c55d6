#include <QLabel>
#include <QScrollBar>
#include <QTimer>

#include "preview/core/rate_table.h"
#include "ui/frm_main.h"

namespace kvarbon {

// A new frames-per-second choice. The rate is looked up by the label's text as
// shown, so a value the table lacks leaves the rate as it was; the timer takes
// the rate on every change, also while it runs.
void FrmMain::VScroll1_Change() {
  Label5->setText(QString::fromStdString(SpeedLabelText(VScroll1->value())));
  if (const std::optional<std::int16_t> interval = FrameIntervalForLabel(Label5->text().toStdString())) {
    state_.FrameInterval = *interval;
  }
  Timer1->setInterval(state_.FrameInterval);
}

}  // namespace kvarbon
