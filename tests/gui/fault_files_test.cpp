// SPDX-License-Identifier: GPL-3.0-or-later
// Files that change under the running tool: removed, truncated, replaced by
// other content, a folder or a FIFO between start-up, loading and encoding; a
// working directory removed; a full disk during the write. Each either works
// with what is on disk now or says which path failed and why, and a failed
// encode leaves no container, no temporary file and every assignment.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <functional>

#include "gui/fault_fixture.h"
#include "support/images.h"
#include "ui/display_surface.h"

namespace kvarbon::testing {
namespace {

namespace fs = std::filesystem;

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255);
const QStringList kSuccess = {"Кодирование завершено успешно."};

void MakeFifo(const fs::path& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path; }

void ReplaceByFolder(const fs::path& path) {
  fs::remove(path);
  fs::create_directory(path);
}

void ReplaceByFifo(const fs::path& path) {
  fs::remove(path);
  MakeFifo(path);
}

// A JPEG whose compressed data is mostly the scan, so a cut lands inside it.
Bytes PatternJpeg(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 13 % 256, y * 7 % 256, (x * y) % 256));
  }
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG", 90);
  const auto* begin = reinterpret_cast<const std::byte*>(data.constData());
  return Bytes(begin, begin + data.size());
}

void Truncate(const fs::path& path, std::size_t size) {
  Bytes bytes = ReadFile(path);
  bytes.resize(size);
  WriteFile(path, bytes);
}

// Three slides and two sounds, loaded, with sounds on frames 1 and 3.
struct LoadedShow : FaultShow {
  LoadedShow() {
    WriteFile(work / "pic" / "1.bmp", SolidBmp(40, 30, kRed));
    WriteFile(work / "pic" / "2.jpg", SolidJpeg(30, 40, kGreen));
    WriteFile(work / "pic" / "3.gif", SolidGif(20, 20, kBlue));
    WriteFile(work / "snd" / "a.wav", "RIFF a");
    WriteFile(work / "snd" / "b.wav", "RIFF b");
  }
  void StartAndLoad() {
    Start();
    EXPECT_EQ(Load(), QStringList());
    state.SlideSoundTable[0] = "1";
    state.SlideSoundTable[2] = "0";
  }
  std::vector<std::string> Assignments() const { return {"1", "", "0", ""}; }
};

// A failed encode: one message naming `path` and holding `reason`, no
// container, nothing left behind, the assignments and the button kept.
void ExpectFailedEncode(LoadedShow& show, const QStringList& messages, const std::string& path,
                        const std::string& reason) {
  ASSERT_EQ(messages.size(), 1) << messages.join("\n").toStdString();
  EXPECT_TRUE(messages[0].toStdString().find(path) != std::string::npos) << messages[0].toStdString();
  EXPECT_TRUE(messages[0].toStdString().find(reason) != std::string::npos) << messages[0].toStdString();
  EXPECT_FALSE(fs::exists(show.work / "Dest.zel"));
  EXPECT_TRUE(show.Leftovers().empty());
  EXPECT_EQ(show.state.SlideSoundTable, show.Assignments());
  EXPECT_TRUE(show.frm->Command1->isEnabled());
}

TEST(FaultFiles, FoldersFifosAndDanglingLinksInTheFoldersAreNotListed) {
  LoadedShow show;
  fs::create_directories(show.work / "pic" / "folder.bmp" / "inner.bmp");
  MakeFifo(show.work / "pic" / "fifo.jpg");
  fs::create_symlink(show.work / "nowhere.gif", show.work / "pic" / "dangling.gif");
  fs::create_directory(show.work / "snd" / "folder.wav");
  MakeFifo(show.work / "snd" / "fifo.wav");
  show.StartAndLoad();
  EXPECT_EQ(show.frm->File1->Source().Count(), 3);
  EXPECT_EQ(show.frm->File2->Source().Count(), 2);
  EXPECT_EQ(show.frm->Slider1->maximum(), 3);
  EXPECT_EQ(show.Encode(), kSuccess);
  EXPECT_EQ(ReadFile(show.work / "Dest.zel"), show.ExpectedContainer());
}

