// The per-user single-instance lock: an flock on a file that the kernel releases when the
// process dies, so a crashed run never blocks the next one. The file lives in a folder only
// its user can write and is never reached through a symbolic link, so nobody else can plant
// it, point it elsewhere or hold it.
#pragma once

#include <string>

namespace pelandra::qt {

class InstanceLock {
  public:
    enum class Outcome {
        Held,    // this object holds the lock now
        Taken,   // another holder has it
        Unsafe,  // it could not be taken safely (see problem())
    };

    InstanceLock() = default;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

    // Takes the lock on `path`, making its folder (mode 0700) when missing. The folder and
    // the file must belong to this user and be open to nobody else, and the file must not
    // be a symbolic link.
    Outcome acquire(const std::string& path);
    // Why the last acquire was Unsafe.
    const std::string& problem() const { return problem_; }

    // $XDG_RUNTIME_DIR/pelandra-omnarium.lock, or without a runtime folder
    // ${XDG_CACHE_HOME:-$HOME/.cache}/pelandra-omnarium/instance.lock.
    static std::string defaultPath();

  private:
    Outcome refuse(std::string problem);

    int fd_ = -1;
    std::string problem_;
};

}  // namespace pelandra::qt
