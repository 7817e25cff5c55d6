// SPDX-License-Identifier: GPL-3.0-or-later
// zel-export: turns a ZEL show (such as Dest.zel) into an ordinary video file
// with its sounds, timed as the preview plays it.

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "app/core/file_error.h"
#include "app/core/temporary_file.h"
#include "cli/core/program.h"
#include "export/ffmpeg_handles.h"
#include "export/show_export.h"
#include "show/core/container_reader.h"
#include "show/core/show_file.h"

namespace {

namespace fs = std::filesystem;
using kvarbon::ContainerContents;
using kvarbon::kExitContainer;
using kvarbon::kExitOk;
using kvarbon::kExitTrouble;

constexpr std::string_view kUsage = "Usage: zel-export [--size WxH] [--fit] [--force] [--quiet] SHOW.zel OUT\n";

constexpr std::string_view kHelp =
    "\n"
    "Turns a ZEL slide show (such as Dest.zel) into a video file with its sounds,\n"
    "timed as the preview plays it: with a frame interval of T ms, frame k is shown\n"
    "from (k - 1) * T ms and its sound starts there, to the sample; a new sound cuts\n"
    "off the one playing. The video lasts as long as the frames, or until the last\n"
    "sound ends, holding the last frame.\n"
    "\n"
    "  OUT            the file to write; its extension chooses the format:\n"
    "                 .mp4   H.264 video and AAC sound\n"
    "                 .webm  VP9 video and Opus sound\n"
    "  --size WxH     scale the video to W x H pixels (even numbers)\n"
    "  --fit          scale each slide to fit the picture, centred on black;\n"
    "                 by default every slide is drawn at its own size at the\n"
    "                 top-left corner over the ones before, as the preview draws\n"
    "  --force        export a show that lasts more than 24 hours; without it\n"
    "                 such a show is refused, saying how long it is\n"
    "  --quiet        print nothing on standard output\n"
    "  -h, --help     show this text\n"
    "  --version      show the version\n"
    "\n"
    "The picture is as large as the first slide (rounded up to even sizes), but\n"
    "without --size at most 3840x2160: a larger one is scaled down to fit,\n"
    "keeping its aspect, with a notice. OUT appears only when it is complete and\n"
    "on the disk: an interrupted or failed export leaves nothing behind, and the\n"
    "temporary files of exports that were killed are removed. Progress, with the\n"
    "time still expected, is shown when standard output is a terminal.\n"
    "\n"
    "Exit status: 0 when the video was written; 1 when the container is malformed,\n"
    "cannot be played, or changed while it was read; 2 for a usage error, a file\n"
    "that cannot be read or written, or a show of more than 24 hours without\n"
    "--force.\n";

// "1280x720" as two even positive numbers.
bool ParseSize(std::string_view text, int& width, int& height) {
  const std::size_t x = text.find('x');
  if (x == std::string_view::npos) return false;
  const auto number = [](std::string_view digits, int& value) {
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string_view::npos) {
      return false;
    }
    value = std::stoi(std::string(digits));
    return value > 0 && value % 2 == 0;
  };
  return number(text.substr(0, x), width) && number(text.substr(x + 1), height);
}

std::string CheckSize(std::string_view value) {
  int width = 0;
  int height = 0;
  if (ParseSize(value, width, height)) return {};
  return "--size \"" + std::string(value) + "\": expected WxH with even numbers, such as 1280x720";
}

constexpr std::array kOptions = {
    kvarbon::OptionSpec{.name = "--size", .value = "a size such as 1280x720", .check = CheckSize},
    kvarbon::OptionSpec{.name = "--fit"},
    kvarbon::OptionSpec{.name = "--force"},
    kvarbon::OptionSpec{.name = "--quiet", .alias = "-q"},
};

// What the command line asks to export, and how.
struct Options {
  bool quiet = false;
  bool force = false;  // export a show longer than kLongestUnforced
  kvarbon::ExportOptions export_;
  fs::path show;
  fs::path out;
};

