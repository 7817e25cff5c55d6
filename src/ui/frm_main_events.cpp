// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's event handlers, one per control and event. Each hands the
// event to the module that holds its behaviour.
#include <QLabel>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>

#include "app/core/startup.h"
#include "preview/core/rate_table.h"
#include "ui/file_list_box.h"
#include "ui/frm_main.h"

namespace kvarbon {

// Start-up: both lists and the sound bank. Throws on failure.
void FrmMain::Form_Load() {
  RunStartup(workDir_, state_, File1->Source(), File2->Source());
  File1->Refresh();
  File2->Refresh();
}

// "Загрузка слайдов".
void FrmMain::Command3_Click() { LoadSlides(File1->Source(), decoder_, slides_, state_, *this); }

// Shows the frame the slider's thumb stands at: during a drag the thumb is
// ahead of the value, which the slider only takes on release.
void FrmMain::PaintFrame() { transport_->Scrub(Slider1->sliderPosition()); }

void FrmMain::Slider1_Scroll() { PaintFrame(); }

// A change the user made (the transport's own moves report nothing back).
void FrmMain::Slider1_Change() { transport_->MovedByHand(Slider1->value()); }

void FrmMain::Timer1_Timer() { transport_->Tick(); }
void FrmMain::Command2_Click() { transport_->PlayPause(); }
void FrmMain::Command4_Click(std::int16_t Index) { transport_->Step(Index); }
void FrmMain::Command6_Click() { transport_->Stop(); }

// The timer takes the rate on every change, also while it runs.
void FrmMain::VScroll1_Change() {
  Label5->setText(QString::fromStdString(SelectSpeed(VScroll1->value(), state_.FrameInterval)));
  Timer1->setInterval(state_.FrameInterval);
}

void FrmMain::File2_Click() { editing_->Click(); }
void FrmMain::File2_DblClick() { editing_->DoubleClick(); }
void FrmMain::Command5_Click() { editing_->ClearFrame(); }

// "Кодирование".
void FrmMain::Command1_Click() { encode_->Run(); }

}  // namespace kvarbon
