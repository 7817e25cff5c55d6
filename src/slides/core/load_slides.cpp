// SPDX-License-Identifier: GPL-3.0-or-later
#include "slides/core/load_slides.h"

#include <memory>
#include <optional>
#include <utility>

#include "app/core/file_io.h"
#include "app/core/in_order_jobs.h"
#include "app/core/show_folder_check.h"
#include "slides/core/slide_offsets.h"
#include "slides/core/twips.h"

namespace kvarbon {

void LoadSlides(const FileListSource& slides, const SlideDecoder& decoder, SlideStore& store, SharedState& state,
                SlideLoadingView& view) {
  if (slides.Count() < 2) {
    ExplainOnTerminal(TooFewSlidesExplanation(slides));
    view.ShowMessage("Слайдов не найдено.");
    return;
  }
  view.SetLastFrame(slides.Count());
  const bool ran = view.RunInProgressWindow(
      [&](ProgressSink& progress) { RunLoadingJob(slides, decoder, store, state, view, progress); });
  if (ran) view.SlidesLoaded();
  // Said once, and only when the cache file could not be used.
  if (const std::optional<std::string> notice = store.TakeNotice()) view.ShowMessage(*notice);
}

void RunLoadingJob(const FileListSource& slides, const SlideDecoder& decoder, SlideStore& store, SharedState& state,
                   SlideLoadingView& view, ProgressSink& progress) {
  progress.SetMaximum(slides.Count());
  progress.SetText("Загрузка слайдов...");
  const int n = slides.Count();
  const PixelSize canvas = view.DisplayCanvas();
  const auto displayWidth = static_cast<float>(view.DisplayOuterWidthTwips());
  const auto displayHeight = static_cast<float>(view.DisplayOuterHeightTwips());
  // Where a slide's corner lands on the canvas when the first slide has this
  // outer size: the same rounding as the offsets below.
  const auto drawAtFor = [&](std::int32_t outerWidthTwips, std::int32_t outerHeightTwips) {
    return PixelPoint{TwipsToNearestPixel(CentringOffset(displayWidth, static_cast<float>(outerWidthTwips))),
                      TwipsToNearestPixel(CentringOffset(displayHeight, static_cast<float>(outerHeightTwips)))};
  };

  // Every frame is drawn at the first slide's offsets on a surface that never
  // changes size, so each holder keeps only the part that can ever be seen.
  // The first slide fixes that place; it is decoded here, before the others.
  PixelPoint drawAt;
  if (n > 0) {
    const std::filesystem::path path = slides.PathOf(0);
    const Bytes file = ReadWholeFile(path);
    SlideHolder first = decoder.Decode(file, path, [&](PixelSize full) {
      return VisiblePart(full, drawAtFor(SlideOuterTwips(full.width), SlideOuterTwips(full.height)), canvas);
    });
    drawAt = drawAtFor(first.outerWidthTwips, first.outerHeightTwips);
    store.Add(first);
    progress.SetValue(0);
  }

  // The others are decoded and packed on worker threads, several at a time,
  // while this thread reads the files one by one and hands the packed slides
  // to the store in slide order; a slide that fails is reported after every
  // slide before it is in.
  const KeepPart keepFor = [drawAt, canvas](PixelSize full) { return VisiblePart(full, drawAt, canvas); };
  struct SlideFile {
    std::filesystem::path path;
    Bytes bytes;
  };
  RunInOrder(
      n - 1, WorkerThreads(),
      [&slides](int k) {
        std::filesystem::path path = slides.PathOf(k + 1);
        Bytes bytes = ReadWholeFile(path);
        return SlideFile{std::move(path), std::move(bytes)};
      },
      [&decoder, &keepFor](const SlideFile& file) { return PackSlide(decoder.Decode(file.bytes, file.path, keepFor)); },
      [&](int k, PackedSlide packed) {
        store.Add(std::move(packed));
        progress.SetValue(k + 1);
      });

  const std::shared_ptr<const SlideHolder> first = store.Fetch(1);
  state.SlideOffsetX = CentringOffset(displayWidth, static_cast<float>(first->outerWidthTwips));
  state.SlideOffsetY = CentringOffset(displayHeight, static_cast<float>(first->outerHeightTwips));
  view.DrawSlide(*first, state.SlideOffsetX, state.SlideOffsetY);
  view.SetLastFrame(static_cast<int>(store.Size()) - 1);
}

}  // namespace kvarbon
