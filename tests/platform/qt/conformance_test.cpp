// The backend contract's cases (tests/platform/conformance.h) against the Qt backend.
#include "platform/conformance.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFont>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "picture_waiting.h"
#include "platform/picture_conformance.h"
#include "platform/qt/control_widgets.h"
#include "platform/qt/qt_platform.h"

namespace pelandra::qt {
namespace {

using namespace pelandra::testing::conformance;

int argc = 1;
char program[] = "pelandra-saver";
char* argv[] = {program, nullptr};

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

// A baseline JPEG of one scan per component, made by cjpeg.
std::vector<uint8_t> multiScanJpeg(const QImage& image) {
    QTemporaryDir work;
    const QString ppm = work.filePath("in.ppm"), scans = work.filePath("scans");
    image.save(ppm, "PPM");
    QFile script(scans);
    EXPECT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("0;\n1;\n2;\n");
    script.close();
    QProcess cjpeg;
    cjpeg.start("cjpeg", {"-scans", scans, ppm});
    EXPECT_TRUE(cjpeg.waitForFinished(10'000));
    const QByteArray bytes = cjpeg.readAllStandardOutput();
    return {bytes.begin(), bytes.end()};
}

std::vector<uint8_t> jpegOf(const QImage& image, bool progressive = false) {
    const QByteArray bytes = testing::jpegOf(image, progressive);
    return {bytes.begin(), bytes.end()};
}

class QtPictures : public PictureDriver {
  public:
    QtPictures() {
        platform_.createForm(kDesign, recorder_);
        path_ = folder_.filePath(QStringLiteral("Ün café 57"));
    }
    Platform& platform() override { return platform_; }
    Text path(int file) override { return testing::textOf(nameOf(file)); }
    void write(Content content, int file) override {
        QImage corner = testing::solidImage({64, 48}, Qt::white);
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 16; ++x) corner.setPixel(x, y, qRgb(255, 0, 0));
        }
        const QImage photo = testing::solidImage({640, 480}, Qt::green);
        const auto bytes = contentBytes(
            content, {jpegOf(photo), jpegOf(photo, true), multiScanJpeg(photo),
                      jpegOf(testing::solidImage({320, 200}, Qt::blue)), jpegOf(corner)});
        QFile out(nameOf(file));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    bool lock(bool locked) override {
        if (::geteuid() == 0) return false;  // root reads everything
        return ::chmod(QFile::encodeName(nameOf(0)).constData(), locked ? 0200 : 0600) == 0;
    }
    bool waitReady(std::string_view control) override {
        return testing::waitForPicture(platform_, kForm, control);
    }
    int readyEvents() override {
        for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
        return recorder_.pictureReadyCount();
    }
    // However big a picture claims to be, neither the show nor its decoder pays for it.
    void checkCosts(const std::string& where) override {
        EXPECT_LT(testing::statusKiB(::getpid(), "VmRSS") - showBefore_, 64 * 1024) << where;
        if (const pid_t decoder = platform_.pictureDecoder().pid()) {
            EXPECT_LT(testing::statusKiB(decoder, "VmHWM"), 512 * 1024) << where;
        }
    }
    std::optional<std::vector<Corner>> redCorners() override {
        const auto* picture =
            dynamic_cast<PictureWidget*>(platform_.window(kForm)->control("picture"));
        const QImage& shown = picture->picture();
        return redCornersOf(shown.width(), shown.height(),
                            [&](int x, int y) { return uint32_t(shown.pixel(x, y)); });
    }

  private:
    QString nameOf(int file) const { return path_ + QString::number(file) + ".jpg"; }

    QTemporaryDir folder_;
    QString path_;
    QtPlatform platform_{argc, argv};
    Recorder recorder_;
    long showBefore_ = testing::statusKiB(::getpid(), "VmRSS");
};

PELANDRA_PICTURE_TABLE(Pictures, QtPictures);

}  // namespace
}  // namespace pelandra::qt
