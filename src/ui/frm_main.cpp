// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_main.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QWheelEvent>
#include <initializer_list>
#include <string>
#include <utility>

#include "ui/display_surface.h"
#include "ui/error_boundary.h"
#include "ui/file_list_box.h"
#include "ui/panel_box.h"
#include "slides/core/twips.h"
#include "ui/frm_dialog.h"

// The resources live in a static library: register them explicitly, since
// nothing else pulls their object file in. Registering twice is harmless.
static void RegisterKvarbonResources() { Q_INIT_RESOURCE(kvarbon); }

namespace kvarbon {

namespace {

constexpr int kClientWidthTwips = 8415;
constexpr int kClientHeightTwips = 6090;

// DejaVu Sans runs wider than the captions' room allows; its condensed cut
// keeps them whole within their controls.
QFont SansFont(qreal pointSize, QFont::Weight weight) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setStretch(QFont::SemiCondensed);
  font.setPointSizeF(pointSize);
  font.setWeight(weight);
  return font;
}

// The window's standard font, which every control without a font of its own inherits.
QFont StandardFont() { return SansFont(8.25, QFont::Normal); }
QFont BoldFont(qreal pointSize) { return SansFont(pointSize, QFont::Bold); }

QFont TerminalFont() {
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setPointSizeF(13.5);
  font.setWeight(QFont::Normal);
  return font;
}

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

// Places a control in its container from twips. Picture boxes measure from the
// inside of their border, group boxes and the window from their corner.
void Place(QWidget* control, int left, int top, int width, int height) {
  QPoint origin(0, 0);
  if (const auto* box = qobject_cast<const QFrame*>(control->parentWidget()); box != nullptr) {
    origin = box->contentsRect().topLeft();
  }
  control->setGeometry(origin.x() + TwipsToPixels(left), origin.y() + TwipsToPixels(top),
                       TwipsToPixels(width), TwipsToPixels(height));
}

// Stacks the controls of one container so that each lies above those after it.
void StackTopDown(std::initializer_list<QWidget*> controls) {
  for (QWidget* control : controls) control->lower();
}

QLabel* MakeLabel(QWidget* container, const QString& caption, Qt::Alignment alignment) {
  auto* label = new QLabel(caption, container);
  label->setTextFormat(Qt::PlainText);  // captions show file names: never rich text
  label->setAlignment(alignment);
  return label;
}

QPushButton* MakeButton(QWidget* container, const QString& caption) {
  auto* button = new QPushButton(caption, container);
  button->setAutoDefault(false);
  return button;
}

// The speed bar: 50 at its top end, 0 at its bottom end. Drawn inverted, its
// thumb and dragging already follow that; the arrows, the track and the wheel
// would still step the other way, so each of their steps is turned round
// before the bar takes it. Every way of moving towards the top raises the value.
class SpeedScrollBar final : public QScrollBar {
 public:
  explicit SpeedScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    setInvertedAppearance(true);
    setInvertedControls(true);  // the Up key steps down the range, which the turn below makes up
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
      // The position already holds the step as the bar meant it; the value is still the old one.
      switch (action) {
        case SliderSingleStepAdd:
          setSliderPosition(value() - singleStep());
          break;
        case SliderSingleStepSub:
          setSliderPosition(value() + singleStep());
          break;
        case SliderPageStepAdd:
          setSliderPosition(value() - pageStep());
          break;
        case SliderPageStepSub:
          setSliderPosition(value() + pageStep());
          break;
        default:
          break;
      }
    });
  }

 protected:
  void wheelEvent(QWheelEvent* event) override {
    QWheelEvent turned(event->position(), event->globalPosition(), -event->pixelDelta(), -event->angleDelta(),
                       event->buttons(), event->modifiers(), event->phase(), event->inverted(),
                       event->source());
    QScrollBar::wheelEvent(&turned);
    event->setAccepted(turned.isAccepted());
  }
};

}  // namespace

