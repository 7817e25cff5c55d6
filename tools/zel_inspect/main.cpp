// SPDX-License-Identifier: GPL-3.0-or-later
// zel-inspect: reads a ZEL container (such as Dest.zel) and reports what it
// holds, checks it for ambiguity, or writes its media payloads out as files.

#include <algorithm>
#include <array>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "app/core/file_error.h"
#include "app/core/file_io.h"
#include "cli/core/program.h"
#include "show/core/container_reader.h"
#include "show/core/playability.h"
#include "show/core/show_file.h"
#include "show/platform/unusable_media.h"

namespace {

namespace fs = std::filesystem;
using kvarbon::ContainerContents;
using kvarbon::kExitContainer;
using kvarbon::kExitOk;
using kvarbon::MediaPayload;

constexpr std::string_view kUsage =
    "Usage: zel-inspect [--check [--strict]] FILE\n"
    "       zel-inspect --extract DIR FILE\n"
    "       zel-inspect --help | --version\n";

constexpr std::string_view kHelp =
    "\n"
    "Reads a ZEL slide-show container (such as Dest.zel) and reports what it holds.\n"
    "\n"
    "  FILE                print the frame interval, the frame-to-sound assignments\n"
    "                      and every sound and slide with its offset, size, detected\n"
    "                      format and how its end was found\n"
    "  --check FILE        print only the problems: payloads a reader that splits by\n"
    "                      searching for \"-|-\" or the tags would misread, payloads\n"
    "                      whose bounds are not sure, assignments that name no\n"
    "                      payload, a show zel-play and zel-export cannot play\n"
    "                      (no slides); or where the container is malformed. Warn\n"
    "                      about each sound zel-play and zel-export cannot play and\n"
    "                      each slide they cannot decode or that is not BMP, JPEG\n"
    "                      or GIF, saying what its bytes look like\n"
    "  --strict            with --check: count those warnings as problems (exit 1)\n"
    "  --extract DIR FILE  write every payload into DIR (created when missing):\n"
    "                      sound-0.wav, sound-1.wav, ... numbered from 0 as the\n"
    "                      assignments number them, and slide-1.jpg, slide-2.bmp, ...\n"
    "                      numbered by frame from 1; the extension follows the\n"
    "                      detected format (.bin when unknown); the files whose\n"
    "                      bounds are not sure are named on stderr\n"
    "  -h, --help          show this text\n"
    "  --version           show the version\n"
    "\n"
    "Payloads are split at the length their own headers declare (RIFF size, BMP\n"
    "file size, JPEG end marker, GIF trailer) when a \"-|-\" follows there, and\n"
    "otherwise at the next \"-|-\"; the report says which, and when a split is\n"
    "not sure.\n"
    "\n"
    "Exit status: 0 when all went well (with --check: no problems; warnings do\n"
    "not count unless --strict); 1 when the container is malformed or is not a\n"
    "ZEL show at all (with --check: also when it has problems; with\n"
    "--extract: also when the bounds of a file written are not sure, after\n"
    "writing every file), or when it changed while it was read (cut short or\n"
    "rewritten); 2 for a usage error or a file that cannot be read or written.\n";

std::string NeedsADirectory(std::string_view dir) { return dir.empty() ? "--extract needs a directory" : ""; }

constexpr std::array kOptions = {
    kvarbon::OptionSpec{.name = "--check"},
    kvarbon::OptionSpec{.name = "--strict"},
    kvarbon::OptionSpec{.name = "--extract", .value = "a directory", .once = true, .check = NeedsADirectory},
};

std::string PadRight(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string Plural(std::size_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string HowEnded(const MediaPayload& payload) {
  return payload.end == kvarbon::PayloadEnd::kDeclaredLength ? "by " + std::string(payload.lengthSource)
                                                             : "at next \"-|-\"";
}

void PrintPayloads(const std::vector<MediaPayload>& payloads) {
  for (const MediaPayload& payload : payloads) {
    std::cout << "  " << PadRight(kvarbon::PayloadName(payload), 11) << " offset "
              << PadRight(std::to_string(payload.offset), 10) << " size " << PadRight(std::to_string(payload.size), 10)
              << " " << PadRight(std::string(kvarbon::FormatName(payload.format)), 7) << " "
              << PadRight(payload.certain ? "sure" : "NOT SURE", 8) << " " << HowEnded(payload) << "\n";
    for (const std::string& note : payload.notes) std::cout << "      note: " << note << "\n";
  }
}

void PrintProblem(std::ostream& out, const std::string& prefix, const kvarbon::ContainerProblem& problem) {
  out << prefix << "offset " << problem.offset << ": " << problem.subject << ": " << problem.text << "\n";
}

void PrintReport(const fs::path& file, const ContainerContents& contents) {
  std::cout << file.native() << ": " << Plural(contents.size, "byte", "bytes") << "\n";
  if (contents.speedText.empty()) return;
  std::cout << "speed  at offset " << contents.speedOffset << ": \"" << contents.speedText << "\"";
  if (contents.frameInterval) std::cout << ", " << *contents.frameInterval << " ms per frame";
  std::cout << "\n";
  if (contents.iniText.empty() && contents.iniOffset == 0) return;
  std::cout << "ini    at offset " << contents.iniOffset << ": " << Plural(contents.iniText.size(), "byte", "bytes")
            << ", " << Plural(contents.entries.size(), "assignment", "assignments") << "\n";
  for (const kvarbon::IniEntry& entry : contents.entries) {
    std::cout << "  frame " << entry.frame << " -> sound " << entry.sound << "\n";
  }
  if (contents.soundOffset == 0) return;
  std::cout << "sound  at offset " << contents.soundOffset << ": " << Plural(contents.soundSize, "byte", "bytes")
            << ", " << Plural(contents.sounds.size(), "sound", "sounds") << "\n";
  PrintPayloads(contents.sounds);
  if (contents.videoOffset == 0) return;
  std::cout << "video  at offset " << contents.videoOffset << ": " << Plural(contents.videoSize, "byte", "bytes")
            << ", " << Plural(contents.slides.size(), "slide", "slides") << "\n";
  PrintPayloads(contents.slides);
  if (contents.error) return;
  if (contents.problems.empty()) {
    std::cout << "no problems found\n";
    return;
  }
  std::cout << Plural(contents.problems.size(), "problem", "problems") << ":\n";
  for (const kvarbon::ContainerProblem& problem : contents.problems) PrintProblem(std::cout, "  ", problem);
}

int Extract(const kvarbon::ShowFile& show, const kvarbon::GuardedMapping& mapping, const fs::path& dir,
            const ContainerContents& contents) {
  const fs::path& file = show.Path();
  std::error_code failure;
  fs::create_directories(dir, failure);
  if (failure) throw kvarbon::FileError(kvarbon::FileAction::kCreateFolder, dir, failure.value());
  // Files split where the container leaves the split open: each may hold
  // too much or too little, and its number may be off.
  std::vector<fs::path> guessed;
  for (const std::vector<MediaPayload>* section : {&contents.sounds, &contents.slides}) {
    for (const MediaPayload& payload : *section) {
      const std::string prefix = payload.section == kvarbon::PayloadSection::kSound ? "sound-" : "slide-";
      const fs::path path =
          dir / (prefix + std::to_string(payload.number) + "." + std::string(kvarbon::FormatExtension(payload.format)));
      try {
        kvarbon::WriteWholeFile(path, kvarbon::PayloadBytes(mapping.Bytes(), payload));
      } catch (const kvarbon::FileError&) {
        // A write from the mapping of a file cut short fails ("Bad address"): say why.
        show.CheckUnchanged(mapping);
        throw;
      }
      show.CheckUnchanged(mapping);
      std::cout << path.native() << ": " << Plural(payload.size, "byte", "bytes") << "\n";
      if (!payload.certain) guessed.push_back(path);
    }
  }
  for (const kvarbon::ContainerProblem& problem : contents.problems) {
    PrintProblem(std::cerr, "zel-inspect: warning: " + file.native() + ": ", problem);
  }
  for (const fs::path& path : guessed) {
    std::cerr << "zel-inspect: " << path.native() << ": its bounds in " << file.native()
              << " are not sure: it may hold too much or too little\n";
  }
  return guessed.empty() ? kExitOk : kExitContainer;
}

// Prints the problems and, as warnings (as problems when `strict`), the
// payloads zel-play and zel-export cannot use, in the container's order; then
// the verdict of those two when they cannot play the show at all.
int Check(const kvarbon::ShowFile& show, const kvarbon::GuardedMapping& mapping, const ContainerContents& contents,
          bool strict) {
  const fs::path& file = show.Path();
  // A frame interval they cannot play is among the problems already.
  std::optional<std::string> unplayable;
  if (!kvarbon::FrameIntervalProblem(contents)) unplayable = kvarbon::UnplayableReason(contents);
  struct Finding {
    kvarbon::ContainerProblem problem;
    bool warning = false;
  };
  std::vector<Finding> findings;
  for (const kvarbon::ContainerProblem& problem : contents.problems) findings.push_back({problem, false});
  for (kvarbon::ContainerProblem& unusable : kvarbon::UnusableMedia(mapping.Bytes(), contents)) {
    findings.push_back({std::move(unusable), !strict});
  }
  show.CheckUnchanged(mapping);
  std::stable_sort(findings.begin(), findings.end(),
                   [](const Finding& a, const Finding& b) { return a.problem.offset < b.problem.offset; });
  const auto warnings = static_cast<std::size_t>(
      std::count_if(findings.begin(), findings.end(), [](const Finding& f) { return f.warning; }));
  for (const Finding& finding : findings) {
    PrintProblem(std::cout, file.native() + (finding.warning ? ": warning: " : ": "), finding.problem);
  }
  if (unplayable) {
    std::cout << file.native() << ": " << *unplayable << "\n";
    return kExitContainer;
  }
  if (findings.size() == warnings) {
    std::cout << file.native() << ": no problems found";
    if (warnings > 0) std::cout << "; " << Plural(warnings, "warning", "warnings");
    std::cout << "\n";
  }
  return findings.size() == warnings ? kExitOk : kExitContainer;
}

int Run(const kvarbon::Arguments& arguments) {
  const bool check = arguments.Has("--check");
  const std::optional<std::string> extractDir = arguments.Value("--extract");
  if (check && extractDir) throw kvarbon::UsageError("--check and --extract cannot be combined");
  const bool strict = arguments.Has("--strict");
  if (strict && !check) throw kvarbon::UsageError("--strict goes with --check");
  if (arguments.operands.size() != 1) {
    throw kvarbon::UsageError(arguments.operands.empty() ? "no container file given"
                                                         : "more than one container file given");
  }
  const fs::path file = arguments.operands.front();
  const kvarbon::ShowFile show(file);
  try {
    // Every pass reads the file in place, with bounded resident memory.
    const kvarbon::GuardedMapping mapping = show.Map();
    const ContainerContents contents = kvarbon::ReadContainer(mapping.Bytes());
    show.CheckUnchanged(mapping);
    if (!check && !extractDir) PrintReport(file, contents);
    if (contents.error) {
      throw kvarbon::CommandFailure(kExitContainer, kvarbon::MalformedContainerMessage(file, *contents.error));
    }
    if (extractDir) return Extract(show, mapping, *extractDir, contents);
    if (!check) return kExitOk;
    return Check(show, mapping, contents, strict);
  } catch (const kvarbon::ShowChanged& error) {
    throw kvarbon::CommandFailure(kExitContainer, error.what());
  }
}

}  // namespace

int main(int argc, char** argv) {
  return kvarbon::RunProgram({.name = "zel-inspect", .usage = kUsage, .help = kHelp, .options = kOptions}, argc,
                             argv, Run);
}
