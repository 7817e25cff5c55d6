// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/core/file_lists.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>

#include "app/core/file_error.h"

namespace kvarbon {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool MatchOne(std::string_view name, std::string_view pattern) {
  // Iterative glob with backtracking to the last "*".
  std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// Compares two digit runs by numeric value, ignoring leading zeros.
int CompareNumbers(std::string_view a, std::string_view b) {
  const auto trim = [](std::string_view s) {
    const std::size_t first = s.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view{} : s.substr(first);
  };
  const std::string_view ta = trim(a), tb = trim(b);
  if (ta.size() != tb.size()) return ta.size() < tb.size() ? -1 : 1;
  const int c = ta.compare(tb);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int NaturalCompare(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      std::size_t ei = i, ej = j;
      while (ei < a.size() && IsDigit(a[ei])) ++ei;
      while (ej < b.size() && IsDigit(b[ej])) ++ej;
      const int c = CompareNumbers(a.substr(i, ei - i), b.substr(j, ej - j));
      if (c != 0) return c;
      i = ei;
      j = ej;
      continue;
    }
    const auto ca = static_cast<unsigned char>(LowerAscii(a[i]));
    const auto cb = static_cast<unsigned char>(LowerAscii(b[j]));
    if (ca != cb) return ca < cb ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace

bool MatchesPattern(std::string_view name, std::string_view patterns) {
  std::size_t start = 0;
  while (start <= patterns.size()) {
    const std::size_t end = std::min(patterns.find(';', start), patterns.size());
    const std::string_view one = patterns.substr(start, end - start);
    if (!one.empty() && MatchOne(name, one)) return true;
    start = end + 1;
  }
  return false;
}

bool NameOrderLess(std::string_view a, std::string_view b) {
  const int c = NaturalCompare(a, b);
  if (c != 0) return c < 0;
  return a < b;  // exact byte order makes the order total
}

std::vector<std::string> ListedNames(const std::filesystem::path& directory,
                                     const std::function<bool(std::string_view)>& wanted) {
  std::error_code error;
  std::filesystem::directory_iterator it(directory, error);
  if (error) throw FileError(FileAction::kListFolder, directory, error.value());

  std::vector<std::string> found;
  for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
    if (error) break;
    const std::string name = it->path().filename().native();
    if (name.empty() || name.front() == '.') continue;
    if (!wanted(name)) continue;
    std::error_code statusError;
    if (!it->is_regular_file(statusError)) continue;  // follows links; skips folders, FIFOs...
    found.push_back(name);
  }
  if (error) throw FileError(FileAction::kListFolder, directory, error.value());
  return found;
}

FileListSource::FileListSource(std::string pattern) : pattern_(std::move(pattern)) {}

void FileListSource::SetDirectory(const std::filesystem::path& directory) {
  std::vector<std::string> found =
      ListedNames(directory, [this](std::string_view name) { return MatchesPattern(name, pattern_); });
  if (found.size() > static_cast<std::size_t>(kMaxListEntries)) {
    throw InputError("Подходящих файлов в папке " + QuotedPath(directory) + ": " + std::to_string(found.size()) +
                     "; использовать можно не больше " + std::to_string(kMaxListEntries) + ".");
  }
  std::sort(found.begin(), found.end(), NameOrderLess);
  directory_ = directory;
  entries_ = std::move(found);
}

const std::string& FileListSource::Entry(int position) const {
  if (position < 0 || position >= Count()) throw std::out_of_range("no list entry at this position");
  return entries_[static_cast<std::size_t>(position)];
}

std::filesystem::path FileListSource::PathOf(int position) const {
  return directory_ / std::filesystem::path(Entry(position));
}

}  // namespace kvarbon
