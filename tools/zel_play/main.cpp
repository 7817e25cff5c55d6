// SPDX-License-Identifier: GPL-3.0-or-later
// zel-play: plays a ZEL show (such as Dest.zel) in a window, with its sounds.

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "app/core/file_error.h"
#include "app/core/program_version.h"
#include "app/platform/sdl_sound_output.h"
#include "app/core/file_error_text.h"
#include "export/slide_decoding.h"
#include "inspect/core/container_reader.h"
#include "play/core/play_state.h"
#include "export/mapped_file.h"
#include "play/play_window.h"

namespace {

namespace fs = std::filesystem;

constexpr int kExitOk = 0;
constexpr int kExitContainer = 1;  // the container is malformed or cannot be played
constexpr int kExitTrouble = 2;    // usage error, or a file that cannot be read

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
    "Without a sound card the show plays silently.\n"
    "\n"
    "Exit status: 0 when the window was closed; 1 when the container is malformed\n"
    "or cannot be played; 2 for a usage error or a file that cannot be read.\n";

// Says what went wrong on standard error and, since the player is often
// started from a file manager, in a message box too where one can be seen.
int Fail(int status, const std::string& text) {
  std::cerr << "zel-play: " << text << "\n";
  if (QGuiApplication::platformName() != QStringLiteral("offscreen")) {
    QMessageBox::critical(nullptr, QStringLiteral("zel-play"), QString::fromStdString(text));
  }
  return status;
}

int Play(const fs::path& show) {
  const kvarbon::MappedFile file(show);
  const kvarbon::ContainerContents contents = kvarbon::ReadContainer(file.View());
  if (contents.error) {
    return Fail(kExitContainer, show.native() + ": malformed container: " + contents.error->Describe());
  }
  kvarbon::SharedState state;
  if (const std::optional<std::string> problem = kvarbon::FillSharedState(file.View(), contents, state)) {
    return Fail(kExitContainer, show.native() + ": " + *problem);
  }
  if (contents.slides.empty()) return Fail(kExitContainer, show.native() + ": the container holds no slides");
  if (!kvarbon::DecodeSlidePicture(kvarbon::PayloadBytes(file.View(), contents.slides.front()))) {
    return Fail(kExitContainer, show.native() + ": offset " + std::to_string(contents.slides.front().offset) +
                                    ": slide 1 cannot be decoded, and the picture takes its size from it");
  }
  kvarbon::SdlSoundOutput sound;
  kvarbon::PlayWindow window(file.View(), contents, state, sound, QString::fromLocal8Bit(show.filename().c_str()));
  window.show();
  window.PlayFromStart();
  QApplication::exec();
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> operands;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::cout << kUsage << kHelp;
      return kExitOk;
    }
    if (arg == "--version") {
      std::cout << "zel-play " << kvarbon::ProgramVersion() << "\n";
      return kExitOk;
    }
    if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
      std::cerr << "zel-play: unknown option \"" << arg << "\"\n" << kUsage;
      return kExitTrouble;
    }
    if (arg != "--") operands.emplace_back(arg);
  }
  if (operands.size() != 1) {
    std::cerr << "zel-play: " << (operands.empty() ? "no show given" : "more than one show given") << "\n" << kUsage;
    return kExitTrouble;
  }
  QApplication app(argc, argv);
  try {
    return Play(operands.front());
  } catch (const kvarbon::FileError& error) {
    return Fail(kExitTrouble, kvarbon::DescribeInEnglish(error));
  } catch (const std::exception& error) {
    return Fail(kExitTrouble, error.what());
  }
}
