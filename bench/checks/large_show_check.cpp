// SPDX-License-Identifier: GPL-3.0-or-later
// A show whose container is above 2 GiB. Too big and slow for the suite: a
// long check (see docs/reliability.md) that skips itself when the disk has too
// little room.
#include <gtest/gtest.h>

#include <fstream>
#include <variant>

#include "gui/fault_fixture.h"
#include "support/images.h"

namespace kvarbon::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kPadding = 1100ULL << 20;  // 1100 MiB after each slide's picture

// A 10 x 10 BMP followed by `padding` zero bytes: a valid slide (the decoder
// stops after the pixels) of any size, written in pieces.
void WritePaddedBmp(const fs::path& path, QColor colour, std::uintmax_t padding) {
  const Bytes picture = SolidBmp(10, 10, colour);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(picture.data()), static_cast<std::streamsize>(picture.size()));
  const std::vector<char> zeros(1 << 20, 0);
  for (std::uintmax_t left = padding; left > 0;) {
    const auto step = static_cast<std::streamsize>(std::min<std::uintmax_t>(left, zeros.size()));
    out.write(zeros.data(), step);
    left -= static_cast<std::uintmax_t>(step);
  }
  ASSERT_TRUE(out.good()) << path;
}

// Whether `container` is exactly the pieces in order: literal texts and whole
// files, compared a chunk at a time so that nothing large is held in memory.
bool StreamEquals(const fs::path& container, const std::vector<std::variant<std::string, fs::path>>& pieces) {
  std::ifstream in(container, std::ios::binary);
  constexpr std::size_t kChunk = 1 << 20;
  std::vector<char> got(kChunk), want(kChunk);
  const auto same = [&](const char* expected, std::size_t size) {
    in.read(got.data(), static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(in.gcount()) == size &&
           std::equal(expected, expected + size, got.begin());
  };
  for (const auto& piece : pieces) {
    if (const auto* text = std::get_if<std::string>(&piece)) {
      if (!same(text->data(), text->size())) return false;
      continue;
    }
    std::ifstream file(std::get<fs::path>(piece), std::ios::binary);
    while (file) {
      file.read(want.data(), static_cast<std::streamsize>(kChunk));
      const auto size = static_cast<std::size_t>(file.gcount());
      if (size > 0 && !same(want.data(), size)) return false;
    }
  }
  return in.peek() == std::char_traits<char>::eof();
}

TEST(LargeShow, AContainerAboveTwoGibibytes) {
  FaultShow show;
  // Two slide files, the container beside them, and room to spare.
  const std::uintmax_t needed = 2 * (2 * kPadding) + (1ULL << 30);
  if (fs::space(show.work).available < needed) GTEST_SKIP() << "needs " << (needed >> 20) << " MiB free";

  WritePaddedBmp(show.work / "pic" / "1.bmp", Qt::red, kPadding);
  WritePaddedBmp(show.work / "pic" / "2.bmp", Qt::blue, kPadding);
  WriteFile(show.work / "snd" / "a.wav", "RIFF a");
  show.Start();
  ASSERT_EQ(show.Load(), QStringList());
  show.state.SlideSoundTable[1] = "0";
  ASSERT_EQ(show.Encode(), QStringList({"Кодирование завершено успешно."}));

  const fs::path container = show.work / "Dest.zel";
  const std::uintmax_t slide = fs::file_size(show.work / "pic" / "1.bmp");
  const std::string head = "speed50\\speedini2=0;\\inisoundRIFF a-|-\\soundvideo";
  EXPECT_GT(fs::file_size(container), 2ULL << 30);
  EXPECT_EQ(fs::file_size(container), head.size() + 2 * (slide + 3) + 6);
  EXPECT_TRUE(StreamEquals(container, {head, show.work / "pic" / "1.bmp", std::string("-|-"),
                                       show.work / "pic" / "2.bmp", std::string("-|-\\video")}));
  EXPECT_TRUE(show.Leftovers().empty());
}

}  // namespace
}  // namespace kvarbon::testing
