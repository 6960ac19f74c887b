// A picture file as the show opens it for its decoder, which opens nothing itself: read-only,
// only regular files (a fifo or a device could block or never end), known by what the open
// descriptor says it is.
#pragma once

#include <cstdint>
#include <string>

#include "platform/prepared_pictures.h"

namespace pelandra::decoder {

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
    const FileIdentity& identity() const { return identity_; }

  private:
    int fd_ = -1;
    FileIdentity identity_;
};

}  // namespace pelandra::decoder
