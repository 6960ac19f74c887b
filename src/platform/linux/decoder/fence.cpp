#include "fence.h"

#include <fcntl.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define PELANDRA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELANDRA_ADDRESS_SANITIZER 1
#endif
#endif

namespace pelandra::decoder {

namespace {

constexpr unsigned long kNamespaceFlags = CLONE_NEWNS | CLONE_NEWUTS | CLONE_NEWIPC |
                                          CLONE_NEWUSER | CLONE_NEWPID | CLONE_NEWNET |
                                          CLONE_NEWCGROUP | CLONE_NEWTIME;

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

// Threads enough for Qt's pool on any machine.
constexpr rlim_t kMinTasks = 64;

bool writeFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    ::close(fd);
    return written;
}

using Filter = std::unique_ptr<void, decltype(&seccomp_release)>;

scmp_arg_cmp argument(unsigned index, scmp_compare op, scmp_datum_t a, scmp_datum_t b = 0) {
    return scmp_arg_cmp{index, op, a, b};
}

// One call a fenced decoder may still make, when its argument meets `compare` if one is
// given. A call named twice is allowed when either entry allows it.
struct Allowed {
    const char* name;
    std::optional<scmp_arg_cmp> compare = std::nullopt;
};

// Everything else fails with "operation not permitted", so that a library probing for
// something it may do without carries on. What a taken-over codec can do is no more than
// this list: read the file it was handed, write pixels and answers, use memory that can
// never hold new code, run threads of its own, and end.
std::vector<Allowed> allowedCalls(pid_t self, int pixels) {
    const auto none = [](unsigned index, scmp_datum_t bits) {
        return argument(index, SCMP_CMP_MASKED_EQ, bits, 0);
    };
    const auto is = [](unsigned index, scmp_datum_t value) {
        return argument(index, SCMP_CMP_EQ, value);
    };
    return {
        // Memory, never executable: every codec was loaded before the fence.
        {"brk"},
        {"munmap"},
        {"mremap"},
        {"madvise"},
        {"mmap", none(2, PROT_EXEC)},
        {"mprotect", none(2, PROT_EXEC)},
        // Threads for scaling a big picture, but no process and no namespace.
        {"clone", argument(0, SCMP_CMP_MASKED_EQ, CLONE_THREAD | kNamespaceFlags, CLONE_THREAD)},
        {"futex"},
        {"eventfd2"},
        {"poll"},
        {"ppoll"},  // each Qt thread's own wake-up
        // Pipes of its own: the sanitizers test whether memory is readable through one.
        {"pipe2"},
        {"set_robust_list"},
        {"rseq"},
        {"exit"},
        {"sched_yield"},
        {"gettid"},
        {"sched_getaffinity"},  // a thread asks its own
        {"prctl", is(0, PR_SET_NAME)},
        {"prctl", is(0, PR_GET_NAME)},
        // Signals to itself only (abort, a thread's cancellation), and its own limits.
        {"rt_sigprocmask"},
        {"rt_sigaction"},
        {"rt_sigreturn"},
        {"sigaltstack"},
        {"restart_syscall"},
        {"getpid"},
        {"kill", is(0, scmp_datum_t(self))},
        {"tgkill", is(0, scmp_datum_t(self))},
        {"prlimit64", is(0, 0)},
        // Clocks and waiting.
        {"clock_gettime"},
        {"clock_getres"},
        {"gettimeofday"},
        {"clock_nanosleep"},
        {"nanosleep"},
        {"getrandom"},
        // The picture file it was handed. A name's look-up through the stat calls finds an
        // empty root where namespaces work, and tells no file's contents where they do not.
        {"read"},
        {"pread64"},
        {"readv"},
        {"lseek"},
        {"fstat"},
        {"newfstatat"},
        {"statx"},
        {"close"},
        {"fcntl", is(1, F_GETFD)},
        {"fcntl", is(1, F_SETFD)},
        {"fcntl", is(1, F_GETFL)},
        {"fcntl", is(1, F_SETFL)},
        {"fcntl", is(1, F_GET_SEALS)},
        // The pixel memory's size is held by its seals; a resize is let through to meet them.
        {"ftruncate", is(0, scmp_datum_t(pixels))},
        // Requests and answers on its socket, and its one line of news per picture.
        {"recvmsg"},
        {"sendto"},
        {"sendmsg"},
        {"write"},
        {"writev"},
        {"exit_group"},
    };
}

std::string installFilter(int pixels) {
    const Filter filter(seccomp_init(SCMP_ACT_ERRNO(EPERM)), &seccomp_release);
    if (!filter) return "the system-call filter could not be made";
    // Every thread, also one a library started.
    if (seccomp_attr_set(filter.get(), SCMP_FLTATR_CTL_TSYNC, 1) != 0) {
        return "the system-call filter cannot cover every thread";
    }
    for (const Allowed& allowed : allowedCalls(getpid(), pixels)) {
        const int call = seccomp_syscall_resolve_name(allowed.name);
        if (call == __NR_SCMP_ERROR) continue;  // not a call of this architecture
        const int added = allowed.compare ? seccomp_rule_add(filter.get(), SCMP_ACT_ALLOW, call, 1,
                                                             *allowed.compare)
                                          : seccomp_rule_add(filter.get(), SCMP_ACT_ALLOW, call, 0);
        if (added != 0) return std::string("cannot allow ") + allowed.name;
    }
    // clone3 passes its flags in memory a filter cannot read: told it does not exist, the C
    // library falls back to clone.
    if (seccomp_rule_add(filter.get(), SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) != 0) {
        return "the system-call filter could not be made";
    }
    if (const int error = seccomp_load(filter.get()); error != 0) {
        return std::string("the system-call filter was refused: ") + std::strerror(-error);
    }
    return {};
}

// A user namespace of its own with no network, whose tasks are few; false where the system
// refuses namespaces to ordinary users.
bool leaveSharedNamespaces() {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET | CLONE_NEWIPC) != 0) return false;
    // The user keeps their own identity inside, so files already open read as before.
    writeFile("/proc/self/setgroups", "deny");
    if (!writeFile("/proc/self/uid_map", std::to_string(uid) + " " + std::to_string(uid) + " 1") ||
        !writeFile("/proc/self/gid_map", std::to_string(gid) + " " + std::to_string(gid) + " 1")) {
        return false;
    }
    // Counted in the namespace, the decoder's own tasks are all its threads: a limit there
    // holds processes back even if the filter failed, and leaves the user's other ones alone.
    const rlim_t tasks = std::max<rlim_t>(kMinTasks, 4 * std::thread::hardware_concurrency());
    const rlimit limit{tasks, tasks};
    setrlimit(RLIMIT_NPROC, &limit);
    return true;
}

}  // namespace

bool prepareFence(pid_t show) {
    // Namespaces can only be left while the process has a single thread.
    const bool ownNamespaces = leaveSharedNamespaces();
    // Dies with the show, however the show ends; a show that ended before this line ran
    // has left the decoder to another parent.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != show) _exit(1);
    limitAddressSpace();
    return ownNamespaces;
}

std::string lockDown(bool ownNamespaces, int pixels) {
    if (ownNamespaces) {
        // An empty, read-only file system of its own as the root: nothing to reach by name
        // even where the filter lets a call through. Where that cannot be had, the filter
        // alone holds, as without namespaces.
        [[maybe_unused]] const bool emptyRoot =
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
            mount("empty", "/tmp", "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC | MS_RDONLY,
                  "mode=0555") == 0 &&
            chroot("/tmp") == 0 && chdir("/") == 0;
    }
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        return std::string("no-new-privileges refused: ") + std::strerror(errno);
    }
    return installFilter(pixels);
}

}  // namespace pelandra::decoder
