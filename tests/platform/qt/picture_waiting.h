// Shows a picture through the backend's background decoding, waiting for it as the show
// does: prepare, let the event loop run until it is ready, show; and the JPEGs it shows.
#pragma once

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QString>
#include <QTemporaryDir>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/qt/control_widgets.h"
#include "platform/qt/qt_platform.h"
#include "platform/runtime_error.h"
#include "recording_sink.h"
#include "show/show_design.h"

namespace pelandra::testing {

// False when the picture was not ready within the time (a hung decoder is killed long before).
inline bool waitForPicture(qt::QtPlatform& platform, std::string_view form = "Form1",
                           std::string_view control = "Image1") {
    QDeadlineTimer deadline(60'000);
    while (!platform.pictureReady(form, control)) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

inline Text textOf(const QString& path) {
    return Text(reinterpret_cast<const char16_t*>(path.utf16()), size_t(path.size()));
}

// Kilobytes of one of /proc/<pid>/status's figures (VmRSS, VmHWM); 0 when unknown.
inline long statusKiB(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    }
    return 0;
}

// Throws what showPreparedPicture throws.
inline void showPicture(qt::QtPlatform& platform, const QString& path,
                        std::string_view form = "Form1", std::string_view control = "Image1") {
    platform.preparePicture(form, control, textOf(path));
    if (!waitForPicture(platform, form, control)) throw RuntimeError::invalidArgument();
    platform.showPreparedPicture(form, control);
}

// The error number showing `path` fails with; 0 when it shows.
inline int32_t errorShowing(qt::QtPlatform& platform, const QString& path) {
    try {
        showPicture(platform, path);
        return 0;
    } catch (const RuntimeError& error) {
        return error.number;
    }
}

inline QImage solidImage(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

inline QByteArray jpegOf(const QImage& image, bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(95);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// The show's form on the Qt backend, and a folder for the files a test shows in its photo.
class ShowPhotoTest : public ::testing::Test {
  public:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        platform.createForm(show::form1Design(), sink);
        photo = dynamic_cast<qt::PictureWidget*>(platform.window("Form1")->control("Image1"));
        ASSERT_NE(photo, nullptr);
    }
    QString write(const QString& name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    QTemporaryDir folder;
    int argc_ = 1;
    char program_[15] = "pelandra-saver";
    char* argv_[2] = {program_, nullptr};
    qt::QtPlatform platform{argc_, argv_};
    RecordingSink sink;
    qt::PictureWidget* photo = nullptr;
};

}  // namespace pelandra::testing
