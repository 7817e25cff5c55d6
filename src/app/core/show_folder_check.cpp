// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/core/show_folder_check.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "app/core/file_error.h"

namespace kvarbon {

namespace {

// Files of one folder a message names one by one; the rest are counted.
constexpr std::size_t kNamedFiles = 10;

// Why a file its list leaves out is not taken, for the files of "pic" and "snd".
std::string PictureReason(std::string_view name) {
  if (MatchesPattern(name, "*.jpeg")) return "переименуйте .jpeg в .jpg";
  if (MatchesPattern(name, "*.png")) return "картинки PNG не читаются: сохраните её как .jpg, .bmp или .gif";
  return "берутся только картинки .bmp, .jpg и .gif";
}
std::string SoundReason(std::string_view) { return "берутся только звуки .wav"; }

// Lines "  prefix name — reason" for the files of `folder` that `pattern` leaves
// out, in list order, at most kNamedFiles of them and then how many more.
// Nothing for a folder that cannot be listed.
std::vector<std::string> LeftOut(const std::filesystem::path& folder, std::string_view pattern,
                                 const std::string& prefix, std::string (*reason)(std::string_view)) {
  std::vector<std::string> names;
  try {
    names = ListedNames(folder, [pattern](std::string_view name) { return !MatchesPattern(name, pattern); });
  } catch (const FileError&) {
    return {};
  }
  std::sort(names.begin(), names.end(), NameOrderLess);
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < names.size() && i < kNamedFiles; ++i) {
    lines.push_back("  " + prefix + names[i] + " — " + reason(names[i]));
  }
  if (names.size() > kNamedFiles) lines.push_back("  и ещё " + std::to_string(names.size() - kNamedFiles));
  return lines;
}

bool IsFolder(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

std::string TooFewText(std::size_t count) {
  return "картинок (.bmp, .jpg, .gif): " + std::to_string(count) + ", а нужно не меньше двух.";
}

}  // namespace

std::vector<std::string> ShowFolderProblems(const std::filesystem::path& folder) {
  const std::filesystem::path pic = folder / "pic";
  const std::filesystem::path snd = folder / "snd";
  std::vector<std::string> lacks;
  if (!IsFolder(pic)) {
    lacks.push_back("Нет папки pic.");
  } else {
    try {
      const std::size_t pictures =
          ListedNames(pic, [](std::string_view name) { return MatchesPattern(name, kSlidePattern); }).size();
      if (pictures < 2) lacks.push_back("В папке pic " + TooFewText(pictures));
    } catch (const FileError&) {  // start-up names it with the reason
    }
  }
  if (!IsFolder(snd)) lacks.push_back("Нет папки snd.");
  if (lacks.empty()) return {};

  std::vector<std::string> lines{"Папка " + QuotedPath(folder) + " не подходит."};
  lines.insert(lines.end(), lacks.begin(), lacks.end());
  std::vector<std::string> leftOut = LeftOut(pic, kSlidePattern, "pic/", PictureReason);
  const std::vector<std::string> sounds = LeftOut(snd, kSoundPattern, "snd/", SoundReason);
  leftOut.insert(leftOut.end(), sounds.begin(), sounds.end());
  if (!leftOut.empty()) {
    lines.push_back("Найдены, но не подходят:");
    lines.insert(lines.end(), leftOut.begin(), leftOut.end());
  }
  lines.emplace_back(kShowFolderHolds);
  return lines;
}

std::vector<std::string> TooFewSlidesExplanation(const FileListSource& slides) {
  std::vector<std::string> lines{"слайдов не найдено: в папке " + QuotedPath(slides.Directory()) + " " +
                                 TooFewText(static_cast<std::size_t>(slides.Count()))};
  const std::vector<std::string> leftOut = LeftOut(slides.Directory(), slides.Pattern(), "", PictureReason);
  if (!leftOut.empty()) {
    lines.push_back("пропущены:");
    lines.insert(lines.end(), leftOut.begin(), leftOut.end());
  }
  return lines;
}

void ExplainOnTerminal(const std::vector<std::string>& lines) {
  if (::isatty(STDERR_FILENO) != 1) return;
  for (const std::string& line : lines) std::fprintf(stderr, "kvarbon: %s\n", line.c_str());
}

}  // namespace kvarbon
