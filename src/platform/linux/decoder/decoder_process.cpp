#include "decoder_process.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/linux/decoder/protocol.h"

namespace pelandra::decoder {

namespace {

// Enough for any line the decoder has to say.
constexpr size_t kMaxNewsBytes = 300;

// A decoder whose exec failed sends its errno alone, a message shorter than any answer;
// it arrives in the first field of an answer.
constexpr ssize_t kExecFailureBytes = sizeof(int32_t);
static_assert(sizeof(DecodeAnswer) > sizeof(int32_t));

ssize_t receive(int socket, DecodeAnswer& answer) {
    const ssize_t got = recv(socket, &answer, sizeof answer, MSG_DONTWAIT);
    // A decoder that ended with a request unread resets the connection once; what it sent
    // before is still there to read.
    if (got < 0 && errno == ECONNRESET) return recv(socket, &answer, sizeof answer, MSG_DONTWAIT);
    return got;
}

size_t bytesFor(QSize size) {
    return size_t(std::max(size.width(), 0)) * size_t(std::max(size.height(), 0)) * 4;
}

// The decoder program: PELANDRA_PICTURE_DECODER when set (the tests' own build of it), else
// beside the show (a build folder), else where the package installs it beside the show's
// folder, else where this build installs it. Found once, at start: a package upgraded while
// the show runs leaves the path, not the folder, in place.
std::string findDecoderProgram() {
    if (const char* chosen = std::getenv("PELANDRA_PICTURE_DECODER"); chosen && *chosen) {
        return chosen;
    }
    std::error_code unknown;
    const auto show = std::filesystem::read_symlink("/proc/self/exe", unknown);
    if (!unknown) {
        for (const auto& candidate : {show.parent_path() / "pelandra-picture-decoder",
                                      show.parent_path().parent_path() /
                                          "libexec/pelandra-saver/pelandra-picture-decoder"}) {
            if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
        }
    }
    return PELANDRA_DECODER_INSTALLED;
}

}  // namespace

DecoderProcess::DecoderProcess() : program_(findDecoderProgram()) {
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { fail(); });
    connect(&reaper_, &QTimer::timeout, this, [this] { reapDying(); });
}

DecoderProcess::~DecoderProcess() {
    stop();
}

void DecoderProcess::decode(PictureFile file, std::string path, QSize target, Done done) {
    Job job{std::move(file), std::move(path), target.expandedTo(QSize(1, 1)), std::move(done),
            ++serials_};
    if (current_) {
        waiting_ = std::move(job);
        return;
    }
    current_ = std::move(job);
    sendCurrent();
}

