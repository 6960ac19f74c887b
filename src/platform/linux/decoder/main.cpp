// The show's picture decoder: a small program of its own that the show starts, hands each
// picture file open, and that answers with the picture's pixels in memory they share. It
// fences itself before it reads a picture (fence.h) and links only Qt's image codecs.
#include <malloc.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/decoder/faults.h"
#include "platform/linux/decoder/fence.h"
#include "platform/linux/decoder/picture_loader.h"
#include "platform/linux/decoder/protocol.h"

namespace pelandra::decoder {

namespace {

DecodeAnswer decodeInto(int file, const std::string& name, QSize target, uchar* pixels,
                        size_t capacity, pid_t show) {
    try {
        beforeDecoding(name, show);
        const QImage picture =
            loadPictureAtSize(file, target).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const size_t row = size_t(picture.width()) * 4;
        if (picture.isNull() || row * size_t(picture.height()) > capacity) {
            throw RuntimeError::invalidPicture();
        }
        for (int y = 0; y < picture.height(); ++y) {
            std::memcpy(pixels + row * size_t(y), picture.constScanLine(y), row);
        }
        return {0, uint32_t(picture.width()), uint32_t(picture.height())};
    } catch (const RuntimeError& error) {
        return {error.number, 0, 0};
    } catch (...) {  // out of memory above all
        return {RuntimeError::invalidPicture().number, 0, 0};
    }
}

// One request: its size, the file's name, and the open file (-1 when none came with it).
struct Request {
    DecodeRequest size;
    std::string name;
    int file = -1;
};

// False when the show has gone.
bool receive(int socket, Request& request) {
    std::array<char, sizeof(DecodeRequest) + kMaxPathBytes> message{};
    alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(int))> control{};
    while (true) {
        iovec part{message.data(), message.size()};
        msghdr header{};
        header.msg_iov = &part;
        header.msg_iovlen = 1;
        header.msg_control = control.data();
        header.msg_controllen = control.size();
        const ssize_t got = recvmsg(socket, &header, MSG_CMSG_CLOEXEC);
        if (got < 0 && errno == EINTR) continue;
        if (got < ssize_t(sizeof(DecodeRequest))) return false;
        request.file = -1;
        for (cmsghdr* item = CMSG_FIRSTHDR(&header); item != nullptr;
             item = CMSG_NXTHDR(&header, item)) {
            if (item->cmsg_level == SOL_SOCKET && item->cmsg_type == SCM_RIGHTS &&
                item->cmsg_len == CMSG_LEN(sizeof(int))) {
                std::memcpy(&request.file, CMSG_DATA(item), sizeof(int));
            }
        }
        std::memcpy(&request.size, message.data(), sizeof request.size);
        request.name.assign(message.data() + sizeof request.size,
                            size_t(got) - sizeof request.size);
        return true;
    }
}

int serve(int socket, int pixelsFd, uchar* pixels, size_t capacity, bool fenced, pid_t show) {
    Request request;
    while (receive(socket, request)) {
        DecodeAnswer answer{RuntimeError::invalidPicture().number, 0, 0};
        if (fenced && request.file >= 0) {
            answer = decodeInto(request.file, request.name,
                                QSize(int(request.size.width), int(request.size.height)), pixels,
                                capacity, show);
        }
        beforeAnswering(request.name, pixelsFd);
        if (request.file >= 0) ::close(request.file);
        malloc_trim(0);  // a big photo's buffers are not kept while the show waits
        if (send(socket, &answer, sizeof answer, MSG_NOSIGNAL) != ssize_t(sizeof answer)) {
            return 0;
        }
    }
    return 0;
}

// Every codec the decoder may need is loaded and has run once, while libraries can still
// be opened: afterwards nothing can be.
void loadCodecs() {
    QImageReader::supportedImageFormats();  // loads every image format plugin
    QImage sample(16, 16, QImage::Format_RGB32);
    sample.fill(Qt::gray);
    for (const char* format : {"jpeg", "png", "bmp"}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, format).write(sample);
        buffer.close();
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setAutoTransform(true);
        reader.setScaledSize(QSize(8, 8));
        const QImage read = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        [[maybe_unused]] const QImage scaled =
            read.scaled(4, 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
}

}  // namespace

}  // namespace pelandra::decoder

// pelandra-picture-decoder <socket fd> <pixels fd> <show's pid>: started by the show only.
int main(int argc, char** argv) {
    using namespace pelandra::decoder;
    if (argc != 4) {
        std::fprintf(stderr,
                     "pelandra-picture-decoder: the show's picture decoder; "
                     "pelandra-saver starts it\n");
        return 2;
    }
    const int socket = std::atoi(argv[1]);
    const int pixelsFd = std::atoi(argv[2]);
    const auto show = pid_t(std::atol(argv[3]));
    const bool ownNamespaces = prepareFence(show);

    struct stat shared {};
    if (fstat(pixelsFd, &shared) != 0 || shared.st_size <= 0) _exit(1);
    const auto capacity = size_t(shared.st_size);
    void* pixels = mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_SHARED, pixelsFd, 0);
    if (pixels == MAP_FAILED) _exit(1);

    QCoreApplication app(argc, argv);  // finds the image format plugins
    loadCodecs();
    std::string refusal = lockDown(ownNamespaces, pixelsFd);
    if (refusal.empty() && fenceFailureAsked()) refusal = "asked to fail by the tests";
    if (!refusal.empty()) {
        std::fprintf(stderr, "could not be fenced (%s); it decodes no pictures\n", refusal.c_str());
    }
    const int status =
        serve(socket, pixelsFd, static_cast<uchar*>(pixels), capacity, refusal.empty(), show);
    std::fflush(stderr);
    _exit(status);  // nothing to tidy: the mapping and the socket go with the process
}
