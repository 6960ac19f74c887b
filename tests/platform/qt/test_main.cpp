// One QApplication on the offscreen platform for every backend test.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/qt/decoder_main.h"

int main(int argc, char** argv) {
    // The backend starts this program again as its picture decoder.
    if (const auto status = pelandra::qt::decoderMain(argc, argv)) return *status;
    // The decoder's test hooks ("decoder-abort" and the like in a file name), for the
    // decoders these tests start.
    qputenv("PELANDRA_DECODER_FAULTS", "1");
    // Never a display, even where test discovery runs without the tests' environment; and
    // one known 800 x 600 screen.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" PELANDRA_TEST_SCREENS);
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
