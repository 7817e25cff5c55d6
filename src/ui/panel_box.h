// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>

namespace kvarbon {

// A plain picture box used as a container (the transport panel Picture3).
class PanelBox : public QFrame {
  Q_OBJECT

 public:
  explicit PanelBox(QWidget* parent);
};

}  // namespace kvarbon
