// Decodes a picture file at the size it will be shown, never at its full size, upright as
// its EXIF orientation says. Runs in the decoder process (decoder_main.h).
#pragma once

#include <QImage>
#include <QSize>
#include <string>

namespace pelandra::qt {

// The picture in the open regular file `fd` decoded to exactly `target`. Throws RuntimeError
// 481 Invalid picture (empty, truncated, corrupt, not a picture, a header promising more
// than a photo of the library can be).
QImage loadPictureAtSize(int fd, QSize target);

// The same for the file at `path` (the file name's own bytes), which it opens; also throws
// the failures of opening it (picture_file.h).
QImage loadPictureAtSize(const std::string& path, QSize target);

}  // namespace pelandra::qt
