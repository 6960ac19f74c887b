#include "decoder_main.h"

#include <fcntl.h>
#include <malloc.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <string_view>

#include "platform/qt/decoder_lockdown.h"
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
// "decoder-abort" crashes the decoder, "decoder-hang" never finishes, "decoder-hog"
// allocates far more than any photo needs, "decoder-shrink" shrinks the pixel memory it
// shares with the show before it answers, and "decoder-escape" tries to read a file by
// name, make a socket and start a program (crashing when any of them works) before it
// decodes as usual. PELANDRA_DECODER_FAULTS=no-lock-down acts as a failed lock-down.
bool faultsEnabled() {
    static const bool enabled = std::getenv("PELANDRA_DECODER_FAULTS") != nullptr;
    return enabled;
}

pid_t showPid = 0;

// Tries each way out of the fence with no harm done where one works (signal 0, a child that
// ends at once); returns the first that worked.
const char* escape() {
    siginfo_t info{};
    info.si_code = SI_QUEUE;
    sched_param lowest{};
    const long page = sysconf(_SC_PAGESIZE);
    void* writable =
        mmap(nullptr, size_t(page), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    const struct {
        const char* what;
        std::function<bool()> works;
    } ways[] = {
        {"open a file by name", [] { return ::open("/etc/passwd", O_RDONLY | O_CLOEXEC) >= 0; }},
        {"make a socket", [] { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0) >= 0; }},
        {"reach the network", [] { return ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0) >= 0; }},
        {"signal the show", [] { return kill(showPid, 0) == 0; }},
        {"queue a signal to the show",
         [&] { return syscall(SYS_rt_sigqueueinfo, showPid, 0, &info) == 0; }},
        {"queue a signal to the show's thread",
         [&] { return syscall(SYS_rt_tgsigqueueinfo, showPid, showPid, 0, &info) == 0; }},
        {"open the show as a pidfd", [] { return syscall(SYS_pidfd_open, showPid, 0) >= 0; }},
        {"own a descriptor's signals", [] { return fcntl(2, F_SETOWN, showPid) == 0; }},
        {"choose a descriptor's signal", [] { return fcntl(2, F_SETSIG, SIGKILL) == 0; }},
        {"fork",
         [] {
             const long child = syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0);
             if (child == 0) _exit(0);
             return child > 0;
         }},
        {"make code in a memfd", [] { return syscall(SYS_memfd_create, "code", 0) >= 0; }},
        {"map new code",
         [&] {
             return mmap(nullptr, size_t(page), PROT_READ | PROT_WRITE | PROT_EXEC,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) != MAP_FAILED;
         }},
        {"make memory executable",
         [&] {
             return writable != MAP_FAILED && mprotect(writable, size_t(page), PROT_EXEC) == 0;
         }},
        {"lower the show's priority",
         [] { return setpriority(PRIO_PROCESS, id_t(showPid), 19) == 0; }},
        {"idle the show's scheduling",
         [&] { return sched_setscheduler(showPid, SCHED_IDLE, &lowest) == 0; }},
        {"empty the show's log", [] { return ftruncate(2, 0) == 0 || ftruncate(1, 0) == 0; }},
    };
    for (const auto& way : ways) {
        if (way.works()) return way.what;
    }
    return nullptr;
}

void injectFault(const std::string& name) {
    if (!faultsEnabled()) return;
    const auto named = [&](const char* fault) { return name.find(fault) != std::string::npos; };
    if (named("decoder-abort")) {
        const rlimit none{0, 0};
        setrlimit(RLIMIT_CORE, &none);
        std::abort();
    }
    if (named("decoder-hang")) {
        while (true) sleep(60);
    }
    if (named("decoder-hog")) {
        constexpr size_t kHog = size_t(2) << 30;
        auto* hog = static_cast<volatile char*>(std::malloc(kHog));
        if (hog == nullptr) throw std::bad_alloc();
        for (size_t at = 0; at < kHog; at += 4096) hog[at] = 1;
        std::free(const_cast<char*>(hog));
    }
    if (named("decoder-escape")) {
        if (const char* escaped = escape()) {
            std::fprintf(stderr, "escaped the fence: %s\n", escaped);
            std::abort();
        }
        // Talks more than it may: only its first line reaches the show's log.
        std::fputs("tried every way out\nand talked on\n", stderr);
        char program[] = "/bin/true";
        char* const arguments[] = {program, nullptr};
        execv(program, arguments);  // returns only when refused
    }
}

DecodeAnswer decodeInto(int file, const std::string& name, QSize target, uchar* pixels,
                        size_t capacity) {
    try {
        injectFault(name);
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

int serve(int socket, int pixelsFd, uchar* pixels, size_t capacity, bool fenced) {
    Request request;
    while (receive(socket, request)) {
        DecodeAnswer answer{RuntimeError::invalidPicture().number, 0, 0};
        if (fenced && request.file >= 0) {
            answer = decodeInto(request.file, request.name,
                                QSize(int(request.size.width), int(request.size.height)), pixels,
                                capacity);
        }
        if (faultsEnabled() && request.name.find("decoder-shrink") != std::string::npos) {
            [[maybe_unused]] const int shrunk = ftruncate(pixelsFd, 0);  // the pixels written
        }
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

std::optional<int> decoderMain(int argc, char** argv) {
    if (argc != 5 || std::strcmp(argv[1], kDecoderMode) != 0) return std::nullopt;
    const int socket = std::atoi(argv[2]);
    const int pixelsFd = std::atoi(argv[3]);
    const pid_t parent = pid_t(std::atol(argv[4]));
    showPid = parent;
    // Namespaces can only be left while the process has a single thread.
    const bool ownNamespaces = leaveSharedNamespaces();
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
    loadCodecs();
    std::string refusal = lockDown(ownNamespaces, pixelsFd);
    if (refusal.empty() && faultsEnabled() &&
        std::string_view(std::getenv("PELANDRA_DECODER_FAULTS")) == "no-lock-down") {
        refusal = "asked to fail by PELANDRA_DECODER_FAULTS";
    }
    if (!refusal.empty()) {
        std::fprintf(stderr,
                     "pelandra-saver: the picture decoder could not be fenced (%s); "
                     "it decodes no pictures\n",
                     refusal.c_str());
    }
    const int status =
        serve(socket, pixelsFd, static_cast<uchar*>(pixels), capacity, refusal.empty());
    std::fflush(stderr);
    _exit(status);  // nothing to tidy: the mapping and the socket go with the process
}

}  // namespace pelandra::qt
