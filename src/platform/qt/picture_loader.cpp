#include "picture_loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <cerrno>

#include "platform/runtime_error.h"

namespace pelandra::qt {

namespace {

// A 24-megapixel photo must load; a header claiming far more is treated as corrupt. The
// JPEG decoder decodes at a reduced scale; the other decoders decode in full and then scale,
// so they get a lower bound.
constexpr qint64 kMaxJpegPixels = 150'000'000;
constexpr qint64 kMaxOtherPixels = 40'000'000;
// Memory a decoder may allocate for one picture.
constexpr int kAllocationLimitMiB = 256;

RuntimeError openError(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return RuntimeError::fileNotFound();
        case EACCES:
        case EPERM:
            return RuntimeError::permissionDenied();
        default:
            return RuntimeError::pathFileAccess();
    }
}

// Only regular files are opened, so a fifo or a device can never block the show.
void checkReadableFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) throw openError(errno);
    if (!S_ISREG(info.st_mode)) throw RuntimeError::pathFileAccess();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw openError(errno);
    ::close(fd);
}

// libjpeg only warns about a file cut short and fills the rest with grey; a complete
// JPEG ends with the end-of-image marker (possibly followed by padding).
bool jpegIsComplete(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const qint64 tailSize = qMin<qint64>(file.size(), 4096);
    file.seek(file.size() - tailSize);
    QByteArray tail = file.read(tailSize);
    while (!tail.isEmpty() && (tail.back() == '\0' || tail.back() == '\n' || tail.back() == '\r' ||
                               tail.back() == ' ')) {
        tail.chop(1);
    }
    return tail.endsWith("\xFF\xD9");
}

}  // namespace

QImage loadPictureAtSize(const std::string& path, QSize target) {
    checkReadableFile(path);
    const QString name = QString::fromUtf8(path.data(), qsizetype(path.size()));

    QImageReader::setAllocationLimit(kAllocationLimitMiB);
    QImageReader reader(name);
    reader.setDecideFormatFromContent(true);
    const QSize source = reader.size();
    const bool jpeg = reader.format() == "jpeg";
    if (!reader.canRead() || !source.isValid() ||
        qint64(source.width()) * source.height() > (jpeg ? kMaxJpegPixels : kMaxOtherPixels)) {
        throw RuntimeError::invalidPicture();
    }
    if (jpeg && !jpegIsComplete(name)) throw RuntimeError::invalidPicture();

    reader.setScaledSize(target.isEmpty() ? source : target);
    QImage picture = reader.read();
    if (picture.isNull()) throw RuntimeError::invalidPicture();
    if (picture.size() != target && !target.isEmpty()) {
        picture = picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return picture;
}

}  // namespace pelandra::qt
