#include "picture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/linux/files/file_errors.h"

namespace pelandra::decoder {

PictureFile::PictureFile(const std::string& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)) {
    if (fd_ < 0) throw fileError(errno);
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        throw RuntimeError::pathFileAccess();
    }
    identity_ = {uint64_t(info.st_dev), uint64_t(info.st_ino), uint64_t(info.st_size),
                 uint64_t(info.st_mtim.tv_sec) * 1000000000u + uint64_t(info.st_mtim.tv_nsec)};
}

PictureFile::~PictureFile() {
    if (fd_ >= 0) ::close(fd_);
}

PictureFile::PictureFile(PictureFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), identity_(other.identity_) {}

PictureFile& PictureFile::operator=(PictureFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        identity_ = other.identity_;
    }
    return *this;
}

}  // namespace pelandra::decoder
