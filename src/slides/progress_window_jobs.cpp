// The progress window's activation and its "loading" job.
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QSlider>

#include "app/core/file_io.h"
#include "app/core/in_order_jobs.h"
#include "slides/core/slide_offsets.h"
#include "slides/slide_decoder.h"
#include "ui/display_surface.h"
#include "ui/file_list_box.h"
#include "ui/frm_dialog.h"
#include "ui/frm_main.h"
#include "ui/twips.h"

namespace kvarbon {

void FrmDialog::Form_Activate() {
  try {
    QCoreApplication::processEvents();
    PB->setMaximum(frmMain_.File1->Source().Count());
    const std::string& mode = frmMain_.State().DialogMode;
    if (mode == "loading") {
      frmMain_.RunLoadingJob(*this);
    } else if (mode == "compress") {
      frmMain_.RunCompressJob(*this);
    }
  } catch (...) {
    SetFailure(std::current_exception());
  }
  Unload();
}

void FrmMain::RunLoadingJob(FrmDialog& dialog) {
  dialog.Label1->setText(QStringLiteral("Загрузка слайдов..."));
  const FileListSource& slides = File1->Source();
  const int n = slides.Count();
  const QSize canvas = Picture1->Canvas().size();
  // Where a slide's corner lands on the canvas when the first slide has this
  // outer size: the same rounding as the offsets below.
  const auto drawAtFor = [this](std::int32_t outerWidthTwips, std::int32_t outerHeightTwips) {
    return QPoint(TwipsToNearestPixel(CentringOffset(static_cast<float>(Picture1->OuterWidthTwips()),
                                                     static_cast<float>(outerWidthTwips))),
                  TwipsToNearestPixel(CentringOffset(static_cast<float>(Picture1->OuterHeightTwips()),
                                                     static_cast<float>(outerHeightTwips))));
  };

  // Every frame is drawn at the first slide's offsets on a surface that never
  // changes size, so each holder keeps only the part that can ever be seen.
  // The first slide fixes that place; it is decoded here, before the others.
  QPoint drawAt;
  if (n > 0) {
    const std::filesystem::path path = slides.PathOf(0);
    const Bytes file = ReadWholeFile(path);
    SlideHolder first = DecodeSlidePart(file, path, [&](QSize full) {
      return VisiblePart(full, drawAtFor(SlideOuterTwips(full.width()), SlideOuterTwips(full.height())), canvas);
    });
    drawAt = drawAtFor(first.outerWidthTwips, first.outerHeightTwips);
    Picture2.push_back(std::move(first));
    dialog.PB->setValue(0);
  }

  // The others are decoded on worker threads, several at a time, while this
  // thread reads the files one by one and hands the holders over in slide
  // order; a slide that fails is reported after every slide before it is in.
  const auto keepFor = [drawAt, canvas](QSize full) { return VisiblePart(full, drawAt, canvas); };
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
      [keepFor](const SlideFile& file) { return DecodeSlidePart(file.bytes, file.path, keepFor); },
      [&](int k, SlideHolder holder) {
        Picture2.push_back(std::move(holder));
        dialog.PB->setValue(k + 1);
      });

  state_.SlideOffsetX = CentringOffset(static_cast<float>(Picture1->OuterWidthTwips()),
                                       static_cast<float>(Picture2.at(1).outerWidthTwips));
  state_.SlideOffsetY = CentringOffset(static_cast<float>(Picture1->OuterHeightTwips()),
                                       static_cast<float>(Picture2.at(1).outerHeightTwips));
  Picture1->DrawPicture(Picture2.at(1), state_.SlideOffsetX, state_.SlideOffsetY);
  Slider1->setMaximum(static_cast<int>(Picture2.size()) - 1);
}

}  // namespace kvarbon
