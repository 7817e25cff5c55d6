// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/core/file_io.h"
#include "app/core/shared_state.h"
#include "support/recording_sound_output.h"
#include "support/gui_fixture.h"
#include "support/temp_dir.h"
#include "ui/file_list_box.h"
#include "ui/frm_main.h"

namespace kvarbon::testing {

// The main window on a working directory `work` (inside a fresh temporary
// directory, under a name of the test's choosing) holding "pic" and "snd".
// A request to end the process is recorded instead of carried out. Sounds go
// to `output` when one is given, else to the recording double `sound`.
struct FaultShow {
  explicit FaultShow(const std::string& workName = "show", std::unique_ptr<SoundOutput> output = nullptr)
      : work(dir / workName), ownOutput(std::move(output)) {
    std::filesystem::create_directories(work / "pic");
    std::filesystem::create_directories(work / "snd");
    frm = std::make_unique<FrmMain>(state, ownOutput ? *ownOutput : sound, slides, work);
    frm->EndProcess = [this](int status) { ended.push_back(status); };
  }

  void Start() { frm->Form_Load(); }

  // Clicks a button and returns the texts of the message boxes it showed.
  static QStringList Click(QPushButton* button) {
    MessageCatcher messages;
    button->click();
    return messages.texts;
  }
  QStringList Load() { return Click(frm->Command3); }
  QStringList Encode() { return Click(frm->Command1); }

  // A click on entry `row` of the sound list, as the list reports it.
  void ClickSound(int row) {
    frm->File2->setCurrentRow(row);
    emit frm->File2->itemClicked(frm->File2->item(row));
  }

  // The container the files now on disk make, in list order, with `table` as
  // the assignments and the current FrameInterval. Written out here from the
  // format's rule rather than through the encoder.
  Bytes ExpectedContainer(const std::vector<std::string>& table) const {
    std::string ini;
    for (std::size_t k = 0; k < table.size(); ++k) {
      if (!table[k].empty()) ini += std::to_string(k + 1) + "=" + table[k] + ";";
    }
    Bytes out = ToBytes("speed" + std::to_string(state.FrameInterval) + "\\speedini" + ini + "\\inisound");
    const auto media = [&out](const FileListSource& list) {
      for (int i = 0; i < list.Count(); ++i) {
        const Bytes file = ReadFile(list.PathOf(i));
        out.insert(out.end(), file.begin(), file.end());
        const ByteView separator = AsBytes("-|-");
        out.insert(out.end(), separator.begin(), separator.end());
      }
    };
    media(frm->File2->Source());
    const ByteView between = AsBytes("\\soundvideo");
    out.insert(out.end(), between.begin(), between.end());
    media(frm->File1->Source());
    const ByteView end = AsBytes("\\video");
    out.insert(out.end(), end.begin(), end.end());
    return out;
  }
  Bytes ExpectedContainer() const { return ExpectedContainer(state.SlideSoundTable); }

  // What the working directory holds besides "pic", "snd" and the two outputs:
  // a temporary file left behind would show here.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(work)) {
      const std::string name = entry.path().filename();
      if (name != "pic" && name != "snd" && name != "sound.ini" && name != "Dest.zel") names.push_back(name);
    }
    return names;
  }

  TempDir dir;
  std::filesystem::path work;
  SharedState state;
  RecordingSoundOutput sound;
  SlideStore slides;
  // Destroyed before `state`: an output may play from SoundBank until it is gone.
  std::unique_ptr<SoundOutput> ownOutput;
  std::unique_ptr<FrmMain> frm;
  std::vector<int> ended;
};

// The bytes a recorded Play was handed.
inline Bytes PlayedBytes(const RecordingSoundOutput::Played& played) {
  return Bytes(played.data, played.data + played.size);
}

}  // namespace kvarbon::testing
