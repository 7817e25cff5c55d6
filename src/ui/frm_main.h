// SPDX-License-Identifier: GPL-3.0-or-later
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
#include "editing/core/sound_editing.h"
#include "encoding/core/encode_show.h"
#include "preview/core/frame_display.h"
#include "preview/core/transport.h"
#include "slides/core/load_slides.h"
#include "slides/core/slide_holder.h"
#include "slides/core/slide_store.h"
#include "slides/platform/qt_slide_decoder.h"
#include "ui/error_boundary.h"

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

// The tool's one working window. It creates and lays out the controls
// (frm_main.cpp) and wires each control's event to its handler, named after
// the control and the event (frm_main_events.cpp); each handler hands the event
// to the module that holds the behaviour. The window shows what the modules
// ask of it through their view interfaces (frm_main_views.cpp).
class FrmMain : public QWidget,
                private TransportView,
                private FrameView,
                private SoundEditingView,
                private SlideLoadingView,
                private EncodeView {
  Q_OBJECT

 public:
  // `workDir` is the working directory that holds "pic" and "snd" and receives the outputs.
  // `slides` keeps the loaded slides; it outlives the window.
  FrmMain(SharedState& state, SoundOutput& sound, SlideStore& slides, std::filesystem::path workDir,
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

  SharedState& State() { return state_; }
  const std::filesystem::path& WorkDir() const { return workDir_; }
  SoundOutput& Sound() { return sound_; }
  SlideStore& Slides() { return slides_; }

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

 private:
  void CreateControls();
  void WireEvents();

  // TransportView
  void ShowPosition(int frame) override;
  void DrawFrame(int frame) override;
  void ShowClock(bool running) override;
  // FrameView, SoundEditingView
  void DrawSlide(const SlideHolder& holder, std::int32_t xTwips, std::int32_t yTwips) override;
  void ShowSoundName(int position) override;
  void ClearSoundName() override;
  int SoundCount() const override;
  int SelectedSound() const override;
  int FrameShown() const override;
  // SlideLoadingView, EncodeView
  PixelSize DisplayCanvas() const override;
  std::int32_t DisplayOuterWidthTwips() const override;
  std::int32_t DisplayOuterHeightTwips() const override;
  void SetLastFrame(int frame) override;
  bool RunInProgressWindow(const ProgressJob& job) override;
  void ShowMessage(const std::string& text) override;
  void SlidesLoaded() override;
  void Yield() override;
  void SetEncodeEnabled(bool enabled) override;

  SharedState& state_;
  SoundOutput& sound_;
  SlideStore& slides_;
  std::filesystem::path workDir_;
  QtSlideDecoder decoder_;
  std::unique_ptr<Transport> transport_;
  std::unique_ptr<SoundEditing> editing_;
  std::unique_ptr<EncodeCommand> encode_;
};

}  // namespace kvarbon
