// SPDX-License-Identifier: GPL-3.0-or-later
// What the folder chooser and a start from a terminal say about a folder that
// is not a show folder.
#include "app/core/show_folder_check.h"

#include <gtest/gtest.h>

#include "app/core/file_error.h"
#include "support/temp_dir.h"

namespace kvarbon {
namespace {

using testing::TempDir;
using testing::WriteFile;

using Lines = std::vector<std::string>;

const std::string kHolds =
    "Папка слайд-шоу содержит папку pic с картинками (.bmp, .jpg, .gif) и папку snd со звуками (.wav).";

TEST(ShowFolderCheck, SaysWhatTheFolderLacksWhatItLeftOutAndWhatAShowFolderHolds) {
  TempDir missingPic;
  std::filesystem::create_directories(missingPic / "snd");
  EXPECT_EQ(ShowFolderProblems(missingPic.path()),
            (Lines{"Папка " + QuotedPath(missingPic.path()) + " не подходит.", "Нет папки pic.", kHolds}));

  TempDir missingSnd;
  WriteFile(missingSnd / "pic" / "1.jpg", "x");
  WriteFile(missingSnd / "pic" / "2.bmp", "x");
  WriteFile(missingSnd / "snd", "a file, not a folder");
  EXPECT_EQ(ShowFolderProblems(missingSnd.path()),
            (Lines{"Папка " + QuotedPath(missingSnd.path()) + " не подходит.", "Нет папки snd.", kHolds}));

  // One picture; the others are .jpeg and .png, and a sound is an MP3.
  TempDir onePicture;
  WriteFile(onePicture / "pic" / "01.jpg", "x");
  WriteFile(onePicture / "pic" / "10.PNG", "x");
  WriteFile(onePicture / "pic" / "02.jpeg", "x");
  WriteFile(onePicture / "pic" / ".hidden.jpeg", "x");
  std::filesystem::create_directories(onePicture / "pic" / "folder.jpeg");
  WriteFile(onePicture / "snd" / "a.mp3", "x");
  WriteFile(onePicture / "snd" / "b.wav", "x");
  EXPECT_EQ(ShowFolderProblems(onePicture.path()),
            (Lines{"Папка " + QuotedPath(onePicture.path()) + " не подходит.",
                   "В папке pic картинок (.bmp, .jpg, .gif): 1, а нужно не меньше двух.",
                   "Найдены, но не подходят:", "  pic/02.jpeg — переименуйте .jpeg в .jpg",
                   "  pic/10.PNG — картинки PNG не читаются: сохраните её как .jpg, .bmp или .gif",
                   "  snd/a.mp3 — берутся только звуки .wav", kHolds}));

  // The same pictures as loading finds them, for standard error.
  FileListSource slides{std::string(kSlidePattern)};
  slides.SetDirectory(onePicture / "pic");
  EXPECT_EQ(TooFewSlidesExplanation(slides),
            (Lines{"слайдов не найдено: в папке " + QuotedPath(onePicture / "pic") +
                       " картинок (.bmp, .jpg, .gif): 1, а нужно не меньше двух.",
                   "пропущены:", "  02.jpeg — переименуйте .jpeg в .jpg",
                   "  10.PNG — картинки PNG не читаются: сохраните её как .jpg, .bmp или .gif"}));

  // Two pictures and an empty snd make a show folder, whatever else is there.
  TempDir good;
  WriteFile(good / "pic" / "a.JPG", "x");
  WriteFile(good / "pic" / "b.gif", "x");
  WriteFile(good / "pic" / "c.png", "x");
  std::filesystem::create_directories(good / "snd");
  EXPECT_EQ(ShowFolderProblems(good.path()), Lines{});
}

}  // namespace
}  // namespace kvarbon
