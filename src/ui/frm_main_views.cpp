// SPDX-License-Identifier: GPL-3.0-or-later
// What the modules ask of the main window, done with its controls.
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

#include "ui/display_surface.h"
#include "ui/error_boundary.h"
#include "ui/file_list_box.h"
#include "ui/frm_dialog.h"
#include "ui/frm_main.h"

namespace kvarbon {

// The transport moved the slider: its notifications would only report the move back.
void FrmMain::ShowPosition(int frame) {
  {
    const QSignalBlocker quiet(Slider1);
    Slider1->setValue(frame);
  }
  Label2->setText(QString::number(frame));
}

void FrmMain::DrawFrame(int frame) { kvarbon::PaintFrame(frame, slides_, state_, *this); }

void FrmMain::ShowClock(bool running) {
  if (running) {
    Command2->setText(QStringLiteral("||"));
    Timer1->start();
  } else {
    Timer1->stop();
    Command2->setText(QStringLiteral(">"));
  }
}

void FrmMain::DrawSlide(const SlideHolder& holder, std::int32_t xTwips, std::int32_t yTwips) {
  Picture1->DrawPicture(holder, xTwips, yTwips);
}

void FrmMain::ShowSoundName(int position) {
  Label3->setText(FileListBox::DisplayName(File2->Source().Entry(position)));
}
void FrmMain::ClearSoundName() { Label3->setText(QString()); }
int FrmMain::SoundCount() const { return File2->Source().Count(); }
int FrmMain::SelectedSound() const { return File2->SelectedPosition(); }
int FrmMain::FrameShown() const { return transport_->FrameShown(); }

PixelSize FrmMain::DisplayCanvas() const { return {Picture1->Canvas().width(), Picture1->Canvas().height()}; }
std::int32_t FrmMain::DisplayOuterWidthTwips() const { return Picture1->OuterWidthTwips(); }
std::int32_t FrmMain::DisplayOuterHeightTwips() const { return Picture1->OuterHeightTwips(); }
void FrmMain::SetLastFrame(int frame) { Slider1->setMaximum(frame); }

bool FrmMain::RunInProgressWindow(const ProgressJob& job) {
  FrmDialog frmDialog(job);
  return frmDialog.ShowModal();
}

void FrmMain::ShowMessage(const std::string& text) { kvarbon::ShowMessage(this, QString::fromStdString(text)); }

void FrmMain::SlidesLoaded() {
  Command3->setEnabled(false);
  Command1->setEnabled(true);
}

void FrmMain::Yield() { QCoreApplication::processEvents(); }
void FrmMain::SetEncodeEnabled(bool enabled) { Command1->setEnabled(enabled); }

}  // namespace kvarbon
