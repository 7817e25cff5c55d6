#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/core/file_lists.h"
#include "app/core/shared_state.h"
#include "app/core/sound_output.h"
#include "ui/error_boundary.h"
#include "ui/slide_holder.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QSlider;
class QTimer;

namespace kvarbon {

class DisplaySurface;
class FileListBox;
class PanelBox;

// The tool's one working window. Controls keep the names they have in the
// window's layout; handlers are named after the control and the event, and are
// defined beside the behaviour they belong to:
//   Form_Load                                   app/form_load.cpp
//   Command3_Click                              slides/load_slides_command.cpp
//   PaintFrame, Slider1_Scroll, Slider1_Change  preview/frame_display.cpp
//   Timer1_Timer, Command2/4/6_Click            preview/playback_clock.cpp
//   VScroll1_Change                             preview/speed_selector.cpp
//   File2_Click, File2_DblClick, Command5_Click editing/sound_assignment.cpp
//   Command1_Click                              encoding/encode_command.cpp
class FrmMain : public QWidget {
  Q_OBJECT

 public:
  // `workDir` is the working directory that holds "pic" and "snd" and receives the outputs.
  FrmMain(SharedState& state, SoundOutput& sound, std::filesystem::path workDir,
          QWidget* parent = nullptr);
  ~FrmMain() override;

  // Start-up; runs before the window is first shown. Throws on failure.
  void Form_Load();

  // Handlers (public so tests can drive them exactly as the controls do).
  void Command3_Click();
  void PaintFrame();
  void Slider1_Scroll();
  void Slider1_Change();
  void Timer1_Timer();
  void Command2_Click();
  void Command4_Click(std::int16_t Index);
  void Command6_Click();
  void VScroll1_Change();
  void File2_Click();
  void File2_DblClick();
  void Command5_Click();
  void Command1_Click();

  // The "loading" job, run by the progress window (dialog is the showing window).
  void RunLoadingJob(class FrmDialog& dialog);
  // The "compress" job, run by the progress window.
  void RunCompressJob(class FrmDialog& dialog);

  SharedState& State() { return state_; }
  const std::filesystem::path& WorkDir() const { return workDir_; }
  SoundOutput& Sound() { return sound_; }

  // Controls, created by the constructor with their layout values. Owned by Qt's
  // parent chain; the pointers stay valid for the window's life.
  QGroupBox* Frame3 = nullptr;
  QScrollBar* VScroll1 = nullptr;
  QLabel* Label5 = nullptr;
  PanelBox* Picture3 = nullptr;
  QPushButton* Command2 = nullptr;
  std::array<QPushButton*, 2> Command4{};
  QPushButton* Command6 = nullptr;
  std::array<QLabel*, 4> Label4{};
  QGroupBox* Frame2 = nullptr;
  QCheckBox* Check1 = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* Command3 = nullptr;
  QGroupBox* Frame1 = nullptr;
  QPushButton* Command5 = nullptr;
  FileListBox* File2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label2 = nullptr;
  std::array<QLabel*, 2> Label1{};
  QSlider* Slider1 = nullptr;
  QTimer* Timer1 = nullptr;
  DisplaySurface* Picture1 = nullptr;
  FileListBox* File1 = nullptr;  // hidden: serves only as the slide list
  std::array<QPushButton*, 2> Command7{};

  // Ends the process after a failure the tool cannot go on from (a slide that
  // cannot be loaded). Tests replace it to observe the request.
  std::function<void(int)> EndProcess = ExitApplication;

  // Holders of the decoded slides: element 0 never holds one; elements 1 to
  // SlideCount are created by the "loading" job.
  std::vector<SlideHolder> Picture2;

 private:
  void CreateControls();
  void WireEvents();

  SharedState& state_;
  SoundOutput& sound_;
  std::filesystem::path workDir_;
  bool encoding_ = false;  // an encode is running: a second one must not start
};

}  // namespace kvarbon
