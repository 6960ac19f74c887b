// One QApplication on the offscreen platform for every backend test.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>

int main(int argc, char** argv) {
    // The decoder's test build, with its faults ("decoder-abort" and the like in a file
    // name), for the decoders these tests start.
    // A copy beside this program comes first: the ordinary user's run is copied out of the
    // build folder.
    const auto beside = std::filesystem::read_symlink("/proc/self/exe").parent_path() /
                        "pelandra-picture-decoder-faults";
    qputenv("PELANDRA_PICTURE_DECODER", std::filesystem::exists(beside)
                                            ? QByteArray(beside.c_str())
                                            : QByteArray(PELANDRA_PICTURE_DECODER_FAULTS));
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
