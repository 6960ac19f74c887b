#include "picture_loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>
#include <cerrno>

#include "platform/picture_header.h"
#include "platform/runtime_error.h"

namespace pelandra::qt {

namespace {

// Memory Qt's decoders may allocate for one picture's pixels.
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

// The file, opened for reading; only regular files, so a fifo or a device can never block.
class PictureFile {
  public:
    explicit PictureFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
        if (fd_ < 0) throw openError(errno);
        struct stat info {};
        if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd_);
            throw RuntimeError::pathFileAccess();
        }
    }
    ~PictureFile() { ::close(fd_); }
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    int fd() const { return fd_; }
    // Read, never mapped: a disc taken out while a mapped file is read ends the process.
    ReadAt reader() const {
        return [fd = fd_](uint64_t offset, std::span<uint8_t> buffer) -> size_t {
            size_t got = 0;
            while (got < buffer.size()) {
                const ssize_t read =
                    ::pread(fd, buffer.data() + got, buffer.size() - got, off_t(offset + got));
                if (read < 0 && errno == EINTR) continue;
                if (read <= 0) break;
                got += size_t(read);
            }
            return got;
        };
    }

  private:
    int fd_;
};

// Refuses, before any decoder sees the file, a picture its header says is too big, and a
// JPEG cut short (libjpeg would only warn and show the rest grey).
PictureFormat checkHeader(const PictureFile& file) {
    const PictureHeader header = readPictureHeader(file.reader());
    checkPictureLimits(header);
    if (header.format == PictureFormat::Jpeg && !jpegIsComplete(file.reader())) {
        throw RuntimeError::invalidPicture();
    }
    return header.format;
}

}  // namespace

QImage loadPictureAtSize(const std::string& path, QSize target) {
    const PictureFile file(path);
    const PictureFormat format = checkHeader(file);

    QFile device;
    if (!device.open(file.fd(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        throw RuntimeError::pathFileAccess();
    }
    QImageReader::setAllocationLimit(kAllocationLimitMiB);
    QImageReader reader(&device);
    const QSize source = reader.size();
    if (!reader.canRead() || !source.isValid()) throw RuntimeError::invalidPicture();
    if (format == PictureFormat::Unknown) {  // held to the limits by the size Qt reads
        PictureHeader other;
        other.width = uint32_t(source.width());
        other.height = uint32_t(source.height());
        other.decoderBytes = uint64_t(other.width) * other.height * 4;
        checkPictureLimits(other);
    }

    // A photo taken with the camera turned is turned upright after decoding; it is scaled
    // while decoding in its own orientation, so a quarter turn decodes at the turned size.
    reader.setAutoTransform(true);
    const bool quarterTurn = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize wanted = target.isEmpty() ? source : target;
    reader.setScaledSize(quarterTurn ? wanted.transposed() : wanted);
    QImage picture = reader.read();
    if (picture.isNull()) throw RuntimeError::invalidPicture();
    if (picture.size() != wanted) {
        picture = picture.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return picture;
}

}  // namespace pelandra::qt