bool DecoderProcess::start(size_t capacity) {
    int pixels = memfd_create("pelandra-pixels", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (pixels < 0) return cannotStart("shared memory", errno);
    int sockets[2] = {-1, -1};
    void* mapped = MAP_FAILED;
    // Sealed at its size before it is mapped: a decoder that shrank it would otherwise
    // crash the show at its next copy of the pixels. Memory without the seals is refused.
    constexpr int kSeals = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL;
    if (ftruncate(pixels, off_t(capacity)) == 0 && fcntl(pixels, F_ADD_SEALS, kSeals) == 0 &&
        (fcntl(pixels, F_GET_SEALS) & kSeals) == kSeals) {
        mapped = mmap(nullptr, capacity, PROT_READ, MAP_SHARED, pixels, 0);
    }
    // The decoder's standard streams: nothing to read, and what it writes reaches the show,
    // never the show's own log, which a taken-over decoder could otherwise empty or fill.
    int news[2] = {-1, -1};
    int nothing = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const char* failed = mapped == MAP_FAILED ? "shared memory" : nullptr;
    if (failed == nullptr && nothing < 0) failed = "/dev/null";
    if (failed == nullptr && socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sockets) != 0) {
        failed = "socket";
    }
    if (failed == nullptr && pipe2(news, O_CLOEXEC | O_NONBLOCK) != 0) failed = "pipe";
    if (failed != nullptr) {
        const int error = errno;
        for (const int fd : {sockets[0], sockets[1], news[0], news[1], nothing, pixels}) {
            if (fd >= 0) ::close(fd);
        }
        if (mapped != MAP_FAILED) munmap(mapped, capacity);
        return cannotStart(failed, error);
    }
    // A show started with a standard stream closed gets these as descriptors 0 to 2, which
    // the child's own streams would replace: they are moved above them first.
    for (int* fd : {&sockets[1], &pixels, &news[1], &nothing}) {
        if (*fd > 2) continue;
        const int moved = fcntl(*fd, F_DUPFD_CLOEXEC, 3);
        ::close(*fd);
        *fd = moved;
    }
    // Everything the child needs is made before fork: between fork and exec only calls
    // that are safe in a copy of a threaded process are allowed.
    std::string socketArgument = std::to_string(sockets[1]);
    std::string pixelsArgument = std::to_string(pixels);
    std::string parentArgument = std::to_string(getpid());
    std::string name = "pelandra-picture-decoder";
    char* arguments[] = {name.data(), socketArgument.data(), pixelsArgument.data(),
                         parentArgument.data(), nullptr};
    // Forked from the event thread, which lives as long as the show: the decoder's
    // parent-death signal is tied to the thread that forked it.
    const pid_t child = fork();
    if (child == 0) {
        dup2(nothing, 0);
        dup2(news[1], 1);
        dup2(news[1], 2);
        // These two survive exec, and nothing else the show holds besides the standard
        // streams (descriptors opened without close-on-exec by libraries included).
        const unsigned low = unsigned(std::min(sockets[1], pixels));
        const unsigned high = unsigned(std::max(sockets[1], pixels));
        if (low > 3) close_range(3, low - 1, 0);
        if (high > low + 1) close_range(low + 1, high - 1, 0);
        close_range(high + 1, ~0u, 0);
        fcntl(sockets[1], F_SETFD, 0);
        fcntl(pixels, F_SETFD, 0);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execv(program_.c_str(), arguments);
        const int32_t error = errno;
        send(sockets[1], &error, sizeof error, MSG_NOSIGNAL);
        _exit(127);
    }
    const int forkError = errno;
    ::close(sockets[1]);
    ::close(pixels);  // the mapping stays
    ::close(nothing);
    ::close(news[1]);
    if (child < 0) {
        ::close(sockets[0]);
        ::close(news[0]);
        munmap(mapped, capacity);
        return cannotStart("process", forkError);
    }
    news_ = news[0];
    pid_ = child;
    socket_ = sockets[0];
    pixels_ = mapped;
    capacity_ = capacity;
    notifier_ = std::make_unique<QSocketNotifier>(socket_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { onAnswer(); });
    return true;
}

void DecoderProcess::stop() {
    deadline_.stop();
    notifier_.reset();
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
    if (news_ >= 0) ::close(news_);
    news_ = -1;
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        dying_.push_back(pid_);
        reapDying();
    }
    pid_ = 0;
    if (pixels_ != nullptr) munmap(pixels_, capacity_);
    pixels_ = nullptr;
    capacity_ = 0;
}

// A killed decoder still reading a failing disc ends only when the read returns: the event
// thread never waits for it beyond a moment, and collects it later.
void DecoderProcess::reapDying() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
    while (true) {
        std::erase_if(dying_, [](pid_t pid) {
            const pid_t reaped = waitpid(pid, nullptr, WNOHANG);
            return reaped == pid || (reaped < 0 && errno == ECHILD);
        });
        if (dying_.empty() || std::chrono::steady_clock::now() >= until) break;
        usleep(1000);
    }
    if (dying_.empty()) {
        reaper_.stop();
    } else if (!reaper_.isActive()) {
        reaper_.start(1000);
    }
}

// The request, its file's name and the open file, in one datagram.
bool DecoderProcess::sendCurrent(const Job& job) {
    DecodeRequest request{uint32_t(job.target.width()), uint32_t(job.target.height())};
    const size_t nameBytes = std::min(job.path.size(), kMaxPathBytes);
    iovec parts[] = {{&request, sizeof request}, {const_cast<char*>(job.path.data()), nameBytes}};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = 2;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* file = CMSG_FIRSTHDR(&message);
    file->cmsg_level = SOL_SOCKET;
    file->cmsg_type = SCM_RIGHTS;
    file->cmsg_len = CMSG_LEN(sizeof(int));
    const int fd = job.file.fd();
    std::memcpy(CMSG_DATA(file), &fd, sizeof fd);
    const auto bytes = ssize_t(sizeof request + nameBytes);
    return sendmsg(socket_, &message, MSG_NOSIGNAL | MSG_DONTWAIT) == bytes;
}