FrmMain::FrmMain(SharedState& state, SoundOutput& sound, SlideStore& slides, std::filesystem::path workDir,
                 QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      state_(state),
      sound_(sound),
      slides_(slides),
      workDir_(std::move(workDir)) {
  RegisterKvarbonResources();

  setWindowTitle(QStringLiteral(" Кварбон  ZEL  файлов"));
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/kvarbon-16.png"), QSize(16, 16));
  icon.addFile(QStringLiteral(":/icons/kvarbon-32.png"), QSize(32, 32));
  setWindowIcon(icon);
  setFont(StandardFont());
  setFixedSize(TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips));

  CreateControls();
  // The modules see the window only through the views it implements.
  transport_ = std::make_unique<Transport>(state_, static_cast<TransportView&>(*this), sound_);
  transport_->SetLastFrame(Slider1->maximum());
  transport_->SetRepeat(Check1->isChecked());
  editing_ = std::make_unique<SoundEditing>(state_, static_cast<SoundEditingView&>(*this), sound_);
  encode_ = std::make_unique<EncodeCommand>(workDir_, File1->Source(), File2->Source(), state_,
                                            static_cast<EncodeView&>(*this));
  WireEvents();

  // Centred on the screen; the window is never moved by the program afterwards.
  if (const QScreen* screen = QGuiApplication::primaryScreen(); screen != nullptr) {
    move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry())
             .topLeft());
  }
}

FrmMain::~FrmMain() = default;

