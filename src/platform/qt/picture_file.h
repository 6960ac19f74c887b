// A picture file as the show opens it for its decoder, which opens nothing itself: read-only,
// only regular files (a fifo or a device could block or never end), known by what the open
// descriptor says it is.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace pelandra::qt {

// What a file was when it was opened; equal stamps mean an unchanged file.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t seconds = 0;
    int64_t nanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

class PictureFile {
  public:
    // Opens `path` (the file name's own bytes). Throws RuntimeError: 53 File not found,
    // 70 Permission denied, 75 Path/File access error (a folder, a device, a name too long).
    explicit PictureFile(const std::string& path);
    ~PictureFile();
    PictureFile(PictureFile&& other) noexcept;
    PictureFile& operator=(PictureFile&& other) noexcept;
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    int fd() const { return fd_; }
    const FileStamp& stamp() const { return stamp_; }

  private:
    int fd_ = -1;
    FileStamp stamp_;
};

}  // namespace pelandra::qt
