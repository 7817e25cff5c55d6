// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/file_lists.h"
#include "app/core/progress.h"
#include "app/core/shared_state.h"
#include "slides/core/pixel_geometry.h"
#include "slides/core/slide_decoder.h"
#include "slides/core/slide_holder.h"
#include "slides/core/slide_store.h"

namespace kvarbon {

// What the load-slides command needs of the main window.
class SlideLoadingView {
 public:
  virtual ~SlideLoadingView() = default;
  // The display surface: its drawable area in pixels and its outer size in twips.
  virtual PixelSize DisplayCanvas() const = 0;
  virtual std::int32_t DisplayOuterWidthTwips() const = 0;
  virtual std::int32_t DisplayOuterHeightTwips() const = 0;
  // Draws a holder's picture with its corner at (xTwips, yTwips), clipped, on what the surface shows.
  virtual void DrawSlide(const SlideHolder& holder, std::int32_t xTwips, std::int32_t yTwips) = 0;
  // Sets the frame slider's maximum.
  virtual void SetLastFrame(int frame) = 0;
  virtual bool RunInProgressWindow(const ProgressJob& job) = 0;
  virtual void ShowMessage(const std::string& text) = 0;
  // Loading is done: the load button goes off and the encode button on.
  virtual void SlidesLoaded() = 0;
};

// "Загрузка слайдов": with fewer than two slides says so; otherwise sets the
// slider's maximum to the slide count, runs the loading job in the progress
// window and, if it ran, marks the slides loaded; then passes on the store's
// notice, if it had to keep the slides in memory. Throws what the job throws.
void LoadSlides(const FileListSource& slides, const SlideDecoder& decoder, SlideStore& store, SharedState& state,
                SlideLoadingView& view);

// The loading job: decodes every slide into the store (holder 0 stays empty),
// in list order, keeping only the part of each that can ever be seen on the
// display; sets the slide offsets from the first slide's size, which centre it;
// draws it and sets the slider's maximum to the number of slides.
void RunLoadingJob(const FileListSource& slides, const SlideDecoder& decoder, SlideStore& store, SharedState& state,
                   SlideLoadingView& view, ProgressSink& progress);

}  // namespace kvarbon