void DecoderProcess::sendCurrent() {
    const Job& job = *current_;
    // Sized by the first picture; a larger one later gets a decoder with a larger buffer.
    const size_t needed = bytesFor(job.target);
    if (needed > capacity_) stop();
    // A decoder that died while idle is only found out here: start another, once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (pid_ == 0 && !start(needed)) break;
        if (sendCurrent(job)) {
            deadline_.start(timeLimit_);
            return;
        }
        readExecFailure();
        stop();
    }
    finishSoon(RuntimeError::invalidPicture());
}

// A failure found before the decoder was asked is still told from the event loop.
void DecoderProcess::finishSoon(RuntimeError failure) {
    const uint64_t serial = current_->serial;
    QMetaObject::invokeMethod(
        this,
        [this, serial, failure] {
            if (current_ && current_->serial == serial) finish(failure, {});
        },
        Qt::QueuedConnection);
}

// The first line the decoder wrote since the last picture, made harmless for a terminal,
// goes to the show's log marked as the decoder's; the rest is dropped.
void DecoderProcess::relayNews() {
    if (news_ < 0) return;
    std::string line;
    char chunk[4096];
    ssize_t got = 0;
    // At most a pipe's worth, so that a decoder that never stops talking cannot hold the
    // event thread.
    for (int read = 0; read < 16 && (got = ::read(news_, chunk, sizeof chunk)) > 0; ++read) {
        if (line.size() < kMaxNewsBytes) line.append(chunk, size_t(got));
    }
    line = line.substr(0, std::min({line.find('\n'), kMaxNewsBytes, line.size()}));
    if (line.empty()) return;
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    }
    std::fprintf(stderr, "pelandra-saver: picture decoder: %s\n", line.c_str());
}

// A decoder gone before its request arrived may have left why it could not start.
void DecoderProcess::readExecFailure() {
    DecodeAnswer answer;
    const ssize_t got = receive(socket_, answer);
    if (got == kExecFailureBytes) cannotStart(program_.c_str(), answer.status);
}

bool DecoderProcess::cannotStart(const char* what, int error) {
    if (!toldWhy_) {
        std::fprintf(stderr, "pelandra-saver: the picture decoder could not start (%s: %s)\n", what,
                     std::strerror(error));
        std::fflush(stderr);
    }
    toldWhy_ = true;
    return false;
}

void DecoderProcess::onAnswer() {
    DecodeAnswer answer;
    const ssize_t got = receive(socket_, answer);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (got == kExecFailureBytes) cannotStart(program_.c_str(), answer.status);
    relayNews();
    // Nothing (the decoder died), a broken message, or an answer nobody asked for.
    if (got != ssize_t(sizeof answer) || !current_) {
        fail();
        return;
    }
    deadline_.stop();
    if (answer.status != 0) {
        finish(decodeFailure(answer.status), {});
        return;
    }
    const QSize size(int(answer.width), int(answer.height));
    if (size.isEmpty() || bytesFor(size) > capacity_) {
        fail();
        return;
    }
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull()) {
        finish(RuntimeError::invalidPicture(), {});
        return;
    }
    const size_t row = size_t(size.width()) * 4;
    for (int y = 0; y < size.height(); ++y) {
        std::memcpy(picture.scanLine(y), static_cast<const uchar*>(pixels_) + row * size_t(y), row);
    }
    finish(std::nullopt, std::move(picture));
}

void DecoderProcess::fail() {
    relayNews();
    stop();  // a crash, a hang or nonsense: the next picture gets a fresh decoder
    finish(RuntimeError::invalidPicture(), {});
}

void DecoderProcess::finish(std::optional<RuntimeError> failure, QImage picture) {
    if (!current_) return;
    Done done = std::move(current_->done);
    current_.reset();
    if (waiting_) {
        current_ = std::move(waiting_);
        waiting_.reset();
        sendCurrent();
    }
    if (done) done(std::move(failure), std::move(picture));
}

}  // namespace pelandra::decoder
