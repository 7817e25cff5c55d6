// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/file_list_box.h"

#include <QFile>

namespace kvarbon {

FileListBox::FileListBox(std::string pattern, QWidget* parent)
    : QListWidget(parent), source_(std::move(pattern)) {
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileListBox::SetDirectory(const std::filesystem::path& directory) {
  source_.SetDirectory(directory);
  Refresh();
}

void FileListBox::Refresh() {
  clear();
  for (int position = 0; position < source_.Count(); ++position) {
    addItem(DisplayName(source_.Entry(position)));
  }
}

int FileListBox::SelectedPosition() const {
  const QList<QListWidgetItem*> selected = selectedItems();
  if (selected.isEmpty()) return -1;
  return row(selected.front());
}

QString FileListBox::DisplayName(const std::string& name) {
  return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

}  // namespace kvarbon
