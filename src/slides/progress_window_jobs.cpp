// The progress window's activation and its "loading" job.
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QSlider>

#include "app/core/file_io.h"
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
  // Every frame is drawn at the first slide's offsets on a surface that never
  // changes size, so each holder keeps only the part that can ever be seen.
  std::optional<QRect> visibleFromFirst;
  std::optional<QPoint> drawAt;
  for (int i = 0; i < n; ++i) {
    const std::filesystem::path path = slides.PathOf(i);
    const Bytes file = ReadWholeFile(path);
    if (i == 0) {
      SlideHolder first = DecodeSlide(file, path);
      const QPoint at(TwipsToNearestPixel(CentringOffset(static_cast<float>(Picture1->OuterWidthTwips()),
                                                         static_cast<float>(first.outerWidthTwips))),
                      TwipsToNearestPixel(CentringOffset(static_cast<float>(Picture1->OuterHeightTwips()),
                                                         static_cast<float>(first.outerHeightTwips))));
      drawAt = at;
      const QRect part = VisiblePart(first.picture.size(), at, canvas);
      first.picture = part.isEmpty() ? QImage() : first.picture.copy(part);
      first.keptLeft = part.left();
      first.keptTop = part.top();
      Picture2.push_back(std::move(first));
    } else {
      const std::optional<QSize> size = AnnouncedSlideSize(file);
      std::optional<QRect> keep;
      if (size) keep = VisiblePart(*size, *drawAt, canvas);
      else keep = QRect(-drawAt->x(), -drawAt->y(), canvas.width(), canvas.height());
      Picture2.push_back(DecodeSlide(file, path, keep));
    }
    dialog.PB->setValue(i);
  }

  state_.SlideOffsetX = CentringOffset(static_cast<float>(Picture1->OuterWidthTwips()),
                                       static_cast<float>(Picture2.at(1).outerWidthTwips));
  state_.SlideOffsetY = CentringOffset(static_cast<float>(Picture1->OuterHeightTwips()),
                                       static_cast<float>(Picture2.at(1).outerHeightTwips));
  Picture1->DrawPicture(Picture2.at(1), state_.SlideOffsetX, state_.SlideOffsetY);
  Slider1->setMaximum(static_cast<int>(Picture2.size()) - 1);
}

}  // namespace kvarbon
