// SPDX-License-Identifier: GPL-3.0-or-later
// File names as the file system has them: Cyrillic, spaces, the longest a name
// can be, bytes that are not UTF-8, upper-case extensions. Each is listed,
// shown, played and encoded byte for byte, in a working directory whose own
// name is of the same kind.
#include <gtest/gtest.h>

#include <QLabel>
#include <QSlider>
#include <set>

#include "gui/fault_fixture.h"
#include "support/images.h"

namespace kvarbon::testing {
namespace {

const std::string kLongLatin = std::string(251, 'l') + ".gif";  // 255 bytes
const std::string kLongCyrillic = [] {                          // 255 bytes
  std::string name;
  for (int i = 0; i < 125; ++i) name += "ж";
  return name + "x.wav";
}();

TEST(FaultNames, EveryKindOfNameIsListedShownPlayedAndEncoded) {
  FaultShow show("рабочая папка \xFE\xFF");
  ASSERT_EQ(kLongLatin.size(), 255U);
  ASSERT_EQ(kLongCyrillic.size(), 255U);

  struct Named {
    std::string name;
    Bytes bytes;
  };
  const std::vector<Named> slides = {
      {"Слайд один.bmp", SolidBmp(30, 20, QColor(200, 0, 0))},
      {"two words.JPG", SolidJpeg(20, 30, QColor(0, 200, 0))},
      {kLongLatin, SolidGif(10, 10, QColor(0, 0, 200))},
      {"\xC3\x28 bad\xFF.Bmp", SolidBmp(5, 5, QColor(9, 9, 9))},
      {"UPPER.GIF", SolidGif(7, 3, QColor(50, 60, 70))},
  };
  const std::vector<Named> sounds = {
      {"Звук раз.wav", ToBytes("RIFF one")},
      {"with space.WAV", ToBytes("RIFF two")},
      {kLongCyrillic, ToBytes("RIFF three")},
      {"\xE9t\xE9 \x80.Wav", ToBytes("RIFF four")},
  };
  for (const Named& slide : slides) WriteFile(show.work / "pic" / slide.name, slide.bytes);
  for (const Named& sound : sounds) WriteFile(show.work / "snd" / sound.name, sound.bytes);

  show.Start();

  // Listed: every name, as the same bytes.
  FrmMain& w = *show.frm;
  const auto entries = [](const FileListSource& list) {
    std::set<std::string> names;
    for (int i = 0; i < list.Count(); ++i) names.insert(list.Entry(i));
    return names;
  };
  std::set<std::string> slideNames, soundNames;
  for (const Named& slide : slides) slideNames.insert(slide.name);
  for (const Named& sound : sounds) soundNames.insert(sound.name);
  EXPECT_EQ(entries(w.File1->Source()), slideNames);
  EXPECT_EQ(entries(w.File2->Source()), soundNames);

  // Shown in the sound list: a readable, non-empty text per entry.
  ASSERT_EQ(w.File2->count(), static_cast<int>(sounds.size()));
  for (int i = 0; i < w.File2->count(); ++i) {
    const QString shown = w.File2->item(i)->text();
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown, FileListBox::DisplayName(w.File2->Source().Entry(i)));
  }
  const QString cyrillic = FileListBox::DisplayName(sounds[0].name);
  EXPECT_EQ(cyrillic, QStringLiteral("Звук раз.wav"));

  EXPECT_EQ(show.Load(), QStringList());
  ASSERT_EQ(w.Slider1->maximum(), static_cast<int>(slides.size()));

  // Sound i on frame i + 1, through the list; the label names it.
  for (int i = 0; i < static_cast<int>(sounds.size()); ++i) {
    w.Slider1->setValue(i + 1);
    show.ClickSound(i);
    EXPECT_EQ(w.Label3->text(), FileListBox::DisplayName(w.File2->Source().Entry(i)));
  }

  // Played: each frame starts exactly its sound's bytes, and names it.
  for (int frame = 1; frame <= static_cast<int>(sounds.size()); ++frame) {
    show.sound.played.clear();
    (frame == 1 ? w.Command6 : w.Command4[0])->click();  // stop shows frame 1, then step by step
    ASSERT_EQ(w.Slider1->value(), frame);
    ASSERT_FALSE(show.sound.played.empty());
    const int position = frame - 1;
    EXPECT_EQ(PlayedBytes(show.sound.played.back()), ReadFile(w.File2->Source().PathOf(position)));
    EXPECT_EQ(w.Label3->text(), FileListBox::DisplayName(w.File2->Source().Entry(position)));
  }

  // Encoded: byte for byte, and the working directory holds nothing else.
  EXPECT_EQ(show.Encode(), QStringList({"Кодирование завершено успешно."}));
  EXPECT_EQ(ReadFile(show.work / "Dest.zel"), show.ExpectedContainer());
  EXPECT_EQ(ReadFile(show.work / "sound.ini"), ToBytes("1=0\r\n2=1\r\n3=2\r\n4=3\r\n"));
  EXPECT_TRUE(show.Leftovers().empty());
}

}  // namespace
}  // namespace kvarbon::testing
