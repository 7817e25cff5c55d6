// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/temp_dir.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kvarbon::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kvarbon-test-XXXXXX").native();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write test file " + path.native());
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  WriteFile(path, ToBytes(bytes));
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read test file " + path.native());
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return ToBytes(content);
}

Bytes HexBytes(std::initializer_list<unsigned> values) {
  Bytes bytes;
  for (const unsigned value : values) bytes.push_back(static_cast<std::byte>(value));
  return bytes;
}

}  // namespace kvarbon::testing
