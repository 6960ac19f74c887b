#include "file_limit.h"

#include <sys/resource.h>

namespace pelandra::qt {

std::optional<std::string> raiseFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return std::nullopt;
    if (limit.rlim_cur != limit.rlim_max) {
        rlimit raised{limit.rlim_max, limit.rlim_max};
        // An unlimited hard limit is still capped by the kernel's fs.nr_open.
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
    }
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= rlim_t(kFilesNeeded)) {
        return std::nullopt;
    }
    return "pelandra-saver: only " + std::to_string(limit.rlim_cur) +
           " files may be open at once and it needs " + std::to_string(kFilesNeeded) +
           " (ulimit -n); not starting";
}

}  // namespace pelandra::qt
