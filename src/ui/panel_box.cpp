// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel_box.h"

namespace kvarbon {

PanelBox::PanelBox(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
  setMidLineWidth(0);
}

}  // namespace kvarbon
