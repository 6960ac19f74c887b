#include "platform/qt/picture_decoding.h"

#include <QImage>
#include <QMetaObject>
#include <memory>
#include <string>
#include <utility>

#include "platform/linux/decoder/picture_file.h"
#include "platform/linux/files/file_name_text.h"

namespace pelandra::qt {

namespace {

struct Opened {
    decoder::PictureFile file;
    std::string path;
};

}  // namespace

PictureDecoder::OpenFile QtPictureDecoder::open(TextView path) {
    std::string name = toFileName(path);
    auto opened = std::make_shared<Opened>(Opened{decoder::PictureFile(name), std::move(name)});
    const FileIdentity identity = opened->file.identity();
    return {identity, std::move(opened)};
}

void QtPictureDecoder::start(Job job, OpenFile file, PictureSize size, std::string_view) {
    Opened& opened = *std::static_pointer_cast<Opened>(file.handle);
    process_.decode(std::move(opened.file), std::move(opened.path), QSize(size.width, size.height),
                    [this, job](std::optional<RuntimeError> failure, QImage picture) {
                        // Told from the event loop, never from inside the process's own
                        // bookkeeping.
                        QMetaObject::invokeMethod(
                            &context_,
                            [this, job, failure = std::move(failure),
                             pixels = std::make_shared<const QImage>(std::move(picture))] {
                                answer_(job, failure, pixels);
                            },
                            Qt::QueuedConnection);
                    });
}

}  // namespace pelandra::qt
