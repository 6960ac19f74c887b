#include "instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/linux/files/user_folders.h"

namespace pelandra::qt {

namespace {

// Nobody but this user may own or write it, nor (for the file) even open it: an flock needs
// only read access.
bool ownedAlone(const struct stat& status, mode_t othersMayNot) {
    return status.st_uid == ::geteuid() && (status.st_mode & othersMayNot) == 0;
}

// Makes `folder` and any missing parents, each new one for this user alone.
void makeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
    }
    ::mkdir(folder.c_str(), 0700);
}

}  // namespace

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

InstanceLock::Outcome InstanceLock::refuse(std::string problem) {
    problem_ = std::move(problem);
    return Outcome::Unsafe;
}

InstanceLock::Outcome InstanceLock::acquire(const std::string& path) {
    if (fd_ >= 0) return Outcome::Held;
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return refuse(path + ": not in a folder");
    const std::string folder = path.substr(0, slash);
    makeFolders(folder);
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) return refuse(folder + ": " + std::strerror(errno));
    if (!S_ISDIR(status.st_mode) || !ownedAlone(status, S_IWGRP | S_IWOTH)) {
        return refuse(folder + ": a folder that others own or can write");
    }
    // Never through a symbolic link: one planted there would have the file made elsewhere.
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0) return refuse(path + ": " + std::strerror(errno));
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        !ownedAlone(status, S_IRWXG | S_IRWXO)) {
        ::close(fd);
        return refuse(path + ": not a file of this user's alone");
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return Outcome::Taken;
        return refuse(path + ": " + std::strerror(error));
    }
    fd_ = fd;  // kept open for the life of the process
    return Outcome::Held;
}

std::string InstanceLock::defaultPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        return std::string(runtime) + "/" + kProgramFolder + ".lock";
    }
    return xdgFolder("XDG_CACHE_HOME", ".cache") + "/" + kProgramFolder + "/instance.lock";
}

}  // namespace pelandra::qt
