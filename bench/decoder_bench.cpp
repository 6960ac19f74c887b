// The picture decoder on its own, as the show drives it: how long a fresh decoder takes to
// answer its first photo (its start and its fence included), and its resident memory while
// idle and at its peak over big JPEGs decoded at the frame's size and at twice it. Makes its
// own photos. Prints figures; never passes or fails.
//
//   decoder_bench [DECODER]   (default: this build's pelandra-picture-decoder)

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/decoder/decoder_process.h"
#include "platform/linux/decoder/picture_file.h"

namespace {

using pelandra::decoder::DecoderProcess;
using pelandra::decoder::PictureFile;

// A JPEG of `size` with detail enough to cost a real photo's decoding.
std::string writeJpeg(const QTemporaryDir& dir, QSize size, bool progressive) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QPainter painter(&image);
    for (int i = 0; i < 400; ++i) {
        painter.setPen(QColor::fromHsv(i * 7 % 360, 200, 230));
        painter.drawLine(i * size.width() / 400, 0, size.width() - i * size.width() / 400,
                         size.height());
    }
    painter.end();
    const QString path = dir.filePath(QStringLiteral("%1x%2%3.jpg")
                                          .arg(size.width())
                                          .arg(size.height())
                                          .arg(progressive ? "p" : ""));
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return path.toStdString();
}

// Decodes `path` at `size` and waits for the answer; true when a picture came back.
bool decode(DecoderProcess& decoder, const std::string& path, QSize size) {
    QEventLoop loop;
    bool decoded = false;
    decoder.decode(PictureFile(path), path, size, [&](auto failure, const QImage& picture) {
        decoded = !failure && !picture.isNull();
        loop.quit();
    });
    loop.exec();
    return decoded;
}

double statusMiB(pid_t pid, const char* field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::strlen(field) + 1)) / 1024;
    }
    return 0;
}

// The shared libraries the process has mapped: what a taken-over codec could reuse.
size_t librariesMapped(pid_t pid) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::set<std::string> libraries;
    for (std::string line; std::getline(maps, line);) {
        const auto path = line.find('/');
        if (path != std::string::npos && line.find(".so", path) != std::string::npos) {
            libraries.insert(line.substr(path));
        }
    }
    return libraries.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) qputenv("PELANDRA_PICTURE_DECODER", argv[1]);
    if (qEnvironmentVariableIsEmpty("PELANDRA_PICTURE_DECODER")) {
        qputenv("PELANDRA_PICTURE_DECODER", PELANDRA_PICTURE_DECODER);
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string small = writeJpeg(dir, {640, 480}, false);
    const std::vector<std::string> big = {writeJpeg(dir, {6000, 4000}, true),
                                          writeJpeg(dir, {6000, 4000}, false),
                                          writeJpeg(dir, {4000, 6000}, true)};
    const QSize frame(777, 473);

    std::vector<double> firstAnswers;
    double idleMiB = 0;
    size_t libraries = 0;
    for (int run = 0; run < 15; ++run) {
        DecoderProcess decoder;
        const auto start = std::chrono::steady_clock::now();
        if (!decode(decoder, small, frame)) std::fprintf(stderr, "the small photo failed\n");
        firstAnswers.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        idleMiB = statusMiB(decoder.pid(), "VmRSS");
        libraries = librariesMapped(decoder.pid());
    }
    std::sort(firstAnswers.begin(), firstAnswers.end());

    DecoderProcess decoder;
    decode(decoder, small, frame);
    for (const QSize size : {frame, frame * 2}) {
        for (const std::string& path : big) {
            if (!decode(decoder, path, size)) std::fprintf(stderr, "%s failed\n", path.c_str());
        }
    }
    std::printf("decoder: %s\n", qgetenv("PELANDRA_PICTURE_DECODER").constData());
    std::printf("  first answer of a fresh decoder (640 x 480 JPEG), median of %zu  %6.1f ms\n",
                firstAnswers.size(), firstAnswers[firstAnswers.size() / 2]);
    std::printf("  fastest / slowest                                       %6.1f / %.1f ms\n",
                firstAnswers.front(), firstAnswers.back());
    std::printf("  shared libraries mapped                                 %6zu\n", libraries);
    std::printf("  resident memory, idle after its first photo             %6.1f MiB\n", idleMiB);
    std::printf("  after 24 MP JPEGs at 777 x 473 and 1554 x 946: now       %6.1f MiB\n",
                statusMiB(decoder.pid(), "VmRSS"));
    std::printf("                                                  peak     %6.1f MiB\n",
                statusMiB(decoder.pid(), "VmHWM"));
    return 0;
}
