// SPDX-License-Identifier: GPL-3.0-or-later
// zel-play: plays a ZEL show (such as Dest.zel) in a window, with its sounds.

#include <QApplication>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/platform/sdl_sound_output.h"
#include "cli/core/program.h"
#include "play/core/play_state.h"
#include "play/error_box.h"
#include "play/play_window.h"
#include "show/core/container_reader.h"
#include "show/core/show_file.h"
#include "show/platform/playable_show.h"

namespace {

namespace fs = std::filesystem;
using kvarbon::kExitContainer;
using kvarbon::kExitOk;

constexpr std::string_view kUsage = "Usage: zel-play SHOW.zel\n";

constexpr std::string_view kHelp =
    "\n"
    "Plays a ZEL slide show (such as Dest.zel) once in a window at its rate, each\n"
    "frame's sound starting with it, at the times of the video zel-export makes.\n"
    "The picture is scaled to fit the window.\n"
    "\n"
    "Keys:\n"
    "  Space        pause and resume; at the end or after Home, play from frame 1\n"
    "  Left, Right  one frame back or forward\n"
    "  Home         frame 1\n"
    "  F11          full screen on and off\n"
    "  Escape       leave full screen, or else close the window\n"
    "\n"
    "  -h, --help   show this text\n"
    "  --version    show the version\n"
    "\n"
    "Without a sound card the show plays silently. Errors go to standard error,\n"
    "and in a message box too when standard error is not a terminal.\n"
    "\n"
    "Exit status: 0 when the window was closed; 1 when the container is malformed,\n"
    "cannot be played, or changed while it was played; 2 for a usage error or a\n"
    "file that cannot be read.\n";

int Play(const fs::path& show) {
  const kvarbon::ShowFile file(show);
  try {
    const kvarbon::ContainerContents contents = file.ReadStructure();
    if (contents.error) {
      throw kvarbon::CommandFailure(kExitContainer, kvarbon::MalformedContainerMessage(show, *contents.error));
    }
    kvarbon::PlayableFirstSlide(file, contents, "the picture");
    kvarbon::SharedState state;
    if (const std::optional<std::string> problem = kvarbon::FillSharedState(file, contents, state)) {
      throw kvarbon::CommandFailure(kExitContainer, show.native() + ": " + *problem);
    }
    kvarbon::SdlSoundOutput sound;
    kvarbon::PlayWindow window(file, contents, state, sound, QString::fromLocal8Bit(show.filename().c_str()));
    window.show();
    window.PlayFromStart();
    QApplication::exec();
    if (window.Failure()) throw kvarbon::CommandFailure(kExitContainer, *window.Failure());
  } catch (const kvarbon::ShowError& error) {
    throw kvarbon::CommandFailure(kExitContainer, show.native() + ": " + error.what());
  } catch (const kvarbon::ShowChanged& error) {
    throw kvarbon::CommandFailure(kExitContainer, error.what());
  }
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  // Made once the command line is sound, so that --help needs no display; it
  // outlives the run, so that an error can still be shown in a box.
  std::optional<QApplication> app;
  const kvarbon::ProgramSpec program{
      .name = "zel-play", .usage = kUsage, .help = kHelp, .alsoReport = kvarbon::ShowErrorBox};
  return kvarbon::RunProgram(program, argc, argv, [&](const kvarbon::Arguments& arguments) {
    if (arguments.operands.size() != 1) {
      throw kvarbon::UsageError(arguments.operands.empty() ? "no show given" : "more than one show given");
    }
    app.emplace(argc, argv);
    return Play(arguments.operands.front());
  });
}