TEST(FaultFiles, ASlideChangedBetweenStartUpAndLoading) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> change;
    const char* reason;  // empty: the slide loads as it now is
  };
  const std::vector<Case> cases = {
      {"removed", [](const fs::path& p) { fs::remove(p); }, "No such file or directory"},
      {"a folder", ReplaceByFolder, "Is a directory"},
      {"a FIFO", ReplaceByFifo, "Это не обычный файл"},
      {"emptied", [](const fs::path& p) { Truncate(p, 0); }, "Файл пуст"},
      {"cut short",
       [](const fs::path& p) {
         Bytes jpeg = PatternJpeg(200, 150);
         jpeg.resize(jpeg.size() * 2 / 3);
         WriteFile(p, jpeg);
       },
       ""},
      {"replaced", [](const fs::path& p) { WriteFile(p, SolidBmp(12, 12, kBlue)); }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadedShow show;
    show.Start();
    const fs::path slide = show.work / "pic" / "2.jpg";
    c.change(slide);
    const QStringList messages = show.Load();
    if (std::string(c.reason).empty()) {
      EXPECT_EQ(messages, QStringList()) << messages.join("\n").toStdString();
      ASSERT_TRUE(show.frm->Slides().Fetch(2)->HasPicture());
      if (std::string(c.name) == "replaced") {
        EXPECT_EQ(show.frm->Slides().Fetch(2)->picture.Pixel(0, 0), kBlue.rgb());
      }
      EXPECT_EQ(show.Encode(), kSuccess);
      EXPECT_EQ(ReadFile(show.work / "Dest.zel"), show.ExpectedContainer());
      continue;
    }
    // The loading job's failure ends the process, after a message naming the slide.
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].toStdString().find(slide.native()) != std::string::npos)
        << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(c.reason)) << messages[0].toStdString();
    EXPECT_EQ(show.ended, std::vector<int>{1});
    EXPECT_FALSE(show.frm->Command1->isEnabled());
  }
}