Options ReadOptions(const kvarbon::Arguments& arguments) {
  if (arguments.operands.size() != 2) {
    throw kvarbon::UsageError(arguments.operands.size() < 2 ? "expected a show and an output file"
                                                            : "too many files given");
  }
  Options options;
  options.quiet = arguments.Has("--quiet");
  options.force = arguments.Has("--force");
  options.export_.fit = arguments.Has("--fit");
  if (const std::optional<std::string> size = arguments.Value("--size")) {
    int width = 0;
    int height = 0;
    ParseSize(*size, width, height);
    options.export_.width = width;
    options.export_.height = height;
  }
  options.show = arguments.operands[0];
  options.out = arguments.operands[1];
  const std::optional<kvarbon::OutputKind> kind = kvarbon::OutputKindOf(options.out);
  if (!kind) {
    throw kvarbon::UsageError("\"" + options.out.native() +
                              "\": the output must end in .mp4 (H.264 + AAC) or .webm (VP9 + Opus)");
  }
  options.export_.kind = *kind;
  return options;
}

// Set by SIGINT, SIGTERM, SIGHUP and SIGQUIT; the export checks it often (ExportHooks::stop).
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void OnStopSignal(int signal) { stopSignal = signal; }

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  // Writes in progress go on; the export stops at its next check.
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  // A closed terminal sends SIGHUP: it stops the export as cleanly as Ctrl-C.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(signal, &action, nullptr);
}

// The longest show exported without --force.
constexpr std::int64_t kLongestUnforcedMs = std::int64_t{24} * 60 * 60 * 1000;

// "H:MM:SS", hours counting on past a day.
std::string ClockTime(double seconds) {
  const auto whole = static_cast<long long>(seconds + 0.5);
  char text[48];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
  return text;
}

// One line of progress, rewritten in place, at most four times a second.
class ProgressLine {
 public:
  explicit ProgressLine(bool shown) : shown_(shown) {}
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  ~ProgressLine() { End(); }

  // Ends the line, so what follows starts on a line of its own.
  void End() {
    if (drawn_) std::fputs("\n", stdout);
    drawn_ = false;
  }

  void Update(std::int64_t doneMs, std::int64_t totalMs) {
    if (!shown_ || totalMs <= 0) return;
    const auto now = Clock::now();
    if (drawn_ && now - last_ < std::chrono::milliseconds(250) && doneMs < totalMs) return;
    last_ = now;
    drawn_ = true;
    const double part = static_cast<double>(doneMs) / static_cast<double>(totalMs);
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    // The rate of the first second says little about the rest.
    const std::string left =
        part > 0 && elapsed >= 1 ? "about " + ClockTime(elapsed * (1 - part) / part) + " left" : "estimating";
    const std::string done = ClockTime(static_cast<double>(doneMs) / 1000);
    const std::string total = ClockTime(static_cast<double>(totalMs) / 1000);
    std::fprintf(stdout, "\rzel-export: %3d%%, %s of %s of video, %s          ", static_cast<int>(part * 100),
                 done.c_str(), total.c_str(), left.c_str());
    std::fflush(stdout);
  }

 private:
  using Clock = std::chrono::steady_clock;
  bool shown_;
  bool drawn_ = false;
  Clock::time_point start_ = Clock::now();
  Clock::time_point last_;
};

void Warn(const fs::path& show, const std::string& text) {
  std::cerr << "zel-export: warning: " << show.native() << ": " << text << "\n";
}

// Says where the container's boundaries are only guesses, and which
// assignments are left out; ambiguities a searching reader would stumble on,
// but that were settled here, are not worth a word.
void WarnAboutProblems(const fs::path& show, const ContainerContents& contents) {
  const auto settled = [&](const std::string& subject) {
    for (const auto* payloads : {&contents.sounds, &contents.slides}) {
      for (const kvarbon::MediaPayload& payload : *payloads) {
        if (kvarbon::PayloadName(payload) == subject) return payload.certain;
      }
    }
    return false;
  };
  for (const kvarbon::ContainerProblem& problem : contents.problems) {
    if (settled(problem.subject)) continue;
    Warn(show, "offset " + std::to_string(problem.offset) + ": " + problem.subject + ": " + problem.text);
  }
}