void FrmMain::CreateControls() {
  const QColor red(255, 0, 0);
  const QColor blue(0, 0, 255);

  // Controls are created in keyboard focus order, which Qt takes from the order
  // of creation; labels, group boxes and picture boxes hold their places in it
  // but take no focus. The stacking order is set at the end.

  // The display surface, with the hidden slide list inside it.
  Picture1 = new DisplaySurface(6000, 4500, this);
  SetColour(Picture1, QPalette::Window, QColor(0, 0, 0));
  Place(Picture1, 90, 135, 6000, 4500);

  // The frame slider. Without tracking, dragging the thumb only moves its
  // position (the scroll notification); the value, and with it the change
  // notification, follows on release and on every assignment.
  Slider1 = new QSlider(Qt::Horizontal, this);
  Slider1->setRange(1, 10);
  Slider1->setValue(1);
  Slider1->setSingleStep(1);
  Slider1->setPageStep(5);
  Slider1->setTickPosition(QSlider::TicksBelow);
  Slider1->setTickInterval(1);
  Slider1->setTracking(false);
  Place(Slider1, 45, 4725, 6090, 375);

  // The sound group.
  Frame1 = new QGroupBox(QStringLiteral("Звук:"), this);
  Place(Frame1, 6255, 1620, 2130, 3525);

  File2 = new FileListBox(std::string(kSoundPattern), Frame1);
  File2->setFont(BoldFont(9.75));
  SetColour(File2, QPalette::Base, QColor(224, 224, 224));
  SetColour(File2, QPalette::Text, QColor(0, 128, 0));
  File2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // long names are cut, as in a list box
  Place(File2, 45, 270, 2040, 1290);

  Label1[0] = MakeLabel(Frame1, QStringLiteral("Текущий кадр:"), Qt::AlignLeft | Qt::AlignTop);
  Place(Label1[0], 180, 1710, 1185, 240);
  Label1[1] = MakeLabel(Frame1, QStringLiteral("Звуковой кадр:"), Qt::AlignLeft | Qt::AlignTop);
  Place(Label1[1], 180, 2340, 1185, 240);

  // The Terminal-style digits are taller than the label: centred on it, they stay whole.
  Label2 = MakeLabel(Frame1, QStringLiteral("1"), Qt::AlignCenter);
  Label2->setFont(TerminalFont());
  SetColour(Label2, QPalette::WindowText, blue);
  Place(Label2, 180, 1980, 1815, 240);

  Label3 = MakeLabel(Frame1, QStringLiteral("-"), Qt::AlignHCenter | Qt::AlignTop);
  SetColour(Label3, QPalette::WindowText, blue);
  Place(Label3, 180, 2610, 1770, 195);

  // The control group.
  Frame2 = new QGroupBox(QStringLiteral("Управление:"), this);
  Place(Frame2, 6255, 45, 2130, 1545);

  Command3 = MakeButton(Frame2, QStringLiteral("Загрузка слайдов"));
  Command3->setEnabled(true);
  Place(Command3, 180, 315, 1770, 330);

  Command1 = MakeButton(Frame2, QStringLiteral("Кодирование"));
  Command1->setEnabled(false);
  Place(Command1, 180, 720, 1770, 330);

  Check1 = new QCheckBox(QStringLiteral("Повторять"), Frame2);
  Check1->setChecked(false);
  Place(Check1, 180, 1170, 1860, 195);

  Command5 = MakeButton(Frame1, QStringLiteral("Очистить кадр"));
  Place(Command5, 180, 2970, 1770, 330);

  // The raised background panels of the right-hand column and the left region.
  Command7[0] = MakeButton(this, QString());
  Command7[0]->setEnabled(false);
  Place(Command7[0], 6210, 0, 2220, 6090);
  Command7[1] = MakeButton(this, QString());
  Command7[1]->setEnabled(false);
  Place(Command7[1], 0, 0, 6180, 6090);

  File1 = new FileListBox(std::string(kSlidePattern), Picture1);
  Place(File1, 0, 0, 1140, 1650);
  File1->hide();

  // The transport panel: "<<", ">", "=", ">>" from left to right, each with its label under it.
  Picture3 = new PanelBox(this);
  SetColour(Picture3, QPalette::Window, QColor(64, 64, 64));
  Picture3->setAutoFillBackground(true);
  Place(Picture3, 90, 5265, 5955, 735);

  Command6 = MakeButton(Picture3, QStringLiteral("="));
  Command6->setFont(BoldFont(8.25));
  Place(Command6, 2970, 45, 1230, 330);

  Command4[1] = MakeButton(Picture3, QStringLiteral("<<"));
  Command4[1]->setFont(BoldFont(8.25));
  Place(Command4[1], 30, 45, 1680, 330);

  Command4[0] = MakeButton(Picture3, QStringLiteral(">>"));
  Command4[0]->setFont(BoldFont(8.25));
  Place(Command4[0], 4200, 45, 1680, 330);

  Command2 = MakeButton(Picture3, QStringLiteral(">"));
  Command2->setFont(BoldFont(8.25));
  Place(Command2, 1710, 45, 1275, 330);

  Label4[0] = MakeLabel(Picture3, QStringLiteral("Кадр назад"), Qt::AlignHCenter | Qt::AlignTop);
  Place(Label4[0], 315, 405, 1095, 195);
  Label4[1] = MakeLabel(Picture3, QStringLiteral("Просмотр"), Qt::AlignHCenter | Qt::AlignTop);
  Place(Label4[1], 1800, 405, 1095, 285);
  Label4[2] = MakeLabel(Picture3, QStringLiteral("Остановка"), Qt::AlignHCenter | Qt::AlignTop);
  Place(Label4[2], 3015, 405, 1095, 285);
  Label4[3] = MakeLabel(Picture3, QStringLiteral("Кадр вперед"), Qt::AlignHCenter | Qt::AlignTop);
  Place(Label4[3], 4275, 405, 1500, 285);
  for (QLabel* label : Label4) SetColour(label, QPalette::WindowText, red);

  // The speed group.
  Frame3 = new QGroupBox(QStringLiteral("Скорость:"), this);
  Place(Frame3, 6255, 5175, 2130, 825);

  Label5 = MakeLabel(Frame3, QStringLiteral("20"), Qt::AlignLeft | Qt::AlignTop);
  Label5->setFont(BoldFont(9.75));
  SetColour(Label5, QPalette::WindowText, QColor(0, 0, 128));
  Place(Label5, 270, 360, 735, 285);

  VScroll1 = new SpeedScrollBar(Frame3);
  VScroll1->setRange(0, 50);
  VScroll1->setSingleStep(10);
  VScroll1->setPageStep(10);
  VScroll1->setValue(20);
  VScroll1->setFocusPolicy(Qt::StrongFocus);
  Place(VScroll1, 1260, 270, 690, 420);

  Timer1 = new QTimer(this);
  Timer1->setTimerType(Qt::PreciseTimer);
  Timer1->setInterval(50);

  // Names to find the controls by (tests, accessibility tools): each control's
  // own name, an array element's with its index ("Command4_0").
  setObjectName(QStringLiteral("frmMain"));
  for (const auto& [control, name] : std::initializer_list<std::pair<QObject*, const char*>>{
           {Frame3, "Frame3"},     {VScroll1, "VScroll1"}, {Label5, "Label5"},   {Picture3, "Picture3"},
           {Command2, "Command2"}, {Command6, "Command6"}, {Frame2, "Frame2"},   {Check1, "Check1"},
           {Command1, "Command1"}, {Command3, "Command3"}, {Frame1, "Frame1"},   {Command5, "Command5"},
           {File2, "File2"},       {Label3, "Label3"},     {Label2, "Label2"},   {Slider1, "Slider1"},
           {Timer1, "Timer1"},     {Picture1, "Picture1"}, {File1, "File1"}}) {
    control->setObjectName(QLatin1String(name));
  }
  const auto nameElements = [](const auto& array, const char* name) {
    for (std::size_t index = 0; index < array.size(); ++index) {
      array[index]->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
    }
  };
  nameElements(Command4, "Command4");
  nameElements(Label4, "Label4");
  nameElements(Label1, "Label1");
  nameElements(Command7, "Command7");

  // Names a screen reader says: the caption, or what the control does where the
  // caption alone does not tell it.
  Picture1->setAccessibleName(QStringLiteral("Кадр"));
  Slider1->setAccessibleName(QStringLiteral("Номер кадра"));
  File2->setAccessibleName(QStringLiteral("Звуки"));
  Command2->setAccessibleName(QStringLiteral("Просмотр или пауза"));
  Command4[0]->setAccessibleName(QStringLiteral("Кадр вперед"));
  Command4[1]->setAccessibleName(QStringLiteral("Кадр назад"));
  Command6->setAccessibleName(QStringLiteral("Остановка"));
  VScroll1->setAccessibleName(QStringLiteral("Скорость, кадров в секунду"));
  Label2->setAccessibleName(QStringLiteral("Текущий кадр"));
  Label3->setAccessibleName(QStringLiteral("Звуковой кадр"));
  Label5->setAccessibleName(QStringLiteral("Скорость"));
  for (QPushButton* panel : Command7) panel->setAccessibleName(QStringLiteral("Фон"));

  // Stacking, container by container, from the top down: the background panels lie lowest.
  StackTopDown({Frame3, Picture3, Frame2, Frame1, Slider1, Picture1, Command7[0], Command7[1]});
  StackTopDown({VScroll1, Label5});
  StackTopDown({Command2, Command4[0], Command4[1], Command6, Label4[3], Label4[2], Label4[1], Label4[0]});
  StackTopDown({Check1, Command1, Command3});
  StackTopDown({Command5, File2, Label3, Label2, Label1[1], Label1[0]});
}

