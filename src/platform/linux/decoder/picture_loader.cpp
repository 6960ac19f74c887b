#include "picture_loader.h"

#include <unistd.h>

#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>
#include <cerrno>

#include "platform/picture_header.h"
#include "platform/runtime_error.h"

namespace pelandra::decoder {

namespace {

// Memory Qt's decoders may allocate for one picture's pixels.
constexpr int kAllocationLimitMiB = int(kMaxDecoderBytes >> 20);

// Read, never mapped: a disc taken out while a mapped file is read ends the process.
ReadAt readerOf(int fd) {
    return [fd](uint64_t offset, std::span<uint8_t> buffer) -> size_t {
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

// libjpeg only warns when a picture's data ends before its frame is filled (a frame made to
// claim more than its data holds), and Qt passes the warning on as a log message; the rest
// would be shown grey.
class DataEndsEarlyWatch {
  public:
    DataEndsEarlyWatch() {
        seen_ = false;
        previous_ = qInstallMessageHandler(&DataEndsEarlyWatch::handle);
    }
    ~DataEndsEarlyWatch() { qInstallMessageHandler(previous_); }
    DataEndsEarlyWatch(const DataEndsEarlyWatch&) = delete;
    DataEndsEarlyWatch& operator=(const DataEndsEarlyWatch&) = delete;

    bool seen() const { return seen_; }

  private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (text.contains(QLatin1String("premature end"), Qt::CaseInsensitive)) seen_ = true;
        if (previous_) previous_(type, context, text);
    }
    static inline bool seen_ = false;
    static inline QtMessageHandler previous_ = nullptr;
};

}  // namespace

QImage loadPictureAtSize(int fd, QSize target) {
    const PictureFormat format = checkPictureFile(readerOf(fd), DecoderScaling::WhileDecoding);

    // The show may have handed the same open file over before, to a decoder that died
    // part-way through it.
    if (::lseek(fd, 0, SEEK_SET) != 0) throw RuntimeError::invalidPicture();
    QFile device;
    if (!device.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        throw RuntimeError::pathFileAccess();
    }
    QImageReader::setAllocationLimit(kAllocationLimitMiB);
    QImageReader reader(&device);
    const QSize source = reader.size();
    if (!reader.canRead() || !source.isValid()) throw RuntimeError::invalidPicture();
    if (format == PictureFormat::Unknown) {  // held to the limits by the size Qt reads
        checkPictureLimits(
            decodedPictureHeader(uint32_t(source.width()), uint32_t(source.height())));
    }

    // A photo taken with the camera turned is turned upright after decoding; it is scaled
    // while decoding in its own orientation, so a quarter turn decodes at the turned size.
    reader.setAutoTransform(true);
    const bool quarterTurn = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize wanted = target.isEmpty() ? source : target;
    reader.setScaledSize(quarterTurn ? wanted.transposed() : wanted);
    const DataEndsEarlyWatch watch;
    QImage picture = reader.read();
    if (picture.isNull() || watch.seen()) throw RuntimeError::invalidPicture();
    if (picture.size() != wanted) {
        picture = picture.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return picture;
}

}  // namespace pelandra::decoder
