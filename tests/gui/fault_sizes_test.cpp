// SPDX-License-Identifier: GPL-3.0-or-later
// Sizes at the edges: empty slides and sounds, a 1 x 1 slide, a header that
// claims 60000 x 60000 pixels, and 5000 slides with 5000 sounds.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QLabel>
#include <QProgressBar>
#include <QSlider>

#include "gui/fault_fixture.h"
#include "support/images.h"
#include "ui/display_surface.h"

namespace kvarbon::testing {
namespace {

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255);

void Put(Bytes& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFFU));
}

// A 24-bit BMP header announcing `width` x `height` pixels, followed by a few
// bytes of pixel data only.
Bytes BmpHeader(std::uint32_t width, std::uint32_t height) {
  Bytes out = ToBytes("BM");
  Put(out, 54 + 16, 4);
  Put(out, 0, 4);
  Put(out, 54, 4);
  Put(out, 40, 4);
  Put(out, width, 4);
  Put(out, height, 4);
  Put(out, 1, 2);
  Put(out, 24, 2);
  for (int i = 0; i < 6; ++i) Put(out, 0, 4);
  Put(out, 0x00FF00FF, 4);
  for (int i = 0; i < 12; ++i) out.push_back(std::byte{0x7F});
  return out;
}

// A real picture whose header is changed to announce 60000 x 60000 pixels.
Bytes ClaimingHuge(Bytes picture, std::size_t widthAt, std::size_t heightAt, bool bigEndian) {
  const auto put16 = [&](std::size_t at, unsigned value) {
    picture[at + (bigEndian ? 0 : 1)] = static_cast<std::byte>(value >> 8);
    picture[at + (bigEndian ? 1 : 0)] = static_cast<std::byte>(value & 0xFF);
  };
  put16(widthAt, 60000);
  put16(heightAt, 60000);
  return picture;
}

Bytes HugeGif() {
  // The logical screen (offset 6) and the image descriptor (from offset 19, after
  // the two-colour table) both claim 60000 x 60000.
  return ClaimingHuge(ClaimingHuge(SolidGif(2, 2, kRed), 6, 8, false), 24, 26, false);
}

Bytes HugeJpeg() {
  Bytes jpeg = SolidJpeg(16, 16, kRed);
  // The frame header: FF C0, length, precision, then height and width.
  for (std::size_t i = 0; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == std::byte{0xFF} && jpeg[i + 1] == std::byte{0xC0})
      return ClaimingHuge(jpeg, i + 7, i + 5, true);
  }
  ADD_FAILURE() << "no frame header";
  return jpeg;
}

long PeakResidentKiB() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST(FaultSizes, AnEmptySlideFailsTheLoadingNamingIt) {
  for (const int emptyAt : {0, 1}) {
    SCOPED_TRACE(emptyAt);
    FaultShow show;
    WriteFile(show.work / "pic" / "1.bmp", emptyAt == 0 ? Bytes{} : SolidBmp(4, 4, kRed));
    WriteFile(show.work / "pic" / "2 пусто.gif", emptyAt == 1 ? Bytes{} : SolidGif(4, 4, kRed));
    show.Start();
    const QStringList messages = show.Load();
    ASSERT_EQ(messages.size(), 1);
    const QString named = emptyAt == 0 ? "1.bmp" : "2 пусто.gif";
    EXPECT_TRUE(messages[0].contains(named)) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("Файл пуст")) << messages[0].toStdString();
    EXPECT_EQ(show.ended, std::vector<int>{1});
    EXPECT_FALSE(show.frm->Command1->isEnabled());
  }
}

TEST(FaultSizes, AnEmptySoundIsKeptPlaysAsNothingAndIsEncoded) {
  FaultShow show;
  WriteFile(show.work / "pic" / "1.bmp", SolidBmp(4, 4, kRed));
  WriteFile(show.work / "pic" / "2.bmp", SolidBmp(4, 4, kGreen));
  WriteFile(show.work / "snd" / "a.wav", Bytes{});
  WriteFile(show.work / "snd" / "b.wav", "RIFF b");
  show.Start();
  ASSERT_EQ(show.state.SoundBank.size(), 3U);
  EXPECT_TRUE(show.state.SoundBank[0].empty());
  EXPECT_EQ(show.state.SoundBank[1], ToBytes("RIFF b"));
  EXPECT_EQ(show.Load(), QStringList());

  show.frm->Slider1->setValue(2);
  show.ClickSound(0);
  show.frm->Slider1->setValue(1);
  show.sound.played.clear();
  show.frm->Slider1->setValue(2);
  ASSERT_EQ(show.sound.played.size(), 1U);
  EXPECT_EQ(show.sound.played[0].size, 0U);
  EXPECT_EQ(show.frm->Label3->text(), "a.wav");

  EXPECT_EQ(show.Encode(), QStringList({"Кодирование завершено успешно."}));
  const Bytes container = ReadFile(show.work / "Dest.zel");
  EXPECT_EQ(container, show.ExpectedContainer());
  EXPECT_NE(AsText(container).find("sound-|-RIFF b-|-\\sound"), std::string_view::npos);
}

