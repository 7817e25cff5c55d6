// Whole-file reads and the all-or-nothing write.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstring>

#include "app/core/file_error.h"
#include "app/core/file_io.h"
#include "support/temp_dir.h"

namespace kvarbon {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

std::vector<std::string> Names(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FileIo, ReadingSomethingThatIsNotARegularFileFails) {
  TempDir dir;
  std::filesystem::create_directory(dir / "d.jpg");
  ASSERT_EQ(::mkfifo((dir / "p.jpg").c_str(), 0600), 0);
  EXPECT_THROW(ReadWholeFile(dir / "d.jpg"), FileError);
  EXPECT_THROW(ReadWholeFile(dir / "p.jpg"), FileError);
  EXPECT_THROW(ReadWholeFile(dir / "missing.jpg"), FileError);
}

// Messages name the file in full even when it was opened by a relative path.
TEST(FileIo, AFailureNamesTheAbsolutePathAndTheSystemsReason) {
  try {
    ReadWholeFile("kvarbon-no-such-folder/../kvarbon-no-such.wav");
    FAIL() << "read";
  } catch (const FileError& error) {
    EXPECT_EQ(error.error(), ENOENT);
    const std::filesystem::path full = std::filesystem::current_path() / "kvarbon-no-such.wav";
    EXPECT_EQ(std::string(error.what()),
              "Не удалось прочитать файл «" + full.native() + "»: " + std::strerror(ENOENT));
  }
}

TEST(FileIo, AtomicWriteJoinsThePiecesAndReplacesAnOlderFileEntirely) {
  TempDir dir;
  WriteFile(dir / "Dest.zel", std::string(1000, 'o'));
  const Bytes a = ToBytes("abc"), b, c = ToBytes("de");
  WriteFileAtomically(dir / "Dest.zel", {a, b, c});
  EXPECT_EQ(ReadFile(dir / "Dest.zel"), ToBytes("abcde"));
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"Dest.zel"}));
}

TEST(FileIo, PiecesOfEverySizeAreWrittenWholeAndInOrder) {
  // Many small pieces (more than one gathered call takes), empty ones, and
  // pieces on both sides of the size written per call, around 128 KiB.
  const std::size_t slice = std::size_t{128} << 10;
  std::vector<Bytes> pieces;
  for (int i = 0; i < 3000; ++i) pieces.push_back(ToBytes(std::to_string(i) + ","));
  for (const std::size_t size : {std::size_t{0}, slice - 1, slice, std::size_t{1}, slice + 1, 3 * slice + 7,
                                 std::size_t{0}, 2 * slice, std::size_t{5 << 20}}) {
    Bytes piece(size);
    for (std::size_t k = 0; k < size; ++k) piece[k] = static_cast<std::byte>((k * 131 + size) % 251);
    pieces.push_back(std::move(piece));
  }
  Bytes expected;
  for (const Bytes& piece : pieces) expected.insert(expected.end(), piece.begin(), piece.end());

  TempDir dir;
  WriteFileAtomically(dir / "out", std::vector<ByteView>(pieces.begin(), pieces.end()));
  EXPECT_TRUE(ReadFile(dir / "out") == expected);
}

TEST(FileIo, AFailedWriteLeavesNeitherTargetNorTemporaryFile) {
  TempDir dir;
  std::filesystem::create_directory(dir / "Dest.zel");  // a folder in the way
  const Bytes data = ToBytes("data");
  try {
    WriteFileAtomically(dir / "Dest.zel", {data});
    FAIL() << "no error";
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), dir / "Dest.zel");
  }
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"Dest.zel"}));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Dest.zel"));
}

TEST(FileIo, AFileSizeLimitDuringTheWriteFailsCleanly) {
  TempDir dir;
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit limited = old;
  limited.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  const Bytes big(10000, std::byte{7});
  EXPECT_THROW(WriteFileAtomically(dir / "Dest.zel", {big}), FileError);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &old), 0);
  EXPECT_TRUE(Names(dir.path()).empty());
}

}  // namespace
}  // namespace kvarbon
