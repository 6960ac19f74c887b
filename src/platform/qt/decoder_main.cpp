#include "decoder_main.h"

#include <malloc.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QImage>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/qt/decoder_protocol.h"
#include "platform/qt/picture_loader.h"

#if defined(__SANITIZE_ADDRESS__)
#define PELANDRA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELANDRA_ADDRESS_SANITIZER 1
#endif
#endif

namespace pelandra::qt {

namespace {

// Enough for a 24-megapixel progressive photo's coefficients and its decoded rows; a
// picture needing more fails to allocate and is an invalid picture.
constexpr rlim_t kAddressSpaceLimit = rlim_t(512) << 20;

void limitAddressSpace() {
#ifndef PELANDRA_ADDRESS_SANITIZER
    const rlimit limit{kAddressSpaceLimit, kAddressSpaceLimit};
    setrlimit(RLIMIT_AS, &limit);
#else
    // AddressSanitizer reserves terabytes of address space for its shadow memory, so a
    // sanitized decoder runs without the limit.
#endif
}

// Test hooks, only with PELANDRA_DECODER_FAULTS set: a file whose name contains
// "decoder-abort" crashes the decoder, "decoder-hang" never finishes and "decoder-hog"
// allocates far more than any photo needs.
void injectFault(const std::string& path) {
    static const bool enabled = std::getenv("PELANDRA_DECODER_FAULTS") != nullptr;
    if (!enabled) return;
    const std::string name = path.substr(path.find_last_of('/') + 1);
    if (name.find("decoder-abort") != std::string::npos) {
        const rlimit none{0, 0};
        setrlimit(RLIMIT_CORE, &none);
        std::abort();
    }
    if (name.find("decoder-hang") != std::string::npos) {
        while (true) pause();
    }
    if (name.find("decoder-hog") != std::string::npos) {
        constexpr size_t kHog = size_t(2) << 30;
        auto* hog = static_cast<volatile char*>(std::malloc(kHog));
        if (hog == nullptr) throw std::bad_alloc();
        for (size_t at = 0; at < kHog; at += 4096) hog[at] = 1;
        std::free(const_cast<char*>(hog));
    }
}

DecodeAnswer decodeInto(const std::string& path, QSize target, uchar* pixels, size_t capacity) {
    try {
        injectFault(path);
        const QImage picture =
            loadPictureAtSize(path, target).convertToFormat(QImage::Format_ARGB32_Premultiplied);
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

int serve(int socket, uchar* pixels, size_t capacity) {
    std::array<char, sizeof(DecodeRequest) + kMaxPathBytes> message{};
    while (true) {
        const ssize_t got = recv(socket, message.data(), message.size(), 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < ssize_t(sizeof(DecodeRequest))) return 0;  // the show has gone
        DecodeRequest request;
        std::memcpy(&request, message.data(), sizeof request);
        const std::string path(message.data() + sizeof request, size_t(got) - sizeof request);
        const DecodeAnswer answer =
            decodeInto(path, QSize(int(request.width), int(request.height)), pixels, capacity);
        malloc_trim(0);  // a big photo's buffers are not kept while the show waits
        if (send(socket, &answer, sizeof answer, MSG_NOSIGNAL) != ssize_t(sizeof answer)) {
            return 0;
        }
    }
}

}  // namespace

std::optional<int> decoderMain(int argc, char** argv) {
    if (argc != 5 || std::strcmp(argv[1], kDecoderMode) != 0) return std::nullopt;
    const int socket = std::atoi(argv[2]);
    const int pixelsFd = std::atoi(argv[3]);
    const pid_t parent = pid_t(std::atol(argv[4]));
    // Dies with the show, however the show ends; a show that ended before this line ran
    // has left the decoder to another parent.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(1);
    limitAddressSpace();

    struct stat shared {};
    if (fstat(pixelsFd, &shared) != 0 || shared.st_size <= 0) _exit(1);
    const auto capacity = size_t(shared.st_size);
    void* pixels = mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_SHARED, pixelsFd, 0);
    if (pixels == MAP_FAILED) _exit(1);

    QCoreApplication app(argc, argv);  // finds the image format plugins
    const int status = serve(socket, static_cast<uchar*>(pixels), capacity);
    std::fflush(stderr);
    _exit(status);  // nothing to tidy: the mapping and the socket go with the process
}

}  // namespace pelandra::qt