// Refuses an output that cannot be written, before any work: a folder, or a
// name in a folder that does not exist or cannot be written. Throws FileError.
void CheckOutput(const fs::path& out) {
  struct stat status {};
  if (::stat(out.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
    kvarbon::ThrowFileError(kvarbon::FileAction::kWrite, out, EISDIR);
  }
  const fs::path folder = out.parent_path().empty() ? fs::path(".") : out.parent_path();
  if (::stat(folder.c_str(), &status) != 0) kvarbon::ThrowFileError(kvarbon::FileAction::kWrite, out, errno);
  if (!S_ISDIR(status.st_mode)) kvarbon::ThrowFileError(kvarbon::FileAction::kWrite, out, ENOTDIR);
  if (::access(folder.c_str(), W_OK | X_OK) != 0) kvarbon::ThrowFileError(kvarbon::FileAction::kWrite, out, errno);
}

int Export(const Options& options) {
  CheckOutput(options.out);
  // What exports killed before they could clean up left beside OUT.
  kvarbon::RemoveStaleTemporaryFiles(options.out);
  av_log_set_level(AV_LOG_ERROR);
  const kvarbon::ShowFile file(options.show);
  const ContainerContents contents = file.ReadStructure();
  if (contents.error) {
    throw kvarbon::CommandFailure(kExitContainer, kvarbon::MalformedContainerMessage(options.show, *contents.error));
  }
  WarnAboutProblems(options.show, contents);

  CatchStopSignals();
  kvarbon::TemporaryFile output(options.out);
  ProgressLine progress(!options.quiet && isatty(STDOUT_FILENO) == 1);
  kvarbon::ExportHooks hooks;
  hooks.stop = [] { return stopSignal != 0; };
  hooks.begin = [&](std::int64_t totalMs) {
    if (totalMs <= kLongestUnforcedMs || options.force) return true;
    char days[32];
    std::snprintf(days, sizeof days, "%.1f", static_cast<double>(totalMs) / (24.0 * 60 * 60 * 1000));
    throw kvarbon::CommandFailure(kExitTrouble, options.show.native() + ": the video would last " +
                                                    ClockTime(static_cast<double>(totalMs) / 1000) + " (" + days +
                                                    " days), more than 24 hours; give --force to export it anyway");
  };
  hooks.progress = [&](std::int64_t doneMs, std::int64_t totalMs) { progress.Update(doneMs, totalMs); };
  hooks.warn = [&](const std::string& text) { Warn(options.show, text); };
  hooks.notice = [](const std::string& text) { std::cerr << "zel-export: " << text << "\n"; };
  try {
    if (!kvarbon::ExportShow(file, contents, options.export_, output.Path(), hooks) || stopSignal != 0) {
      output.Discard();
      progress.End();
      // Ended by the signal, as the shell expects of an interrupted program.
      std::signal(stopSignal, SIG_DFL);
      std::raise(stopSignal);
      return kExitTrouble;
    }
  } catch (const kvarbon::ShowError& error) {
    output.Discard();
    throw kvarbon::CommandFailure(kExitContainer, options.show.native() + ": " + error.what());
  } catch (const kvarbon::ShowChanged&) {
    output.Discard();
    throw;
  } catch (const kvarbon::MediaError& error) {
    output.Discard();
    throw kvarbon::CommandFailure(kExitTrouble, "\"" + options.out.native() + "\": " + error.what());
  }
  output.Commit();
  progress.End();
  if (!options.quiet) std::cout << options.out.native() << ": written\n";
  return kExitOk;
}

int Run(const kvarbon::Arguments& arguments) {
  const Options options = ReadOptions(arguments);
  try {
    return Export(options);
  } catch (const kvarbon::ShowChanged& error) {
    throw kvarbon::CommandFailure(kExitContainer, error.what());
  }
}

}  // namespace

int main(int argc, char** argv) {
  return kvarbon::RunProgram({.name = "zel-export", .usage = kUsage, .help = kHelp, .options = kOptions}, argc,
                             argv, Run);
}
