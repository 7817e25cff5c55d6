// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reads, range copies and the all-or-nothing temporary file.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstring>

#include "app/core/file_error.h"
#include "app/core/file_copy.h"
#include "app/core/file_io.h"
#include "app/core/temporary_file.h"
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

// Ranges on both sides of the chunk that passes through the buffer, at odd
// offsets, in the kernel and through the buffer; a source that ends early is
// named as such.
TEST(FileCopy, RangesAroundTheChunkArrivePlacedAndWhole) {
  TempDir dir;
  Bytes source(3 * kCopyChunk + 20);
  for (std::size_t k = 0; k < source.size(); ++k) source[k] = static_cast<std::byte>((k * 131 + k / 251) % 256);
  WriteFile(dir / "from", source);
  const OpenedFile from = OpenForReading(dir / "from");
  for (const FileCopier::Mode mode : {FileCopier::Mode::kKernelFirst, FileCopier::Mode::kBufferOnly}) {
    FileCopier copier(mode);
    for (const std::size_t length : {std::size_t{1}, kCopyChunk - 1, kCopyChunk, kCopyChunk + 1,
                                     3 * kCopyChunk + 7}) {
      const FileDescriptor to(::open((dir / "to").c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
      copier.Copy({from.file.get(), 13, dir / "from"}, {to.get(), 5, dir / "to"}, length);
      Bytes expected(5);
      expected.insert(expected.end(), source.begin() + 13, source.begin() + 13 + static_cast<std::ptrdiff_t>(length));
      EXPECT_TRUE(ReadFile(dir / "to") == expected) << length;
    }
    const FileDescriptor to(::open((dir / "to").c_str(), O_RDWR | O_TRUNC | O_CLOEXEC));
    try {
      copier.Copy({from.file.get(), 10, dir / "from"}, {to.get(), 0, dir / "to"}, source.size());
      FAIL() << "no error for a source that ends early";
    } catch (const FileError& error) {
      EXPECT_EQ(error.path(), dir / "from");
      EXPECT_EQ(error.fault(), FileFault::kShrank);
    }
  }
}

TEST(TemporaryFile, AppearsOnlyWholeUnderItsNameAndLeavesNothingOnFailure) {
  TempDir dir;
  WriteFile(dir / "Dest.zel", std::string(1000, 'o'));
  {
    TemporaryFile file(dir / "Dest.zel");
    WriteAt(file.fd(), 0, ToBytes("new"), file.Target());
    EXPECT_EQ(ReadFile(dir / "Dest.zel").size(), 1000u);
    file.Commit();
  }
  EXPECT_EQ(ReadFile(dir / "Dest.zel"), ToBytes("new"));
  { TemporaryFile dropped(dir / "Dest.zel"); }
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"Dest.zel"}));

  std::filesystem::remove(dir / "Dest.zel");
  std::filesystem::create_directory(dir / "Dest.zel");  // a folder in the way
  try {
    TemporaryFile file(dir / "Dest.zel");
    file.Commit();
    FAIL() << "no error";
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), dir / "Dest.zel");
  }
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"Dest.zel"}));
}

}  // namespace
}  // namespace kvarbon
