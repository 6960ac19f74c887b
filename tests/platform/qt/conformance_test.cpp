// The backend contract's cases (tests/platform/conformance.h) against the Qt backend.
#include "platform/conformance.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QTemporaryDir>
#include <QTest>

#include "platform/qt/control_widgets.h"
#include "platform/qt/qt_platform.h"

namespace pelandra::qt {
namespace {

using namespace pelandra::testing::conformance;

int argc = 1;
char program[] = "pelandra-saver";
char* argv[] = {program, nullptr};

class Recorder : public EventSink {
  public:
    void handle(std::string_view, std::string_view control, EventKind kind) override {
        if (kind != EventKind::Timer) raised.push_back({std::string(control), kind});
    }
    std::vector<Raised> raised;
};

class Conformance : public ::testing::Test {
  protected:
    FormWindow& build(Recorder& recorder) {
        platform.createForm(kDesign, recorder);
        FormWindow* form = platform.window(kForm);
        form->show();  // shown, not presented: nothing takes the keyboard
        return *form;
    }
    QtPlatform platform{argc, argv};
};

void perform(FormWindow& form, std::string_view control, Gesture gesture) {
    QWidget* target = control == kForm ? &form : form.control(control);
    ASSERT_NE(target, nullptr) << control;
    const QPoint middle = target->rect().center();
    static int moves = 0;
    switch (gesture) {
        case Gesture::Press:
            QTest::mousePress(target, Qt::LeftButton, {}, middle);
            break;
        case Gesture::Click:
            QTest::mouseClick(target, Qt::LeftButton, {}, middle);
            break;
        case Gesture::Move:
            QTest::mouseMove(target, middle + QPoint(++moves % 3, 1));
            break;
        case Gesture::Key:
            QTest::keyClick(target, Qt::Key_A);
            break;
        case Gesture::ClickLeftHalf:
            QTest::mouseClick(target, Qt::LeftButton, {}, {target->width() / 4, middle.y()});
            break;
        case Gesture::ClickRightHalf:
            QTest::mouseClick(target, Qt::LeftButton, {}, {target->width() * 3 / 4, middle.y()});
            break;
        case Gesture::ArrowLeft:
            QTest::keyClick(target, Qt::Key_Left);
            break;
        case Gesture::ArrowRight:
            QTest::keyClick(target, Qt::Key_Right);
            break;
    }
}

TEST_F(Conformance, EachKindRaisesItsEvents) {
    for (const auto& c : kEventCases) {
        QtPlatform qt{argc, argv};
        Recorder recorder;
        qt.createForm(kDesign, recorder);
        FormWindow* form = qt.window(kForm);
        form->show();
        perform(*form, c.control, c.gesture);
        EXPECT_EQ(recorder.raised, c.raised) << c.name;
    }
}

TEST_F(Conformance, TwipsArePixelsAtFifteenEachRounded) {
    Recorder recorder;
    FormWindow& form = build(recorder);
    EXPECT_EQ(form.size(), QSize(400, 300));
    for (const auto& c : kPlaceCases) {
        const QRect place = form.control(c.control)->geometry();  // in its parent
        EXPECT_EQ(place, QRect(c.place.left, c.place.top, c.place.width, c.place.height))
            << c.control;
    }
}

TEST_F(Conformance, FontsAtTheirPointSizes) {
    Recorder recorder;
    FormWindow& form = build(recorder);
    for (const auto& c : kFontCases) {
        const QFont font = form.control(c.control)->font();
        EXPECT_EQ(font.pixelSize(), c.pixels) << c.control;
        EXPECT_EQ(font.bold(), c.bold) << c.control;
    }
}

TEST_F(Conformance, FocusMovesByTabIndex) {
    Recorder recorder;
    FormWindow& form = build(recorder);
    std::vector<std::string> order;
    QWidget* first = form.control(kTabOrder.front());
    QWidget* current = first;
    for (int guard = 0; guard < 50; ++guard) {
        if (current != &form && (current->focusPolicy() & Qt::TabFocus))
            order.push_back(current->objectName().toStdString());
        current = current->nextInFocusChain();
        if (current == first) break;
    }
    EXPECT_EQ(order, kTabOrder);
}

}  // namespace
}  // namespace pelandra::qt
