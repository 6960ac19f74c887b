#include "faults.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>

namespace pelandra::decoder {

namespace {

// Tries each way out of the fence with no harm done where one works (signal 0, a child that
// ends at once); returns the first that worked.
const char* escape(pid_t showPid) {
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
        {"open a file by name", [&] { return ::open("/etc/passwd", O_RDONLY | O_CLOEXEC) >= 0; }},
        {"make a socket", [&] { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0) >= 0; }},
        {"reach the network", [&] { return ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0) >= 0; }},
        {"signal the show", [&] { return kill(showPid, 0) == 0; }},
        {"queue a signal to the show",
         [&] { return syscall(SYS_rt_sigqueueinfo, showPid, 0, &info) == 0; }},
        {"queue a signal to the show's thread",
         [&] { return syscall(SYS_rt_tgsigqueueinfo, showPid, showPid, 0, &info) == 0; }},
        {"open the show as a pidfd", [&] { return syscall(SYS_pidfd_open, showPid, 0) >= 0; }},
        {"own a descriptor's signals", [&] { return fcntl(2, F_SETOWN, showPid) == 0; }},
        {"choose a descriptor's signal", [&] { return fcntl(2, F_SETSIG, SIGKILL) == 0; }},
        {"fork",
         [&] {
             const long child = syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0);
             if (child == 0) _exit(0);
             return child > 0;
         }},
        {"make code in a memfd", [&] { return syscall(SYS_memfd_create, "code", 0) >= 0; }},
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
         [&] { return setpriority(PRIO_PROCESS, id_t(showPid), 19) == 0; }},
        {"idle the show's scheduling",
         [&] { return sched_setscheduler(showPid, SCHED_IDLE, &lowest) == 0; }},
        {"empty the show's log", [&] { return ftruncate(2, 0) == 0 || ftruncate(1, 0) == 0; }},
    };
    for (const auto& way : ways) {
        if (way.works()) return way.what;
    }
    return nullptr;
}

}  // namespace

void beforeDecoding(const std::string& name, pid_t show) {
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
        if (const char* escaped = escape(show)) {
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

void beforeAnswering(const std::string& name, int pixels) {
    if (name.find("decoder-shrink") != std::string::npos) {
        [[maybe_unused]] const int shrunk = ftruncate(pixels, 0);  // the pixels written
    }
}

bool fenceFailureAsked() {
    const char* asked = std::getenv("PELANDRA_DECODER_FAULTS");
    return asked != nullptr && std::string(asked) == "no-lock-down";
}

}  // namespace pelandra::decoder
