// The per-user single-instance lock: an flock on a file that the kernel releases when the
// process dies, so a crashed run never blocks the next one.
#pragma once

#include <string>

namespace pelandra::qt {

class InstanceLock {
  public:
    InstanceLock() = default;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

    // True when this object now holds the lock on `path`; false when another holder has
    // it. A lock file that cannot be opened counts as not held by anybody else.
    bool acquire(const std::string& path);

    // $XDG_RUNTIME_DIR/pelandra-omnarium.lock, or /tmp/pelandra-omnarium-<uid>.lock.
    static std::string defaultPath();

  private:
    int fd_ = -1;
};

}  // namespace pelandra::qt
