#include "decoder_lockdown.h"

#include <fcntl.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace pelandra::qt {

namespace {

constexpr unsigned long kNamespaceFlags = CLONE_NEWNS | CLONE_NEWUTS | CLONE_NEWIPC |
                                          CLONE_NEWUSER | CLONE_NEWPID | CLONE_NEWNET |
                                          CLONE_NEWCGROUP | CLONE_NEWTIME;

bool writeFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    ::close(fd);
    return written;
}

// Refused with "operation not permitted" rather than a killed process, so that a library
// probing for a file it may do without carries on.
constexpr const char* kRefusedCalls[] = {
    // Reaching files by name, and changing them without opening them.
    "open", "openat", "openat2", "creat", "open_by_handle_at", "name_to_handle_at", "truncate",
    "link", "linkat", "symlink", "symlinkat", "unlink", "unlinkat", "rename", "renameat",
    "renameat2", "mkdir", "mkdirat", "rmdir", "mknod", "mknodat", "chmod", "fchmodat", "chown",
    "lchown", "fchownat", "fchmod", "fchown", "fsetxattr", "fremovexattr", "utime", "utimes",
    "futimesat", "utimensat", "setxattr", "lsetxattr", "removexattr", "lremovexattr",
    "inotify_add_watch", "fanotify_init", "io_uring_setup", "io_uring_enter", "io_uring_register",
    // The network and other processes' sockets.
    "socket", "socketpair", "connect", "bind", "listen", "accept", "accept4",
    // Other programs and other processes.
    "execve", "execveat", "ptrace", "process_vm_readv", "process_vm_writev", "kcmp", "pidfd_open",
    "pidfd_getfd", "tkill",
    // Changes to the system or to the process as a whole.
    "mount", "umount2", "pivot_root", "chroot", "move_mount", "open_tree", "fsopen", "fsmount",
    "fsconfig", "fspick", "mount_setattr", "unshare", "setns", "personality", "keyctl", "add_key",
    "request_key", "bpf", "perf_event_open", "userfaultfd", "init_module", "finit_module",
    "delete_module", "kexec_load", "kexec_file_load", "reboot", "swapon", "swapoff", "acct",
    "sethostname", "setdomainname", "settimeofday", "clock_settime", "adjtimex", "clock_adjtime",
    "quotactl", "lookup_dcookie", "vhangup", "iopl", "ioperm", "setuid", "setgid", "setreuid",
    "setregid", "setresuid", "setresgid", "setfsuid", "setfsgid", "setgroups", "capset"};

using Filter = std::unique_ptr<void, decltype(&seccomp_release)>;

// `action` for the call `name`, when its argument meets `compare` if one is given; a call
// this architecture does not have needs no rule.
bool add(const Filter& filter, uint32_t action, const char* name,
         std::optional<scmp_arg_cmp> compare = std::nullopt) {
    const int call = seccomp_syscall_resolve_name(name);
    if (call == __NR_SCMP_ERROR) return true;
    return (compare ? seccomp_rule_add(filter.get(), action, call, 1, *compare)
                    : seccomp_rule_add(filter.get(), action, call, 0)) == 0;
}

scmp_arg_cmp argument(unsigned index, scmp_compare op, scmp_datum_t a, scmp_datum_t b = 0) {
    return scmp_arg_cmp{index, op, a, b};
}

std::string installFilter() {
    const Filter filter(seccomp_init(SCMP_ACT_ALLOW), &seccomp_release);
    if (!filter) return "the system-call filter could not be made";
    // Every thread, also one a library started.
    if (seccomp_attr_set(filter.get(), SCMP_FLTATR_CTL_TSYNC, 1) != 0) {
        return "the system-call filter cannot cover every thread";
    }
    const uint32_t refuse = SCMP_ACT_ERRNO(EPERM);
    for (const char* name : kRefusedCalls) {
        if (!add(filter, refuse, name)) return std::string("cannot refuse ") + name;
    }
    const auto self = scmp_datum_t(getpid());
    bool added =
        add(filter, refuse, "kill", argument(0, SCMP_CMP_NE, self)) &&
        add(filter, refuse, "tgkill", argument(0, SCMP_CMP_NE, self)) &&
        add(filter, refuse, "prlimit64", argument(0, SCMP_CMP_NE, 0)) &&
        // Typing into the terminal the show was started from.
        add(filter, refuse, "ioctl", argument(1, SCMP_CMP_MASKED_EQ, 0xFFFFFFFF, TIOCSTI)) &&
        add(filter, refuse, "ioctl", argument(1, SCMP_CMP_MASKED_EQ, 0xFFFFFFFF, TIOCLINUX));
    // Threads are still allowed, namespaces are not. clone3 passes its flags in memory a
    // filter cannot read: told it does not exist, the C library falls back to clone.
    for (unsigned long flag = 1; flag != 0 && added; flag <<= 1) {
        if (kNamespaceFlags & flag) {
            added = add(filter, refuse, "clone", argument(0, SCMP_CMP_MASKED_EQ, flag, flag));
        }
    }
    if (!added || !add(filter, SCMP_ACT_ERRNO(ENOSYS), "clone3")) {
        return "the system-call filter could not be made";
    }
    if (const int error = seccomp_load(filter.get()); error != 0) {
        return std::string("the system-call filter was refused: ") + std::strerror(-error);
    }
    return {};
}

}  // namespace

bool leaveSharedNamespaces() {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET | CLONE_NEWIPC) != 0) return false;
    // The user keeps their own identity inside, so files already open read as before.
    writeFile("/proc/self/setgroups", "deny");
    return writeFile("/proc/self/uid_map",
                     std::to_string(uid) + " " + std::to_string(uid) + " 1") &&
           writeFile("/proc/self/gid_map", std::to_string(gid) + " " + std::to_string(gid) + " 1");
}

std::string lockDown(bool ownNamespaces) {
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
    return installFilter();
}

}  // namespace pelandra::qt