TEST(FaultSizes, OnePixelSlidesAreCentredDrawnAndEncoded) {
  FaultShow show;
  WriteFile(show.work / "pic" / "1.bmp", SolidBmp(1, 1, kBlue));
  WriteFile(show.work / "pic" / "2.gif", SolidGif(1, 1, kGreen));
  WriteFile(show.work / "pic" / "3.jpg", SolidJpeg(1, 1, kRed));
  show.Start();
  EXPECT_EQ(show.Load(), QStringList());
  FrmMain& w = *show.frm;
  // Outer 5 x 5 pixels against 400 x 300: (6000 - 75) / 2 and (4500 - 75) / 2, halves to even.
  EXPECT_EQ(show.state.SlideOffsetX, 2962);
  EXPECT_EQ(show.state.SlideOffsetY, 2212);
  const QImage& canvas = w.Picture1->Canvas();
  EXPECT_EQ(canvas.pixel(197, 147), kBlue.rgb());
  EXPECT_EQ(canvas.pixel(196, 147), QColor(Qt::black).rgb());
  EXPECT_EQ(canvas.pixel(198, 148), QColor(Qt::black).rgb());
  w.Slider1->setValue(2);
  EXPECT_EQ(canvas.pixel(197, 147), kGreen.rgb());
  EXPECT_EQ(show.Encode(), QStringList({"Кодирование завершено успешно."}));
  EXPECT_EQ(ReadFile(show.work / "Dest.zel"), show.ExpectedContainer());
}

TEST(FaultSizes, AHeaderClaimingSixtyThousandSquaredIsAClearErrorWithoutAMemoryBlowUp) {
  struct Case {
    const char* name;
    Bytes bytes;
  };
  const std::vector<Case> cases = {
      {"huge.bmp", BmpHeader(60000, 60000)}, {"huge.gif", HugeGif()}, {"huge.jpg", HugeJpeg()}};
  const long before = PeakResidentKiB();
  for (const Case& c : cases) {
    for (const bool first : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (first ? " as the first slide" : " as a later slide"));
      FaultShow show;
      WriteFile(show.work / "pic" / (std::string(first ? "1 " : "2 ") + c.name), c.bytes);
      WriteFile(show.work / "pic" / (first ? "2.bmp" : "1.bmp"), SolidBmp(8, 8, kRed));
      show.Start();
      const QStringList messages = show.Load();
      if (messages.isEmpty()) {
        // A decoder that can decode just the part on screen (JPEG) does so,
        // and only that part is held.
        ASSERT_EQ(show.frm->Slides().Size(), 3U);
        const SlideHolder holder = *show.frm->Slides().Fetch(first ? 1 : 2);
        EXPECT_LE(holder.picture.width, show.frm->Picture1->Canvas().width());
        EXPECT_LE(holder.picture.height, show.frm->Picture1->Canvas().height());
        EXPECT_EQ(holder.outerWidthTwips, (60000 + 4) * 15);
        continue;
      }
      ASSERT_EQ(messages.size(), 1);
      EXPECT_TRUE(messages[0].contains(c.name)) << messages[0].toStdString();
      EXPECT_TRUE(messages[0].contains("60000 × 60000")) << messages[0].toStdString();
      EXPECT_EQ(show.ended, std::vector<int>{1});
    }
  }
  EXPECT_LT(PeakResidentKiB() - before, 400L * 1024) << "peak resident memory grew by this many KiB";
}

TEST(FaultSizes, FiveThousandSlidesAndFiveThousandSounds) {
  constexpr int kCount = 5000;
  FaultShow show;
  for (int i = 0; i < kCount; ++i) {
    WriteFile(show.work / "pic" / (std::to_string(i) + ".bmp"), SolidBmp(1, 1, QColor(i % 256, i / 256, 7)));
    WriteFile(show.work / "snd" / (std::to_string(i) + ".wav"), "RIFF " + std::to_string(i));
  }
  show.Start();
  FrmMain& w = *show.frm;
  ASSERT_EQ(w.File1->Source().Count(), kCount);
  ASSERT_EQ(w.File2->count(), kCount);
  ASSERT_EQ(show.state.SoundBank.size(), static_cast<std::size_t>(kCount) + 1);
  EXPECT_EQ(show.state.SoundBank[4321], ToBytes("RIFF 4321"));
  EXPECT_EQ(show.state.SlideSoundTable.size(), static_cast<std::size_t>(kCount) + 1);

  ProgressRecorder progress;
  EXPECT_EQ(show.Load(), QStringList());
  ASSERT_EQ(w.Slides().Size(), static_cast<std::size_t>(kCount) + 1);
  EXPECT_EQ(w.Slider1->maximum(), kCount);
  ASSERT_EQ(progress.showings.size(), 1U);
  ASSERT_FALSE(progress.showings[0].values.empty());
  EXPECT_EQ(progress.showings[0].values.back(), std::make_pair(kCount - 1, kCount));

  // Frame n gets sound n - 1 on every third frame; the last frame its own number.
  for (int frame = 1; frame <= kCount; frame += 3)
    show.state.SlideSoundTable[frame - 1] = std::to_string(frame - 1);
  w.Slider1->setValue(4999);
  EXPECT_EQ(w.Picture1->Canvas().pixel(197, 147), QColor(4998 % 256, 4998 / 256, 7).rgb());

  EXPECT_EQ(show.Encode(), QStringList({"Кодирование завершено успешно."}));
  EXPECT_EQ(ReadFile(show.work / "Dest.zel"), show.ExpectedContainer());
}

}  // namespace
}  // namespace kvarbon::testing
