// How long one photo takes to decode at the size the show draws it, by source size and
// format. Prints milliseconds (median of several runs); never passes or fails.

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/linux/decoder/picture_file.h"
#include "platform/linux/decoder/picture_loader.h"

namespace {

// Image1's size on screen: 11655 x 7095 twips.
const QSize kShownSize(777, 473);

QString makePhoto(const QDir& dir, QSize size, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, Qt::darkBlue);
    gradient.setColorAt(1, Qt::yellow);
    painter.fillRect(image.rect(), gradient);
    for (int i = 0; i < 200; ++i) {
        painter.setPen(QColor::fromHsv(i * 7 % 360, 200, 230));
        painter.drawLine(i * size.width() / 200, 0, size.width() - i * size.width() / 200,
                         size.height());
    }
    painter.end();
    const QString path =
        dir.filePath(QStringLiteral("%1x%2.%3").arg(size.width()).arg(size.height()).arg(format));
    image.save(path, format, 90);
    return path;
}

double medianMilliseconds(const QString& path, int runs) {
    std::vector<double> times;
    const std::string file = path.toStdString();
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const pelandra::decoder::PictureFile opened(file);
        const QImage picture = pelandra::decoder::loadPictureAtSize(opened.fd(), kShownSize);
        const auto end = std::chrono::steady_clock::now();
        if (picture.size() != kShownSize) std::fprintf(stderr, "wrong size\n");
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const struct {
        QSize size;
        const char* format;
    } cases[] = {
        {{613, 366}, "bmp"},   {{1024, 640}, "jpg"},  {{1024, 640}, "png"},
        {{3000, 2000}, "jpg"}, {{6000, 4000}, "jpg"}, {{3000, 2000}, "bmp"},
    };
    std::printf("decode into the %dx%d photo area (median of 7 runs)\n", kShownSize.width(),
                kShownSize.height());
    for (const auto& c : cases) {
        const QString path = makePhoto(QDir(dir.path()), c.size, c.format);
        std::printf("  %5dx%-5d %-4s %8.1f ms\n", c.size.width(), c.size.height(), c.format,
                    medianMilliseconds(path, 7));
    }
    return 0;
}
