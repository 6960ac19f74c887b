// Draws the program's artwork and writes it into the given folder (the repo's assets/).
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <cstdio>

#include "drawings.h"
#include "indexed_bitmap.h"

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool writeJpeg(const QString& path, const QImage& image) {
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

// The desktop's icon, one PNG per size of the hicolor theme that the installation fills.
bool writeDesktopIcons(const QString& folder) {
    if (!QDir().mkpath(folder)) return false;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path = folder + QStringLiteral("pelandra-saver-%1.png").arg(size);
        if (!artwork::showIcon(size).save(path, "png")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-artwork OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + '/';
    using namespace artwork;
    const bool ok = writeFile(folder + "title.bmp", rle8BitmapFile(titlePicture())) &&
                    writeFile(folder + "logo.bmp", rle8BitmapFile(logoStrip())) &&
                    writeFile(folder + "show-icon.ico", iconFile(showIcon())) &&
                    writeFile(folder + "dialog-icon.ico", iconFile(dialogIcon())) &&
                    writeJpeg(folder + "dialog-logo.jpg", dialogLogo()) &&
                    writeDesktopIcons(folder + "icons/");
    return ok ? 0 : 1;
}
