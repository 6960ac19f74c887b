// Windows built from the real design tables: geometry, focus, and the events they raise.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "dialog/dialog_design.h"
#include "platform/qt/control_widgets.h"
#include "platform/qt/qt_platform.h"
#include "program/program.h"
#include "recording_sink.h"
#include "show/layout.h"
#include "show/show_design.h"

namespace pelandra::qt {
namespace {

using testing::RecordingSink;

int argc = 1;
char program[] = "pelandra-saver";
char* argv[] = {program, nullptr};

class WindowsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        platform.setSettingsFile(folder.filePath("screensaver.ini"));
        platform.setLockFile(folder.filePath("lock").toStdString());
    }
    QWidget* widget(std::string_view form, const char* control) {
        return platform.window(form)->findChild<QWidget*>(control);
    }
    // Delivers a mouse event where the window system would: to the control under `at`.
    void sendMouse(QWidget* window, QPoint at, QEvent::Type type) {
        QWidget* target = window->childAt(at);
        if (target == nullptr) target = window;
        const QPoint local = target->mapFrom(window, at);
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QMouseEvent event(type, QPointF(local), QPointF(target->mapToGlobal(local)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    QPoint centreOf(QWidget* window, const char* control) {
        QWidget* child = window->findChild<QWidget*>(control);
        return child->mapTo(window, child->rect().center());
    }

    QTemporaryDir folder;
    QtPlatform platform{argc, argv};
    RecordingSink sink;
};

TEST_F(WindowsTest, TheShowCoversTheScreenWithTheColumnCentredAtTheTop) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    if (screen.size() != QSize(800, 600)) {
        GTEST_SKIP() << "screen is " << screen.width() << " x " << screen.height();
    }
    Program saver(platform);
    saver.main();

    FormWindow* form = platform.window("Form1");
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    // The screen is the backdrop's; the window is only as large as the column on it.
    ASSERT_NE(form->backdrop(), nullptr);
    EXPECT_EQ(form->backdrop()->geometry(), screen);
    EXPECT_TRUE(form->backdrop()->flags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(form->backdrop()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(form->windowHandle()->parent(), form->backdrop());
    EXPECT_EQ(form->geometry(), QRect(4, 0, 793, 580));
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::black));

    // 800 x 600: frame at 52.5 twips, caption at 4102.5 / 7335, logo at 1777.5 / 7695.
    const auto onScreen = [&](const char* control) {
        return widget("Form1", control)->geometry().translated(form->pos());
    };
    EXPECT_EQ(onScreen("SSPanel1"), QRect(4, 0, 793, 489));
    EXPECT_EQ(widget("Form1", "Image1")->geometry(), QRect(8, 8, 777, 473));
    EXPECT_EQ(onScreen("panYear"), QRect(274, 489, 253, 24));
    EXPECT_EQ(onScreen("Image2"), QRect(119, 513, 563, 67));
    EXPECT_TRUE(widget("Form1", "panYear")->isVisible());
    EXPECT_EQ(qobject_cast<QLabel*>(widget("Form1", "panYear"))->text(), "Tessaly Software");

    auto* title = dynamic_cast<PictureWidget*>(widget("Form1", "Image1"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->picture().size(), QSize(613, 366));  // the RLE8 title, stretched on paint
    EXPECT_EQ(form->timer("Timer1")->interval(), 2000);   // nothing stored: 2 seconds
    EXPECT_TRUE(form->timer("Timer1")->isActive());
}

TEST_F(WindowsTest, ShowControlsUseTheirDesignFontsAndColours) {
    platform.createForm(show::form1Design(), sink);
    QWidget* caption = widget("Form1", "panYear");
    EXPECT_EQ(caption->font().pixelSize(), 13);  // 9.75 points at 96 per inch
    EXPECT_TRUE(caption->font().bold());
    EXPECT_EQ(caption->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(caption->palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_FALSE(caption->isVisibleTo(platform.window("Form1")));  // hidden until Main shows it
    EXPECT_EQ(dynamic_cast<PictureWidget*>(widget("Form1", "Image2"))->picture().size(),
              QSize(563, 67));
}

struct MouseCase {
    const char* name;
    const char* control;  // where the pointer is; nullptr: an empty spot of the window
    QEvent::Type type;
    std::vector<std::string> expected;
};

class ShowMouseTest : public WindowsTest, public ::testing::WithParamInterface<MouseCase> {};

TEST_P(ShowMouseTest, ReachesOnlyTheWindowAndThePhoto) {
    platform.createForm(show::form1Design(), sink);
    platform.setVisible("Form1", "panYear", true);
    platform.maximiseForm("Form1");
    const auto layout = show::layoutFor(show::form1Design(), platform.screenSize());
    platform.setGeometry("Form1", "SSPanel1", layout.frame);
    platform.setGeometry("Form1", "panYear", layout.caption);
    platform.setGeometry("Form1", "Image2", layout.logo);
    platform.showForm("Form1");
    QWidget* form = platform.window("Form1");
    const MouseCase& mouse = GetParam();
    const QPoint at = mouse.control ? centreOf(form, mouse.control) : QPoint(2, 595);
    if (mouse.control && std::string(mouse.control) == "SSPanel1") {
        sendMouse(form, at - QPoint(0, 240), mouse.type);  // on the frame's border, above Image1
    } else {
        sendMouse(form, at, mouse.type);
    }
    if (mouse.type == QEvent::MouseButtonPress) sendMouse(form, at, QEvent::MouseButtonRelease);
    EXPECT_EQ(sink.input(), mouse.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Surfaces, ShowMouseTest,
    ::testing::Values(MouseCase{"MoveOnWindow", nullptr, QEvent::MouseMove, {"Form1:MouseMove"}},
                      MouseCase{
                          "PressOnWindow", nullptr, QEvent::MouseButtonPress, {"Form1:MouseDown"}},
                      MouseCase{"MoveOnPhoto", "Image1", QEvent::MouseMove, {"Image1:MouseMove"}},
                      MouseCase{"PressOnPhoto",
                                "Image1",
                                QEvent::MouseButtonPress,
                                {"Image1:MouseDown", "Image1:Click"}},
                      MouseCase{"MoveOnCaption", "panYear", QEvent::MouseMove, {}},
                      MouseCase{"PressOnCaption", "panYear", QEvent::MouseButtonPress, {}},
                      MouseCase{"MoveOnFrameBorder", "SSPanel1", QEvent::MouseMove, {}},
                      MouseCase{"PressOnFrameBorder", "SSPanel1", QEvent::MouseButtonPress, {}},
                      MouseCase{"MoveOnLogo", "Image2", QEvent::MouseMove, {"Image2:MouseMove"}},
                      MouseCase{"PressOnLogo",
                                "Image2",
                                QEvent::MouseButtonPress,
                                {"Image2:MouseDown", "Image2:Click"}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(WindowsTest, TheShowTakesEveryKeyAndReportsASystemClose) {
    platform.createForm(show::form1Design(), sink);
    platform.showForm("Form1");
    FormWindow* form = platform.window("Form1");
    for (QWidget* child : form->findChildren<QWidget*>()) {
        EXPECT_EQ(child->focusPolicy(), Qt::NoFocus) << child->objectName().toStdString();
    }
    QTest::keyClick(form, Qt::Key_A);
    QTest::keyClick(form, Qt::Key_Escape);
    form->close();
    EXPECT_EQ(sink.input(), (std::vector<std::string>{"Form1:KeyDown", "Form1:KeyDown",
                                                      "Form1:QueryUnload", "Form1:Unload"}));
    EXPECT_EQ(sink.forms.back(), "Form1");
}

TEST_F(WindowsTest, TimersTickAtTheirIntervalAndRestartWhenChanged) {
    platform.createForm(show::form1Design(), sink);
    QTimer* timer = platform.window("Form1")->timer("Timer1");
    EXPECT_EQ(timer->interval(), 1000);  // the design's interval until the show sets its own
    platform.setTimerInterval("Form1", "Timer1", 20);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return sink.events.size() >= 2; }, 2000));
    EXPECT_EQ(sink.events.front(), "Timer1:Timer");
}

TEST_F(WindowsTest, TheDialogIsCentredWithItsControlsAtTheirDesignPlaces) {
    platform.createForm(dialog::settingsDesign(), sink);
    platform.showForm("frmSSSettings");
    FormWindow* form = platform.window("frmSSSettings");
    EXPECT_EQ(form->size(), QSize(415, 296));
    EXPECT_EQ(form->windowTitle(), "Screen Saver Settings");
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(form->windowIcon().isNull());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE((form->geometry().center() - screen.center()).manhattanLength(), 4);

    const std::pair<const char*, QRect> places[] = {
        {"pnlSSaver", {0, 0, 417, 297}},     {"Label7", {120, 16, 233, 25}},
        {"Label8", {120, 40, 193, 25}},      {"Image2", {32, 56, 350, 146}},
        {"Label9", {40, 216, 161, 25}},      {"SpinInterval", {208, 216, 65, 17}},
        {"panInterval", {272, 216, 94, 17}}, {"SSCommand4", {24, 248, 121, 25}},
        {"SSCommand6", {144, 248, 121, 25}}, {"SSCommand5", {264, 248, 121, 25}},
    };
    for (const auto& [name, rect] : places) {
        QWidget* control = widget("frmSSSettings", name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(QRect(control->mapTo(form, QPoint(0, 0)), control->size()), rect) << name;
    }
    EXPECT_EQ(qobject_cast<QPushButton*>(widget("frmSSSettings", "SSCommand6"))->text(), "Exit");
    EXPECT_EQ(widget("frmSSSettings", "SpinInterval")->toolTip(), "Set Slide Show Delay");
    EXPECT_EQ(dynamic_cast<PictureWidget*>(widget("frmSSSettings", "Image2"))->picture().size(),
              QSize(350, 146));
}

TEST_F(WindowsTest, TabGoesSetHelpExitSpinAndLabelsTakeNoFocus) {
    platform.createForm(dialog::settingsDesign(), sink);
    platform.showForm("frmSSSettings");
    FormWindow* form = platform.window("frmSSSettings");
    std::vector<std::string> order;
    QWidget* current = widget("frmSSSettings", "SSCommand4");
    for (int guard = 0; guard < 100 && order.size() < 5; ++guard) {
        if (current->focusPolicy() & Qt::TabFocus)
            order.push_back(current->objectName().toStdString());
        current = current->nextInFocusChain();
    }
    EXPECT_EQ(order, (std::vector<std::string>{"SSCommand4", "SSCommand5", "SSCommand6",
                                               "SpinInterval", "SSCommand4"}));
    for (const char* name : {"pnlSSaver", "Label7", "Label8", "Label9", "panInterval", "Image2"}) {
        EXPECT_EQ(widget("frmSSSettings", name)->focusPolicy(), Qt::NoFocus) << name;
    }
    (void)form;
}

struct DialogInput {
    const char* name;
    const char* control;
    std::function<void(QWidget*)> act;
    std::vector<std::string> expected;
};

class DialogInputTest : public WindowsTest, public ::testing::WithParamInterface<DialogInput> {};

TEST_P(DialogInputTest, RaisesTheControlsEvent) {
    platform.createForm(dialog::settingsDesign(), sink);
    platform.showForm("frmSSSettings");
    QWidget* control = widget("frmSSSettings", GetParam().control);
    control->setFocus();
    GetParam().act(control);
    EXPECT_EQ(sink.input(), GetParam().expected);
}

void clickAt(QWidget* w, double xFraction) {
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(int(w->width() * xFraction), w->height() / 2));
}

INSTANTIATE_TEST_SUITE_P(
    Controls, DialogInputTest,
    ::testing::Values(
        DialogInput{"LeftArrow",
                    "SpinInterval",
                    [](QWidget* w) { clickAt(w, 0.25); },
                    {"SpinInterval:SpinDown"}},
        DialogInput{"RightArrow",
                    "SpinInterval",
                    [](QWidget* w) { clickAt(w, 0.75); },
                    {"SpinInterval:SpinUp"}},
        DialogInput{"ArrowKeys",
                    "SpinInterval",
                    [](QWidget* w) {
                        for (auto key : {Qt::Key_Left, Qt::Key_Down, Qt::Key_Right, Qt::Key_Up}) {
                            QTest::keyClick(w, key);
                        }
                    },
                    {"SpinInterval:SpinDown", "SpinInterval:SpinDown", "SpinInterval:SpinUp",
                     "SpinInterval:SpinUp"}},
        DialogInput{
            "ClickSet", "SSCommand4", [](QWidget* w) { clickAt(w, 0.5); }, {"SSCommand4:Click"}},
        DialogInput{
            "ClickHelp", "SSCommand5", [](QWidget* w) { clickAt(w, 0.5); }, {"SSCommand5:Click"}},
        DialogInput{
            "ClickExit", "SSCommand6", [](QWidget* w) { clickAt(w, 0.5); }, {"SSCommand6:Click"}},
        DialogInput{"KeysPressButton",
                    "SSCommand5",
                    [](QWidget* w) {
                        QTest::keyClick(w, Qt::Key_Return);
                        QTest::keyClick(w, Qt::Key_Enter);
                        QTest::keyClick(w, Qt::Key_Space);
                    },
                    {"SSCommand5:Click", "SSCommand5:Click", "SSCommand5:Click"}},
        DialogInput{"ClickOnDelayPanel", "panInterval", [](QWidget* w) { clickAt(w, 0.5); }, {}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(WindowsTest, MessageBoxShowsThePromptAsLinesWithOnlyOk) {
    platform.createForm(dialog::settingsDesign(), sink);
    platform.showForm("frmSSSettings");
    QString text, title;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::Warning;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            title = box->windowTitle();
            buttons = box->standardButtons();
            icon = box->icon();
            box->accept();
        }
    });
    poll.start(10);
    platform.messageBox(u"Line one ends in a blank \r\nline two\r\n\r\n", u"A title");
    EXPECT_EQ(text, "Line one ends in a blank \nline two\n\n");
    EXPECT_EQ(title, "A title");
    EXPECT_EQ(buttons, QMessageBox::Ok);
    EXPECT_EQ(icon, QMessageBox::NoIcon);
}

}  // namespace
}  // namespace pelandra::qt
