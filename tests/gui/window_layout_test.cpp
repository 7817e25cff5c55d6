// SPDX-License-Identifier: GPL-3.0-or-later
// The two windows as they stand when created, before any handler has run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QWheelEvent>
#include <string>
#include <vector>

#include "app/core/shared_state.h"
#include "support/recording_sound_output.h"
#include "ui/display_surface.h"
#include "ui/file_list_box.h"
#include "ui/frm_dialog.h"
#include "ui/frm_main.h"
#include "ui/panel_box.h"

namespace kvarbon {
namespace {

using testing::RecordingSoundOutput;

struct MainWindow {
  SharedState state;
  RecordingSoundOutput sound;
  SlideStore slides;
  FrmMain frmMain{state, sound, slides, std::filesystem::path(".")};
};

// A control's rectangle in its container's coordinates.
QRect Geometry(const QWidget* control) { return control->geometry(); }

// The direct child widgets of `container`, from the bottom of the stack to the top.
std::vector<QWidget*> StackFromBottom(const QWidget* container) {
  std::vector<QWidget*> stack;
  for (QObject* child : container->children()) {
    if (auto* widget = qobject_cast<QWidget*>(child)) stack.push_back(widget);
  }
  return stack;
}

// Presses and releases the left button on one of the scroll bar's parts.
void ClickScrollBarPart(QScrollBar* bar, QStyle::SubControl part) {
  QStyleOptionSlider option;
  option.initFrom(bar);
  option.orientation = bar->orientation();
  option.minimum = bar->minimum();
  option.maximum = bar->maximum();
  option.sliderPosition = bar->sliderPosition();
  option.sliderValue = bar->value();
  option.singleStep = bar->singleStep();
  option.pageStep = bar->pageStep();
  option.upsideDown = bar->invertedAppearance();
  const QPointF at = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar).center();
  QMouseEvent press(QEvent::MouseButtonPress, at, bar->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(bar, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, bar->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(bar, &release);
}

TEST(MainWindowLayout, TitleSizeAndTitleBarButtons) {
  MainWindow w;
  EXPECT_EQ(w.frmMain.windowTitle().toUtf8().toStdString(),
            std::string("\x20\xD0\x9A\xD0\xB2\xD0\xB0\xD1\x80\xD0\xB1\xD0\xBE\xD0\xBD\x20\x20ZEL\x20\x20"
                        "\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB\xD0\xBE\xD0\xB2"));
  EXPECT_EQ(w.frmMain.size(), QSize(561, 406));
  EXPECT_EQ(w.frmMain.minimumSize(), QSize(561, 406));
  EXPECT_EQ(w.frmMain.maximumSize(), QSize(561, 406));
  const Qt::WindowFlags flags = w.frmMain.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  const QList<QSize> iconSizes = w.frmMain.windowIcon().availableSizes();
  EXPECT_TRUE(iconSizes.contains(QSize(16, 16)));
  EXPECT_TRUE(iconSizes.contains(QSize(32, 32)));
}

TEST(MainWindowLayout, ControlsSitWhereTheLayoutPutsThem) {
  MainWindow w;
  FrmMain& f = w.frmMain;
  EXPECT_EQ(Geometry(f.Picture1), QRect(6, 9, 400, 300));
  EXPECT_EQ(Geometry(f.Slider1), QRect(3, 315, 406, 25));
  EXPECT_EQ(Geometry(f.Picture3), QRect(6, 351, 397, 49));
  EXPECT_EQ(Geometry(f.Frame2), QRect(417, 3, 142, 103));
  EXPECT_EQ(Geometry(f.Frame1), QRect(417, 108, 142, 235));
  EXPECT_EQ(Geometry(f.Frame3), QRect(417, 345, 142, 55));
  EXPECT_EQ(Geometry(f.Command7[0]), QRect(414, 0, 148, 406));
  EXPECT_EQ(Geometry(f.Command7[1]), QRect(0, 0, 412, 406));
  EXPECT_EQ(Geometry(f.File2), QRect(3, 18, 136, 86));
  EXPECT_EQ(Geometry(f.VScroll1), QRect(84, 18, 46, 28));

  // The transport panel measures from inside its border: ">>" on the right
  // with "Кадр вперед" under it, "<<" on the left with "Кадр назад".
  const QPoint inside = f.Picture3->contentsRect().topLeft();
  EXPECT_EQ(Geometry(f.Command4[0]).translated(-inside), QRect(280, 3, 112, 22));
  EXPECT_EQ(Geometry(f.Label4[3]).translated(-inside), QRect(285, 27, 100, 19));
  EXPECT_EQ(Geometry(f.Command4[1]).translated(-inside), QRect(2, 3, 112, 22));
  EXPECT_EQ(Geometry(f.Label4[0]).translated(-inside), QRect(21, 27, 73, 13));
  EXPECT_EQ(f.Command4[0]->text(), ">>");
  EXPECT_EQ(f.Label4[3]->text(), "Кадр вперед");
  EXPECT_EQ(f.Command4[1]->text(), "<<");
  EXPECT_EQ(f.Label4[0]->text(), "Кадр назад");
  for (int index = 0; index < 4; ++index) {
    SCOPED_TRACE(index);
    const QLabel* label = f.Label4[static_cast<std::size_t>(index)];
    EXPECT_EQ(label->parentWidget(), f.Picture3);
    EXPECT_TRUE(label->alignment().testFlag(Qt::AlignHCenter));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  }
  // Left to right along the panel: "<<", ">", "=", ">>", each with its label under it.
  EXPECT_LT(f.Command4[1]->x(), f.Command2->x());
  EXPECT_LT(f.Command2->x(), f.Command6->x());
  EXPECT_LT(f.Command6->x(), f.Command4[0]->x());
  EXPECT_LT(f.Label4[0]->x(), f.Label4[1]->x());
  EXPECT_LT(f.Label4[1]->x(), f.Label4[2]->x());
  EXPECT_LT(f.Label4[2]->x(), f.Label4[3]->x());
}

TEST(MainWindowLayout, CaptionsFontsAndColours) {
  MainWindow w;
  FrmMain& f = w.frmMain;
  EXPECT_EQ(f.Frame1->title(), "Звук:");
  EXPECT_EQ(f.Frame2->title(), "Управление:");
  EXPECT_EQ(f.Frame3->title(), "Скорость:");
  EXPECT_EQ(f.Command2->text(), ">");
  EXPECT_EQ(f.Command6->text(), "=");
  EXPECT_EQ(f.Label4[1]->text(), "Просмотр");
  EXPECT_EQ(f.Label4[2]->text(), "Остановка");
  EXPECT_EQ(f.Command3->text(), "Загрузка слайдов");
  EXPECT_EQ(f.Command1->text(), "Кодирование");
  EXPECT_EQ(f.Command5->text(), "Очистить кадр");
  EXPECT_EQ(f.Check1->text(), "Повторять");
  EXPECT_EQ(f.Label1[0]->text(), "Текущий кадр:");
  EXPECT_EQ(f.Label1[1]->text(), "Звуковой кадр:");
  EXPECT_TRUE(f.Command7[0]->text().isEmpty());
  EXPECT_TRUE(f.Command7[1]->text().isEmpty());

  EXPECT_DOUBLE_EQ(f.font().pointSizeF(), 8.25);
  EXPECT_EQ(f.font().weight(), QFont::Normal);
  EXPECT_DOUBLE_EQ(f.Check1->font().pointSizeF(), 8.25);
  EXPECT_EQ(f.Command2->font().weight(), QFont::Bold);
  EXPECT_DOUBLE_EQ(f.Command2->font().pointSizeF(), 8.25);
  EXPECT_EQ(f.File2->font().weight(), QFont::Bold);
  EXPECT_DOUBLE_EQ(f.File2->font().pointSizeF(), 9.75);
  EXPECT_EQ(f.Label5->font().weight(), QFont::Bold);
  EXPECT_DOUBLE_EQ(f.Label2->font().pointSizeF(), 13.5);
  EXPECT_EQ(f.Label2->font().weight(), QFont::Normal);

  EXPECT_EQ(f.Label5->palette().color(QPalette::WindowText), QColor(0, 0, 128));
  EXPECT_EQ(f.Label2->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(f.Label3->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(f.File2->palette().color(QPalette::Base), QColor(224, 224, 224));
  EXPECT_EQ(f.File2->palette().color(QPalette::Text), QColor(0, 128, 0));
  EXPECT_EQ(f.Picture3->palette().color(QPalette::Window), QColor(64, 64, 64));
  EXPECT_EQ(f.File2->Source().Pattern(), "*.wav");
  EXPECT_EQ(f.File1->Source().Pattern(), "*.bmp;*.jpg;*.gif");
}

TEST(MainWindowLayout, ValuesAtCreation) {
  MainWindow w;
  FrmMain& f = w.frmMain;
  EXPECT_TRUE(f.Command3->isEnabled());
  EXPECT_FALSE(f.Command1->isEnabled());
  EXPECT_EQ(f.VScroll1->value(), 20);
  EXPECT_EQ(f.Label5->text(), "20");
  EXPECT_EQ(f.Timer1->interval(), 50);
  EXPECT_FALSE(f.Timer1->isActive());
  EXPECT_EQ(f.Label2->text(), "1");
  EXPECT_EQ(f.Label3->text(), "-");
  EXPECT_EQ(f.Slider1->value(), 1);
  EXPECT_EQ(f.Slider1->minimum(), 1);
  EXPECT_FALSE(f.Slider1->hasTracking());
  EXPECT_FALSE(f.Check1->isChecked());
  ASSERT_EQ(f.Slides().Size(), 1u);
  EXPECT_FALSE(f.Slides().Fetch(0)->HasPicture());
  EXPECT_EQ(f.Picture1->Canvas().pixel(0, 0), QColor(0, 0, 0).rgb());
  EXPECT_TRUE(w.sound.played.empty());
}

TEST(MainWindowLayout, HiddenListAndBackgroundPanelsStayOutOfTheWay) {
  MainWindow w;
  FrmMain& f = w.frmMain;
  f.show();
  EXPECT_EQ(f.File1->parentWidget(), f.Picture1);
  EXPECT_FALSE(f.File1->isVisible());
  EXPECT_FALSE(f.Command7[0]->isEnabled());
  EXPECT_FALSE(f.Command7[1]->isEnabled());

  // An earlier control of the layout lies above a later one: the panels lie lowest.
  const std::vector<QWidget*> expected = {f.Command7[1], f.Command7[0], f.Picture1, f.Slider1,
                                          f.Frame1,      f.Frame2,      f.Picture3, f.Frame3};
  EXPECT_EQ(StackFromBottom(&f), expected);
  const std::vector<QWidget*> transport = {f.Label4[0], f.Label4[1], f.Label4[2], f.Label4[3],
                                           f.Command6,  f.Command4[1], f.Command4[0], f.Command2};
  EXPECT_EQ(StackFromBottom(f.Picture3), transport);

  // No visible control is covered where it is hit.
  for (QWidget* control : {static_cast<QWidget*>(f.Command3), static_cast<QWidget*>(f.Command1),
                           static_cast<QWidget*>(f.Check1), static_cast<QWidget*>(f.Command5),
                           static_cast<QWidget*>(f.File2), static_cast<QWidget*>(f.Slider1),
                           static_cast<QWidget*>(f.Picture1), static_cast<QWidget*>(f.Command2),
                           static_cast<QWidget*>(f.Command4[0]), static_cast<QWidget*>(f.Command4[1]),
                           static_cast<QWidget*>(f.Command6), static_cast<QWidget*>(f.VScroll1),
                           static_cast<QWidget*>(f.Label5), static_cast<QWidget*>(f.Label2)}) {
    SCOPED_TRACE(control->metaObject()->className());
    const QWidget* hit = f.childAt(control->mapTo(&f, control->rect().center()));
    ASSERT_NE(hit, nullptr);
    EXPECT_TRUE(hit == control || control->isAncestorOf(hit));
  }
  // Between the group boxes only the disabled panel is hit.
  EXPECT_EQ(f.childAt(f.Frame2->geometry().bottomLeft() + QPoint(10, 1)), f.Command7[0]);
}

TEST(MainWindowLayout, FocusOrderFollowsTheLayout) {
  MainWindow w;
  FrmMain& f = w.frmMain;
  std::vector<QWidget*> order;
  for (QWidget* widget = f.nextInFocusChain(); widget != &f; widget = widget->nextInFocusChain()) {
    if (widget->focusPolicy() & Qt::TabFocus) order.push_back(widget);
  }
  const std::vector<QWidget*> expected = {
      f.Slider1,     f.File2, f.Command3, f.Command1,    f.Check1,      f.Command5, f.Command7[0],
      f.Command7[1], f.File1, f.Command6, f.Command4[1], f.Command4[0], f.Command2, f.VScroll1};
  EXPECT_EQ(order, expected);
  for (QWidget* control : {static_cast<QWidget*>(f.Label1[0]), static_cast<QWidget*>(f.Label5),
                           static_cast<QWidget*>(f.Frame1), static_cast<QWidget*>(f.Label4[0])}) {
    EXPECT_EQ(control->focusPolicy(), Qt::NoFocus);
  }
}

TEST(MainWindowLayout, SpeedBarRunsFromFiftyAtTheTopToZeroAtTheBottom) {
  MainWindow w;
  FrmMain& f = w.frmMain;
  f.show();
  ClickScrollBarPart(f.VScroll1, QStyle::SC_ScrollBarSubLine);  // the top arrow
  EXPECT_EQ(f.VScroll1->value(), 30);
  EXPECT_EQ(f.Label5->text(), "30");  // the change reaches its handler
  ClickScrollBarPart(f.VScroll1, QStyle::SC_ScrollBarAddLine);  // the bottom arrow
  ClickScrollBarPart(f.VScroll1, QStyle::SC_ScrollBarAddLine);
  EXPECT_EQ(f.VScroll1->value(), 10);
  QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
  QApplication::sendEvent(f.VScroll1, &up);
  EXPECT_EQ(f.VScroll1->value(), 20);
  const QPointF inside(f.VScroll1->rect().center());
  QWheelEvent wheelUp(inside, f.VScroll1->mapToGlobal(inside), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(f.VScroll1, &wheelUp);
  EXPECT_EQ(f.VScroll1->value(), 30);
  ClickScrollBarPart(f.VScroll1, QStyle::SC_ScrollBarAddLine);
  for (int click = 0; click < 4; ++click) ClickScrollBarPart(f.VScroll1, QStyle::SC_ScrollBarSubLine);
  EXPECT_EQ(f.VScroll1->value(), 50);
  for (int click = 0; click < 6; ++click) ClickScrollBarPart(f.VScroll1, QStyle::SC_ScrollBarAddLine);
  EXPECT_EQ(f.VScroll1->value(), 0);
  EXPECT_TRUE(f.VScroll1->invertedAppearance());
}

TEST(ProgressWindowLayout, LayoutAtCreation) {
  MainWindow w;
  FrmDialog dialog(ProgressJob{});
  EXPECT_TRUE(dialog.windowTitle().isEmpty());
  EXPECT_EQ(dialog.size(), QSize(341, 52));
  EXPECT_EQ(dialog.minimumSize(), QSize(341, 52));
  EXPECT_EQ(dialog.maximumSize(), QSize(341, 52));
  EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(dialog.PB->minimum(), 0);
  EXPECT_EQ(dialog.PB->maximum(), 100);
  EXPECT_EQ(dialog.PB->value(), 0);
  EXPECT_EQ(dialog.PB->orientation(), Qt::Horizontal);
  EXPECT_EQ(dialog.PB->geometry(), QRect(15, 27, 313, 16));
  EXPECT_EQ(dialog.Label1->geometry(), QRect(15, 6, 169, 13));
  EXPECT_EQ(dialog.Label1->text(), "Загрузка слайдов, подождите...");
}

TEST(WindowLayout, EveryControlIsFoundByItsOwnName) {
  MainWindow w;
  const FrmMain& f = w.frmMain;
  const std::vector<std::pair<const char*, const QObject*>> controls = {
      {"Frame3", f.Frame3},         {"VScroll1", f.VScroll1},     {"Label5", f.Label5},
      {"Picture3", f.Picture3},     {"Command2", f.Command2},     {"Command4_0", f.Command4[0]},
      {"Command4_1", f.Command4[1]}, {"Command6", f.Command6},    {"Label4_0", f.Label4[0]},
      {"Label4_3", f.Label4[3]},    {"Frame2", f.Frame2},         {"Check1", f.Check1},
      {"Command1", f.Command1},     {"Command3", f.Command3},     {"Frame1", f.Frame1},
      {"Command5", f.Command5},     {"File2", f.File2},           {"Label3", f.Label3},
      {"Label2", f.Label2},         {"Label1_1", f.Label1[1]},    {"Slider1", f.Slider1},
      {"Timer1", f.Timer1},         {"Picture1", f.Picture1},     {"File1", f.File1},
      {"Command7_0", f.Command7[0]}};
  for (const auto& [name, control] : controls) {
    EXPECT_EQ(f.findChildren<QObject*>(name).size(), 1) << name;
    EXPECT_EQ(f.findChild<QObject*>(name), control) << name;
  }
  EXPECT_EQ(f.objectName(), "frmMain");
  FrmDialog dialog(ProgressJob{});
  EXPECT_EQ(dialog.findChild<QProgressBar*>("PB"), dialog.PB);
  EXPECT_EQ(dialog.findChild<QLabel*>("Label1"), dialog.Label1);
}

TEST(ProgressWindowLayout, TheUserCannotCloseItWhileTheJobRuns) {
  MainWindow w;
  FrmDialog dialog(ProgressJob{});
  dialog.show();
  QCloseEvent close;
  QApplication::sendEvent(&dialog, &close);
  EXPECT_FALSE(close.isAccepted());
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&dialog, &escape);
  static_cast<QDialog&>(dialog).reject();  // as a window manager's close would
  EXPECT_TRUE(dialog.isVisible());
  dialog.Unload();
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace kvarbon
