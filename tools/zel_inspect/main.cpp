// SPDX-License-Identifier: GPL-3.0-or-later
// zel-inspect: reads a ZEL container (such as Dest.zel) and reports what it
// holds, checks it for ambiguity, or writes its media payloads out as files.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/core/file_error.h"
#include "app/core/file_error_text.h"
#include "app/core/file_io.h"
#include "app/core/program_version.h"
#include "show/core/container_reader.h"

namespace {

namespace fs = std::filesystem;
using kvarbon::ContainerContents;
using kvarbon::MediaPayload;

constexpr int kExitOk = 0;
constexpr int kExitContainer = 1;  // malformed, (with --check) ambiguous, (with --extract) a guessed split
constexpr int kExitTrouble = 2;    // usage error, or a file that cannot be read or written

constexpr std::string_view kUsage =
    "Usage: zel-inspect [--check] FILE\n"
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
    "                      payload; or where the container is malformed\n"
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
    "Exit status: 0 when all went well (with --check: no problems); 1 when the\n"
    "container is malformed (with --check: also when it has problems; with\n"
    "--extract: also when the bounds of a file written are not sure, after\n"
    "writing every file); 2 for a usage error or a file that cannot be read or\n"
    "written.\n";

struct Options {
  enum class Mode { kReport, kCheck, kExtract, kHelp, kVersion } mode = Mode::kReport;
  fs::path file;
  fs::path extractDir;
};

// The options, or a message saying what is wrong with them.
std::optional<Options> ParseArguments(const std::vector<std::string>& args, std::string& error) {
  Options options;
  std::vector<std::string> operands;
  std::optional<std::string> extractDir;
  bool check = false;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      operands.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-h" || arg == "--help") {
      options.mode = Options::Mode::kHelp;
      return options;
    } else if (arg == "--version") {
      options.mode = Options::Mode::kVersion;
      return options;
    } else if (arg == "--check") {
      check = true;
    } else if (arg == "--extract" || arg.starts_with("--extract=")) {
      if (extractDir) {
        error = "--extract given twice";
        return std::nullopt;
      }
      if (arg == "--extract") {
        if (i + 1 == args.size()) {
          error = "--extract needs a directory";
          return std::nullopt;
        }
        extractDir = args[++i];
      } else {
        extractDir = arg.substr(std::string_view("--extract=").size());
      }
      if (extractDir->empty()) {
        error = "--extract needs a directory";
        return std::nullopt;
      }
    } else {
      error = "unknown option \"" + arg + "\"";
      return std::nullopt;
    }
  }
  if (check && extractDir) {
    error = "--check and --extract cannot be combined";
    return std::nullopt;
  }
  if (operands.size() != 1) {
    error = operands.empty() ? "no container file given" : "more than one container file given";
    return std::nullopt;
  }
  options.file = operands.front();
  if (extractDir) {
    options.mode = Options::Mode::kExtract;
    options.extractDir = *extractDir;
  } else if (check) {
    options.mode = Options::Mode::kCheck;
  }
  return options;
}

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

void PrintError(const fs::path& file, const kvarbon::ContainerError& error) {
  std::cerr << "zel-inspect: " << kvarbon::MalformedContainerMessage(file, error) << "\n";
}

int Extract(const Options& options, kvarbon::ByteView bytes, const ContainerContents& contents) {
  std::error_code failure;
  fs::create_directories(options.extractDir, failure);
  if (failure) {
    throw kvarbon::FileError(kvarbon::FileAction::kCreateFolder, options.extractDir, failure.value());
  }
  // Files split where the container leaves the split open: each may hold
  // too much or too little, and its number may be off.
  std::vector<fs::path> guessed;
  for (const std::vector<MediaPayload>* section : {&contents.sounds, &contents.slides}) {
    for (const MediaPayload& payload : *section) {
      const std::string prefix = payload.section == kvarbon::PayloadSection::kSound ? "sound-" : "slide-";
      const fs::path path = options.extractDir / (prefix + std::to_string(payload.number) + "." +
                                                  std::string(kvarbon::FormatExtension(payload.format)));
      kvarbon::WriteWholeFile(path, kvarbon::PayloadBytes(bytes, payload));
      std::cout << path.native() << ": " << Plural(payload.size, "byte", "bytes") << "\n";
      if (!payload.certain) guessed.push_back(path);
    }
  }
  for (const kvarbon::ContainerProblem& problem : contents.problems) {
    PrintProblem(std::cerr, "zel-inspect: warning: " + options.file.native() + ": ", problem);
  }
  for (const fs::path& path : guessed) {
    std::cerr << "zel-inspect: " << path.native() << ": its bounds in " << options.file.native()
              << " are not sure: it may hold too much or too little\n";
  }
  return guessed.empty() ? kExitOk : kExitContainer;
}

int Run(const Options& options) {
  const kvarbon::Bytes bytes = kvarbon::ReadWholeFile(options.file);
  const ContainerContents contents = kvarbon::ReadContainer(bytes);
  switch (options.mode) {
    case Options::Mode::kReport:
      PrintReport(options.file, contents);
      if (contents.error) PrintError(options.file, *contents.error);
      return contents.error ? kExitContainer : kExitOk;
    case Options::Mode::kCheck:
      if (contents.error) {
        PrintError(options.file, *contents.error);
        return kExitContainer;
      }
      for (const kvarbon::ContainerProblem& problem : contents.problems) {
        PrintProblem(std::cout, options.file.native() + ": ", problem);
      }
      if (contents.problems.empty()) std::cout << options.file.native() << ": no problems found\n";
      return contents.problems.empty() ? kExitOk : kExitContainer;
    case Options::Mode::kExtract:
      if (contents.error) {
        PrintError(options.file, *contents.error);
        return kExitContainer;
      }
      return Extract(options, bytes, contents);
    case Options::Mode::kHelp:
    case Options::Mode::kVersion:
      break;
  }
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::string usageError;
  const std::optional<Options> options = ParseArguments(args, usageError);
  if (!options) {
    std::cerr << "zel-inspect: " << usageError << "\n" << kUsage << "Try 'zel-inspect --help' for more.\n";
    return kExitTrouble;
  }
  if (options->mode == Options::Mode::kHelp) {
    std::cout << kUsage << kHelp;
    return kExitOk;
  }
  if (options->mode == Options::Mode::kVersion) {
    std::cout << "zel-inspect " << kvarbon::ProgramVersion() << "\n";
    return kExitOk;
  }
  try {
    return Run(*options);
  } catch (const kvarbon::FileError& error) {
    std::cerr << "zel-inspect: " << kvarbon::DescribeInEnglish(error) << "\n";
  } catch (const std::exception& error) {
    std::cerr << "zel-inspect: " << error.what() << "\n";
  }
  return kExitTrouble;
}
