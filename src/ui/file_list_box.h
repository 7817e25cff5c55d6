// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>
#include <string>

#include "app/core/file_lists.h"

namespace kvarbon {

// A file list box: shows the entries of a FileListSource and lets the user
// select one. The source keeps the names as bytes; the box only shows them.
class FileListBox : public QListWidget {
  Q_OBJECT

 public:
  FileListBox(std::string pattern, QWidget* parent);

  FileListSource& Source() { return source_; }
  const FileListSource& Source() const { return source_; }

  // Sets the source's directory and shows its entries (start-up). Throws on failure.
  void SetDirectory(const std::filesystem::path& directory);
  // Shows the source's entries again (after the source was set directly).
  void Refresh();
  // The selected position, or -1 when nothing is selected.
  int SelectedPosition() const;

  // Display text of an entry name (names that are not valid UTF-8 stay readable).
  static QString DisplayName(const std::string& name);

 private:
  FileListSource source_;
};

}  // namespace kvarbon
