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

// Opened by the bytes of its name: a QString cannot hold every name a Linux file may have
// (bytes that are not UTF-8), so Qt reads through the descriptor.
bool openByName(QFile& file, const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) return true;
    ::close(fd);
    return false;
}

// libjpeg only warns about a file cut short and fills the rest with grey. A complete JPEG
// has the end-of-image marker after its image data; the marker segments before the data are
// skipped by their lengths, because an embedded thumbnail carries an end marker of its own,
// and anything after the marker (some cameras append data there) is allowed.
bool jpegIsComplete(const std::string& path) {
    // Read, not mapped: a disc taken out while a mapped file is read ends the process.
    QFile file;
    if (!openByName(file, path)) return false;
    auto bytesAt = [&file](qint64 at, qint64 count) {
        return file.seek(at) ? file.read(count) : QByteArray();
    };
    if (bytesAt(0, 2) != QByteArray("\xFF\xD8", 2)) return false;
    qint64 at = 2;
    while (true) {
        const QByteArray head = bytesAt(at, 4);
        if (head.size() < 4 || uchar(head[0]) != 0xFF) return false;
        const uchar marker = uchar(head[1]);
        if (marker == 0xFF) {  // a fill byte
            ++at;
            continue;
        }
        if ((marker >= 0xD0 && marker <= 0xD8) || marker == 0x01) {  // no length follows
            at += 2;
            continue;
        }
        if (marker == 0xD9) return false;  // ends before any image data
        at += 2 + ((qint64(uchar(head[2])) << 8) | uchar(head[3]));
        if (marker == 0xDA) break;  // start of scan: the image data follows
    }
    // In image data 0xFF is always followed by 0x00 or a restart marker, so the first FF D9
    // is the end of the picture (progressive pictures have several scans before it).
    constexpr qint64 kChunk = 64 * 1024;
    for (QByteArray chunk = bytesAt(at, kChunk); chunk.size() >= 2; chunk = bytesAt(at, kChunk)) {
        if (chunk.contains(QByteArray("\xFF\xD9", 2))) return true;
        at += chunk.size() - 1;  // the next chunk starts on this one's last byte
    }
    return false;
}

}  // namespace

QImage loadPictureAtSize(const std::string& path, QSize target) {
    checkReadableFile(path);
    QFile file;
    if (!openByName(file, path)) throw openError(errno);

    QImageReader::setAllocationLimit(kAllocationLimitMiB);
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QSize source = reader.size();
    const bool jpeg = reader.format() == "jpeg";
    if (!reader.canRead() || !source.isValid() ||
        qint64(source.width()) * source.height() > (jpeg ? kMaxJpegPixels : kMaxOtherPixels)) {
        throw RuntimeError::invalidPicture();
    }
    if (jpeg && !jpegIsComplete(path)) throw RuntimeError::invalidPicture();

    reader.setScaledSize(target.isEmpty() ? source : target);
    QImage picture = reader.read();
    if (picture.isNull()) throw RuntimeError::invalidPicture();
    if (picture.size() != target && !target.isEmpty()) {
        picture = picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return picture;
}

}  // namespace pelandra::qt