void FrmMain::WireEvents() {
  // Every handler runs inside the error boundary, so no exception reaches Qt's event loop.
  const auto guarded = [this](void (FrmMain::*handler)()) {
    return [this, handler] { RunGuarded(this, [this, handler] { (this->*handler)(); }); };
  };
  // The display and the clock skip what fails and report nothing: a message
  // box from a running timer would come back every period.
  const auto silent = [this](void (FrmMain::*handler)()) {
    return [this, handler] { RunIgnoringFailures([this, handler] { (this->*handler)(); }); };
  };

  // A slide that fails to load ends the process.
  connect(Command3, &QPushButton::clicked, this,
          [this] { RunGuardedOrEnd(this, [this] { Command3_Click(); }, EndProcess); });
  connect(Slider1, &QSlider::sliderMoved, this, silent(&FrmMain::Slider1_Scroll));
  connect(Slider1, &QSlider::valueChanged, this, silent(&FrmMain::Slider1_Change));
  // The transport keeps the frame range and the repeat flag; the controls hold what the user sees.
  connect(Slider1, &QSlider::rangeChanged, this, [this](int, int maximum) { transport_->SetLastFrame(maximum); });
  connect(Check1, &QCheckBox::stateChanged, this,
          [this](int state) { transport_->SetRepeat(state != Qt::Unchecked); });
  connect(Timer1, &QTimer::timeout, this, silent(&FrmMain::Timer1_Timer));
  connect(Command2, &QPushButton::clicked, this, guarded(&FrmMain::Command2_Click));
  for (std::int16_t index = 0; index < static_cast<std::int16_t>(Command4.size()); ++index) {
    connect(Command4[static_cast<std::size_t>(index)], &QPushButton::clicked, this,
            [this, index] { RunGuarded(this, [this, index] { Command4_Click(index); }); });
  }
  connect(Command6, &QPushButton::clicked, this, guarded(&FrmMain::Command6_Click));
  connect(VScroll1, &QScrollBar::valueChanged, this, guarded(&FrmMain::VScroll1_Change));
  connect(File2, &QListWidget::itemClicked, this, guarded(&FrmMain::File2_Click));
  connect(File2, &QListWidget::itemDoubleClicked, this, guarded(&FrmMain::File2_DblClick));
  connect(Command5, &QPushButton::clicked, this, guarded(&FrmMain::Command5_Click));
  connect(Command1, &QPushButton::clicked, this, guarded(&FrmMain::Command1_Click));
}

}  // namespace kvarbon