TEST(FaultFiles, FilesChangedBetweenLoadingAndEncoding) {
  struct Case {
    const char* name;
    const char* file;
    std::function<void(const fs::path&)> change;
    const char* reason;  // empty: the encode takes the file as it now is
  };
  const std::vector<Case> cases = {
      {"a slide truncated", "pic/1.bmp", [](const fs::path& p) { Truncate(p, 100); }, ""},
      {"a slide replaced", "pic/2.jpg", [](const fs::path& p) { WriteFile(p, std::string(70000, 'j')); }, ""},
      {"a sound truncated", "snd/b.wav", [](const fs::path& p) { Truncate(p, 3); }, ""},
      {"a slide replaced by a folder", "pic/3.gif", ReplaceByFolder, "Is a directory"},
      {"a slide replaced by a FIFO", "pic/3.gif", ReplaceByFifo, "Это не обычный файл"},
      {"a sound replaced by a FIFO", "snd/a.wav", ReplaceByFifo, "Это не обычный файл"},
      {"a sound replaced by a folder", "snd/b.wav", ReplaceByFolder, "Is a directory"},
      {"the slide folder removed", "pic/1.bmp", [](const fs::path& p) { fs::remove_all(p.parent_path()); },
       "No such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadedShow show;
    show.StartAndLoad();
    const fs::path file = show.work / c.file;
    const fs::path backup = show.dir / "backup";
    fs::copy(show.work, backup, fs::copy_options::recursive);
    const std::vector<Bytes> bank = show.state.SoundBank;
    c.change(file);
    const QStringList messages = show.Encode();
    // The preview keeps playing the sounds as start-up read them.
    EXPECT_EQ(show.state.SoundBank, bank);
    if (std::string(c.reason).empty()) {
      EXPECT_EQ(messages, kSuccess);
      EXPECT_EQ(ReadFile(show.work / "Dest.zel"), show.ExpectedContainer());
      EXPECT_TRUE(show.Leftovers().empty());
      continue;
    }
    ExpectFailedEncode(show, messages, file.native(), c.reason);
    // Once the files are back, the retry gives the whole container.
    for (const char* folder : {"pic", "snd"}) {
      fs::remove_all(show.work / folder);
      fs::copy(backup / folder, show.work / folder, fs::copy_options::recursive);
    }
    EXPECT_EQ(show.Encode(), kSuccess);
    EXPECT_EQ(ReadFile(show.work / "Dest.zel"), show.ExpectedContainer());
  }
}

TEST(FaultFiles, AWorkingDirectoryRemovedUnderTheRunningTool) {
  // Before loading: the loading job names the slide it cannot read.
  {
    LoadedShow show;
    show.Start();
    fs::remove_all(show.work);
    const QStringList messages = show.Load();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].toStdString().find((show.work / "pic" / "1.bmp").native()) != std::string::npos);
    EXPECT_EQ(show.ended, std::vector<int>{1});
  }
  // After loading: the preview goes on from memory, the encode fails cleanly
  // and succeeds once the directory is back.
  LoadedShow show;
  show.StartAndLoad();
  const fs::path kept = show.dir / "kept";
  fs::copy(show.work, kept, fs::copy_options::recursive);
  fs::remove_all(show.work);

  FrmMain& w = *show.frm;
  show.sound.played.clear();
  w.Command6->click();
  w.Timer1_Timer();
  w.Timer1_Timer();
  w.Command4[0]->click();
  EXPECT_EQ(w.Slider1->value(), 3);
  EXPECT_FALSE(show.sound.played.empty());

  const QStringList messages = show.Encode();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].toStdString().find((show.work / "sound.ini").native()) != std::string::npos)
      << messages[0].toStdString();
  EXPECT_TRUE(messages[0].contains("No such file or directory")) << messages[0].toStdString();
  EXPECT_EQ(show.state.SlideSoundTable, show.Assignments());
  EXPECT_TRUE(w.Command1->isEnabled());
  EXPECT_FALSE(fs::exists(show.work));

  fs::rename(kept, show.work);
  EXPECT_EQ(show.Encode(), kSuccess);
  EXPECT_EQ(ReadFile(show.work / "Dest.zel"), show.ExpectedContainer());
  EXPECT_TRUE(show.Leftovers().empty());
}

// Sets the file-size limit of the process for its life, then puts the old one back.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    const rlimit limited{bytes, old_.rlim_max};
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old_); }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
};

TEST(FaultFiles, AFullDiskDuringTheWrite) {
  LoadedShow probe;
  probe.StartAndLoad();
  const std::size_t size = probe.ExpectedContainer().size();
  ASSERT_GT(size, 4000U);

  struct Case {
    rlim_t limit;
    const char* failing;  // the output named, or empty when the write fits
  };
  const std::vector<Case> cases = {
      {0, "sound.ini"}, {size / 2, "Dest.zel"}, {size - 1, "Dest.zel"}, {size, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit);
    LoadedShow show;
    show.StartAndLoad();
    WriteFile(show.work / "Dest.zel", std::string(100, 'o'));  // an earlier container
    QStringList messages;
    {
      const FileSizeLimit limit(c.limit);
      messages = show.Encode();
    }
    if (std::string(c.failing).empty()) {
      EXPECT_EQ(messages, kSuccess);
    } else {
      ExpectFailedEncode(show, messages, (show.work / c.failing).native(), "File too large");
      EXPECT_EQ(show.Encode(), kSuccess);
    }
    EXPECT_EQ(ReadFile(show.work / "Dest.zel"), show.ExpectedContainer());
    EXPECT_TRUE(show.Leftovers().empty());
  }
}

}  // namespace
}  // namespace kvarbon::testing
